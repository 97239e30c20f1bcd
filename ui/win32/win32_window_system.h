// The window system of the Windows program: windows built from designs,
// the program's message boxes, the message loop, and the end of the
// process. One thread: every call comes from the thread that made it.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/window_system.h"
#include "ui/common/application_end.h"
#include "ui/win32/procedure_edge.h"

namespace bt {

class Win32Window;

class Win32WindowSystem final : public WindowSystem {
 public:
  // The lists of every window read the drives and folders of files, which
  // must outlive the windows. endProcess replaces the real end of the
  // process (for tests); by default the process ends at once.
  explicit Win32WindowSystem(FileSystem& files, ProcessEnd endProcess = {});
  // Destroys the windows that are still open; their objects then fail as
  // windows that no longer exist.
  ~Win32WindowSystem() override;
  Win32WindowSystem(const Win32WindowSystem&) = delete;
  Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

  std::unique_ptr<Window> CreateMainWindow(const WindowDesign& design) override;

  // Repaints and answers the desktop, and throws away the user's input that
  // arrived meanwhile (keys, clicks, the wheel); a request to close a
  // window meets a busy window, which refuses it.
  void KeepResponsive() override;

  // Shown over the window made last while it is visible, else centred on
  // the screen.
  MessageAnswer ShowMessage(const std::string& text, const std::string& title,
                            MessageIcon icon, MessageButtons buttons) override;

  // Ends the process at once (EndProcess).
  void EndApplication(int exitStatus) override;

  // The program's message loop, until WM_QUIT: the user closed the last
  // window. Returns the status the quit carries.
  int RunMessageLoop();
  bool AnyWindowVisible() const;
  // Hands a message meant for one of the windows to the dialog manager
  // (IsDialogMessageW); true when it was dealt with there.
  bool PreTranslate(MSG& message);

  // The last stop of a failure that escaped a window procedure or a
  // handler run by the user's action (ReportEscapedFailureAndEnd); a
  // failure that escapes while one is being reported ends at once.
  void ReportAndEnd(std::exception_ptr failure);
  const FailureSink& failureSink() const { return sink_; }

 private:
  friend class Win32Window;
  void Register(Win32Window* window);
  void Unregister(Win32Window* window);
  // A window was closed by the user; with none left the application ends.
  void ClosedByUser();
  HWND Owner() const;

  FileSystem& files_;
  ProcessEnd endProcess_;
  std::vector<Win32Window*> windows_;
  FailureSink sink_;
  bool reporting_ = false;
};

}  // namespace bt
