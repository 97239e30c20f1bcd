#include "bench/idle_watch.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace bt::bench {
namespace {

double EpochSeconds() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::optional<std::string> ReadText(const std::string& path) {
  std::ifstream in(path);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

// The numbers of the calls an event loop waits in.
#if defined(__x86_64__)
constexpr const char* kEventWaits[] = {"7", "23", "232", "270", "271", "281"};
#elif defined(__aarch64__)
constexpr const char* kEventWaits[] = {"22", "72", "73"};
#else
#error "the event-wait system calls of this architecture are not listed"
#endif

bool IsEventWait(const std::string& syscallLine) {
  std::istringstream fields(syscallLine);
  std::string first;
  if (!(fields >> first)) return false;
  for (const char* wait : kEventWaits) {
    if (first == wait) return true;
  }
  return false;
}

long StatusFieldKib(const std::string& statusText, const std::string& field) {
  std::istringstream lines(statusText);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + field.size());
  }
  return 0;
}

std::optional<IdleReport> WatchFirstIdle(int pid, double startEpochSeconds, double settleSeconds,
                                         double timeoutSeconds) {
  const std::string proc = "/proc/" + std::to_string(pid);
  double waitingSince = 0;
  for (;;) {
    const double now = EpochSeconds();
    if (now - startEpochSeconds > timeoutSeconds) return std::nullopt;
    const std::optional<std::string> line = ReadText(proc + "/syscall");
    if (!line) return std::nullopt;
    if (IsEventWait(*line)) {
      if (waitingSince == 0) waitingSince = now;
      if (now - waitingSince >= settleSeconds) break;
    } else {
      waitingSince = 0;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  const std::optional<std::string> status = ReadText(proc + "/status");
  if (!status) return std::nullopt;
  return IdleReport{waitingSince - startEpochSeconds, StatusFieldKib(*status, "VmRSS:"),
                    StatusFieldKib(*status, "VmHWM:")};
}

}  // namespace bt::bench
