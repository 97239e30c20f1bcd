// A backup run from the command line, with nobody at the keyboard: cron, a
// systemd timer, the Windows Task Scheduler. No window is made; what the
// window would show in its boxes is printed instead.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "app/command_line.h"
#include "platform/clock.h"
#include "platform/developer_log.h"
#include "platform/file_system.h"
#include "platform/registry.h"

namespace bt {

// How long a scheduled backup waits for another backup or restore of the
// installation (the window's, another scheduled run) to end before it fails
// with 70. Nobody waits at the keyboard, so it may wait for a large backup
// or restore of the photos begun by hand to end.
inline constexpr std::chrono::minutes kCommandLineLockWait{10};

// What the command line is given: the seam, without a window.
struct CommandLineServices {
  FileSystem& files;
  Registry& registry;
  Clock& clock;
  DeveloperLog* log = nullptr;
  HistoryLog* history = nullptr;
  std::chrono::milliseconds lockWait = kCommandLineLockWait;
};

// The program's standard output and standard error. Texts are UTF-8 with
// single line feeds.
class Console {
 public:
  virtual ~Console() = default;
  virtual void Out(const std::string& text) = 0;
  virtual void Error(const std::string& text) = 0;
};

// The Windows path of a location given as a host path (Linux:
// "/media/pendrive/Copias" to the drive that holds it); nullopt when the
// text is no host path or lies on no drive.
using HostLocation = std::function<std::optional<std::string>(const std::string& text)>;

// --ajuda and a command line not understood: prints the usage text (to the
// output, or after the problem to the error) and returns 0 or kExitUsage.
// nullopt for a backup or the window, which this does not run.
std::optional<int> AnswerWithoutBackup(const CommandLine& line, Console& console);

// Runs the backup that line asks for (kind kBackup) and returns the exit
// status: 0 when the set was made and every old set to go was removed
// whole; else the number of the first error (5 also when the location was
// refused, as one inside the photo folder). Prints the success box's text
// to the output, and every error as the error report shows it (number,
// description, detail) to the error. Adds one line to the history; a
// history that cannot be written is told on the error and changes nothing
// else. Never throws.
int RunCommandLineBackup(CommandLineServices& services, const CommandLine& line, Console& console,
                         const HostLocation& hostLocation = {});

}  // namespace bt
