#include "ui/common/application_end.h"

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "platform/error.h"

namespace bt {

namespace {

// A failure without a classic number, reported with the generic description.
constexpr int kErrUnclassified = 1000;

}  // namespace

void EndProcess(const ProcessEnd& replacement, int exitStatus) {
  if (replacement) {
    replacement(exitStatus);
    return;
  }
  std::fflush(nullptr);
  std::_Exit(exitStatus);
}

void ReportEscapedFailureAndEnd(WindowSystem& system, std::exception_ptr failure) {
  int number = kErrUnclassified;
  std::string description = DescriptionOf(kErrUnclassified);
  try {
    std::rethrow_exception(failure);
  } catch (const AppError& error) {
    number = error.number();
    description = error.description();
  } catch (const std::bad_alloc&) {
    number = kErrOutOfMemory;
    description = DescriptionOf(kErrOutOfMemory);
  } catch (...) {
  }
  try {
    system.ShowMessage("Erro em tempo de execução '" + std::to_string(number) + "':\n\n" + description,
                       "BackupTarvel", MessageIcon::Error, MessageButtons::Ok);
  } catch (...) {
    // The box could not be shown; the application ends all the same.
  }
  system.EndApplication(1);
}

}  // namespace bt
