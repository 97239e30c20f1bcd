// How the real window systems end the application: at once when it is
// over, and after the classic run-time error box when a failure escapes a
// handler that the user's action ran.
#pragma once

#include <exception>
#include <functional>

#include "platform/window_system.h"

namespace bt {

// Ends the process with a status, without returning.
using ProcessEnd = std::function<void(int)>;

// Ends the process at once, as the classic End statement: no handler, no
// event loop and no destructor of the application runs any more; only the
// standard streams are flushed. Unwinding back into the toolkit's event
// dispatch, or running destructors with windows still open, is no option.
// A test's replacement, when given, is called instead and may return.
void EndProcess(const ProcessEnd& replacement, int exitStatus);

// The last stop of a failure that escaped a handler the user's action ran
// (the application reports its handlers' failures itself): the box
// "Erro em tempo de execução 'N':" with the failure's number and
// description (7 for memory, 1000 for a failure without a number), then
// the application ends with status 1, also when the box cannot be shown.
void ReportEscapedFailureAndEnd(WindowSystem& system, std::exception_ptr failure);

}  // namespace bt
