// The edge of every window procedure of the window system: no C++ exception
// may unwind through Windows' own code, which called the procedure. What
// escapes a procedure's body is handed to the sink, which reports it and
// ends the application, as the Qt window does with a failure that escapes a
// user's action.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>

namespace bt {

using FailureSink = std::function<void(std::exception_ptr)>;

template <typename Body>
LRESULT AtProcedureEdge(const FailureSink& sink, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    try {
      if (sink) sink(std::current_exception());
    } catch (...) {
      // The report itself failed; the sink ends the application regardless.
    }
    return 0;
  }
}

}  // namespace bt
