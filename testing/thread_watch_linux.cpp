#include "testing/thread_watch.h"

#include <unistd.h>

#include <fstream>
#include <string>

namespace bt::doubles {

pid_t CurrentThreadId() { return ::gettid(); }

bool ThreadIsAsleep(pid_t threadId) {
  std::ifstream stat("/proc/self/task/" + std::to_string(threadId) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return false;
  // "tid (name) S ...": the name may hold spaces and parentheses.
  const auto nameEnd = line.rfind(')');
  return nameEnd != std::string::npos && nameEnd + 2 < line.size() && line[nameEnd + 2] == 'S';
}

}  // namespace bt::doubles
