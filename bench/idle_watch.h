// Start-up measure of the program: when its main thread first waits for
// events, read from /proc while it runs undisturbed (no tracer).
#pragma once

#include <optional>
#include <string>

namespace bt::bench {

// True for the first field of /proc/<pid>/syscall when the thread is
// blocked in one of the calls an event loop waits in (poll, ppoll, select,
// pselect6, epoll_wait, epoll_pwait on x86-64 and arm64).
bool IsEventWait(const std::string& syscallLine);

struct IdleReport {
  double firstIdleSeconds = 0;  // since startEpochSeconds
  long vmRssKib = 0;
  long vmHwmKib = 0;
};

// Watches process pid until its main thread has waited for events without
// a break for `settleSeconds`; the first moment of that wait is the first
// idle. nullopt when the process ends or timeoutSeconds pass first.
std::optional<IdleReport> WatchFirstIdle(int pid, double startEpochSeconds, double settleSeconds,
                                         double timeoutSeconds);

// "VmRSS:" and "VmHWM:" style fields of a /proc status text, in KiB; 0 when absent.
long StatusFieldKib(const std::string& statusText, const std::string& field);

}  // namespace bt::bench
