// What the application is given by the program that starts it: the window
// system, the file system, the registry, the clock and the logs. The real program
// passes the platform's own; tests pass doubles.
#pragma once

#include "platform/clock.h"
#include "platform/developer_log.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/window_system.h"

namespace bt {

struct Services {
  WindowSystem& windows;
  FileSystem& files;
  Registry& registry;
  Clock& clock;
  // Where the error report writes the host's account of a failure; none in
  // most tests.
  DeveloperLog* log = nullptr;
  // Where every backup and restore adds its line; none in most tests.
  HistoryLog* history = nullptr;
};

}  // namespace bt
