// The program BackupTarvel.exe: the platform's services around the application.
#include <windows.h>

#include <commctrl.h>

#include <stdlib.h>

#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/command_line_backup.h"
#include "app/frm_backup.h"
#include "app/main.h"
#include "app/services.h"
#include "platform/clock.h"
#include "platform/developer_log.h"
#include "programs/windows/parent_console.h"
#include "programs/windows/single_window.h"
#include "platform/wide_text.h"
#include "platform/windows/win32_file_system.h"
#include "platform/windows/win32_registry.h"
#include "ui/win32/win32_window_system.h"

namespace {

// The arguments after the program's name, as the C runtime split them. A
// location is a folder's name: kept whole, lone surrogates too, so that it
// leads to that folder.
std::vector<std::string> Arguments() {
  std::vector<std::string> arguments;
  for (int i = 1; i < __argc; ++i) arguments.push_back(bt::WideToUtf8(__wargv[i]));
  return arguments;
}

// A backup with no window, its texts to the console it was started from.
int RunCommandLine(const bt::CommandLine& line) {
  bt::ParentConsole console;
  if (const auto status = bt::AnswerWithoutBackup(line, console)) return *status;
  const std::unique_ptr<bt::FileSystem> files = bt::MakeWin32FileSystem();
  const std::unique_ptr<bt::Registry> registry = bt::MakeWin32Registry();
  const std::unique_ptr<bt::DeveloperLog> log = bt::OpenDeveloperLog();
  const std::unique_ptr<bt::HistoryLog> history = bt::OpenHistoryLog();
  bt::CommandLineServices services{*files, *registry, bt::SystemClock(), log.get(), history.get()};
  return bt::RunCommandLineBackup(services, line, console);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything touches a drive: a floppy or card reader without a disk
  // is then simply not ready, never a system dialog asking for one.
  SetErrorMode(SEM_FAILCRITICALERRORS);
  // With arguments, the command line: no window, and never held back by
  // the window of this session.
  const bt::CommandLine line = bt::ParseCommandLine(Arguments());
  if (line.kind != bt::CommandLine::Kind::kWindow) return RunCommandLine(line);
  // A later start brings the first program's window forward and ends here.
  if (!bt::ClaimFirstWindow()) return 0;
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  const std::unique_ptr<bt::FileSystem> files = bt::MakeWin32FileSystem();
  const std::unique_ptr<bt::Registry> registry = bt::MakeWin32Registry();
  bt::Win32WindowSystem windows(*files);
  const std::unique_ptr<bt::DeveloperLog> log = bt::OpenDeveloperLog();
  const std::unique_ptr<bt::HistoryLog> history = bt::OpenHistoryLog();
  bt::Services services{windows, *files, *registry, bt::SystemClock(), log.get(), history.get()};

  bt::Main(services);
  // Main ends the process itself when start-up fails; a window it did not
  // show would leave the message loop waiting for nothing.
  int status = 1;
  if (windows.AnyWindowVisible()) status = windows.RunMessageLoop();
  bt::DropApplication();
  return status;
}
