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
  std::string detail;
};

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
      failure = Failure{error.number(), error.description(), error.detail()};
    } catch (const std::bad_alloc&) {
      failure = Failure{kErrOutOfMemory, DescriptionOf(kErrOutOfMemory), {}};
    } catch (const std::exception& error) {
      failure = Failure{kErrUnclassified, DescriptionOf(kErrUnclassified), error.what()};
    }
  }
  if (!failure) return;

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
