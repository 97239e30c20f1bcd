// The top-level error report: the end of every failure that no procedure
// handles. Main and every handler of the window run inside it.
#pragma once

#include <functional>
#include <string>

#include "app/services.h"

namespace bt {

// A failure that is neither an AppError nor a lack of memory has no classic
// number; it is reported under this one, with the generic description.
constexpr int kErrUnclassified = 1000;

constexpr const char* kErrorReportTitle = "BackupTarvel";

// "Erro em tempo de execução '<number>':", a blank line and the description,
// then, when there is one, a blank line and the detail.
std::string ErrorReportText(int number, const std::string& description,
                            const std::string& detail);

// A failure as the report tells it.
struct ReportedFailure {
  int number = kErrUnclassified;
  std::string description;
  std::string detail;      // Portuguese, for the user
  std::string hostDetail;  // English, for the developers' log
};

// The failure being handled, from inside a catch block: an AppError as it
// is; std::bad_alloc as 7; any other std::exception as kErrUnclassified.
// Rethrows anything else.
ReportedFailure CurrentFailure();

// The developers' log line of a failure:
// "2026-12-08 20:36:02 erro 70 (Permissão negada): <detail> | <host detail>".
std::string ErrorLogLine(Clock& clock, const ReportedFailure& failure);

// Runs body. A failure that leaves it (AppError; std::bad_alloc as 7; any
// other std::exception as kErrUnclassified) is shown in a message box with
// the error icon and OK, with its number, description and Portuguese detail,
// after which the application ends with status 1. The host's account of it
// (AppError's host detail, another exception's message) goes to the
// developers' log only, before the box is shown. The window stays as the failure left it
// (busy, when it came from an operation) until the box is closed.
//
// A run nested inside another (a change handler raised by code inside a
// handler) reports nothing: its failure goes on into the setting call that
// raised it, where the enclosing procedure may handle it, and reaches the
// report of the outermost run otherwise.
void RunWithErrorReport(Services& services, const std::function<void()>& body);

}  // namespace bt
