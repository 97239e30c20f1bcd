// The program BackupTarvel.exe: the platform's services around the application.
#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "app/frm_backup.h"
#include "app/main.h"
#include "app/services.h"
#include "platform/clock.h"
#include "platform/developer_log.h"
#include "programs/windows/single_window.h"
#include "platform/windows/win32_file_system.h"
#include "platform/windows/win32_registry.h"
#include "ui/win32/win32_window_system.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before anything touches a drive: a floppy or card reader without a disk
  // is then simply not ready, never a system dialog asking for one.
  SetErrorMode(SEM_FAILCRITICALERRORS);
  // A later start brings the first program's window forward and ends here.
  if (!bt::ClaimFirstWindow()) return 0;
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  const std::unique_ptr<bt::FileSystem> files = bt::MakeWin32FileSystem();
  const std::unique_ptr<bt::Registry> registry = bt::MakeWin32Registry();
  bt::Win32WindowSystem windows(*files);
  const std::unique_ptr<bt::DeveloperLog> log = bt::OpenDeveloperLog();
  bt::Services services{windows, *files, *registry, bt::SystemClock(), log.get()};

  bt::Main(services);
  // Main ends the process itself when start-up fails; a window it did not
  // show would leave the message loop waiting for nothing.
  int status = 1;
  if (windows.AnyWindowVisible()) status = windows.RunMessageLoop();
  bt::DropApplication();
  return status;
}
