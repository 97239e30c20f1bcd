#include "app/error_report.h"

#include <new>
#include <optional>

#include "platform/error.h"

namespace bt {

namespace {

// How many reporting runs are active on the (only) thread.
int activeRuns = 0;

struct ActiveRun {
  ActiveRun() { ++activeRuns; }
  ~ActiveRun() { --activeRuns; }
  ActiveRun(const ActiveRun&) = delete;
  ActiveRun& operator=(const ActiveRun&) = delete;
};

struct Failure {
  int number;
  std::string description;
  std::string detail;      // Portuguese, for the box
  std::string hostDetail;  // English, for the developers' log
};

// "2026-12-08 20:36:02 erro 70 (Permissão negada): <detail> | <host detail>"
std::string LogLine(Services& services, const Failure& failure) {
  std::string line;
  try {
    line = LogLineStamp(services.clock.Now());
  } catch (const std::exception&) {
  }
  line += "erro " + std::to_string(failure.number) + " (" + failure.description + ")";
  if (!failure.detail.empty()) line += ": " + failure.detail;
  if (!failure.hostDetail.empty()) line += " | " + failure.hostDetail;
  return line;
}

}  // namespace

std::string ErrorReportText(int number, const std::string& description,
                            const std::string& detail) {
  std::string text = "Erro em tempo de execução '" + std::to_string(number) + "':\n\n" +
                     description;
  if (!detail.empty()) text += "\n\n" + detail;
  return text;
}

void RunWithErrorReport(Services& services, const std::function<void()>& body) {
  if (activeRuns > 0) {
    ActiveRun nested;
    body();
    return;
  }

  std::optional<Failure> failure;
  {
    ActiveRun outermost;
    try {
      body();
    } catch (const AppError& error) {
      failure = Failure{error.number(), error.description(), error.detail(), error.hostDetail()};
    } catch (const std::bad_alloc&) {
      failure = Failure{kErrOutOfMemory, DescriptionOf(kErrOutOfMemory), {}, "std::bad_alloc"};
    } catch (const std::exception& error) {
      // Its message is the library's, in English: for the log only.
      failure = Failure{kErrUnclassified, DescriptionOf(kErrUnclassified), {}, error.what()};
    }
  }
  if (!failure) return;

  if (services.log != nullptr) services.log->Append(LogLine(services, *failure));

  try {
    services.windows.ShowMessage(
        ErrorReportText(failure->number, failure->description, failure->detail),
        kErrorReportTitle, MessageIcon::Error, MessageButtons::Ok);
  } catch (const std::exception&) {
    // The box could not be shown; the application ends all the same.
  }
  services.windows.EndApplication(1);
}

}  // namespace bt
