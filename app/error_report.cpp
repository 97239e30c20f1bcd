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

}  // namespace

ReportedFailure CurrentFailure() {
  try {
    throw;
  } catch (const AppError& error) {
    return {error.number(), error.description(), error.detail(), error.hostDetail()};
  } catch (const std::bad_alloc&) {
    return {kErrOutOfMemory, DescriptionOf(kErrOutOfMemory), {}, "std::bad_alloc"};
  } catch (const std::exception& error) {
    // Its message is the library's, in English: for the log only.
    return {kErrUnclassified, DescriptionOf(kErrUnclassified), {}, error.what()};
  }
}

std::string ErrorLogLine(Clock& clock, const ReportedFailure& failure) {
  std::string line;
  try {
    line = LogLineStamp(clock.Now());
  } catch (const std::exception&) {
  }
  line += "erro " + std::to_string(failure.number) + " (" + failure.description + ")";
  if (!failure.detail.empty()) line += ": " + failure.detail;
  if (!failure.hostDetail.empty()) line += " | " + failure.hostDetail;
  return line;
}

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

  std::optional<ReportedFailure> failure;
  {
    ActiveRun outermost;
    try {
      body();
    } catch (const std::exception&) {
      failure = CurrentFailure();
    }
  }
  if (!failure) return;

  if (services.log != nullptr) services.log->Append(ErrorLogLine(services.clock, *failure));

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
