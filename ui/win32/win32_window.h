// The main window on Win32: a fixed-size top-level window built from a
// WindowDesign, each control a real Windows control at its design place
// (twips converted at the window's dpi, again when the dpi changes). The
// window holds no logic of the application: it draws, keeps the lists'
// models and raises the events.
//
// Keyboard as in a dialog: the window is of a dialog class and the message
// loop hands its keys to IsDialogMessageW, so Tab follows the design's tab
// order, Alt+R presses "Sai&r" and Enter presses the button that has the
// focus. Enter in the folder list opens the highlighted folder.
//
// Events raised by the user (a click, a drive chosen, a folder opened) run
// their handler from the window procedure; a failure that escapes such a
// handler is reported and ends the application, since it must not unwind
// through Windows. Events raised by code run inside the setting call and
// their failures go on to the caller.
//
// While the window is busy (the hourglass shown, or a handler the user
// raised still running) the window procedure refuses requests to close it
// and runs no handler for the controls' notifications.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "platform/file_system.h"
#include "platform/window_system.h"
#include "ui/common/event_handlers.h"
#include "ui/win32/design_fonts.h"
#include "ui/win32/drive_list_control.h"
#include "ui/win32/folder_list_control.h"

namespace bt {

class Win32WindowSystem;

// The window class of main windows, for tests that look for one.
inline constexpr wchar_t kMainWindowClass[] = L"BackupTarvelWindow";

class Win32Window final : public Window {
 public:
  Win32Window(const WindowDesign& design, FileSystem& files, Win32WindowSystem& system);
  ~Win32Window() override;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  void Show() override;
  bool Visible() const override;
  void SetHandler(const std::string& control, ControlEvent event,
                  std::function<void()> handler) override;
  void SetText(const std::string& control, const std::string& text) override;
  std::string Text(const std::string& control) const override;
  int Value(const std::string& control) const override;
  void SetEnabled(const std::string& control, bool enabled) override;
  bool Enabled(const std::string& control) const override;
  void SetMousePointer(int pointer) override;
  int MousePointer() const override { return pointer_; }
  void SetDrive(const std::string& control, const std::string& drive) override;
  std::string Drive(const std::string& control) const override;
  void SetPath(const std::string& control, const std::string& path) override;
  std::string Path(const std::string& control) const override;
  void RefreshFolders(const std::string& control) override;

  // The top-level window; null once it has been destroyed.
  HWND handle() const { return window_; }
  // The Windows control of a design row; null when there is none.
  HWND control(const std::string& name) const;
  // The dpi the window is laid out at.
  UINT dpi() const { return dpi_; }
  bool Busy() const { return pointer_ == kPointerHourglass || userHandlers_ > 0; }

  // A message for this window or one of its controls, before it is
  // dispatched: the dialog manager's keys (IsDialogMessageW). True when it
  // was dealt with here.
  bool PreTranslate(MSG& message);

  // The window system ends: the window is destroyed and every later call
  // fails as on a window that no longer exists.
  void Detach();

 private:
  struct Control {
    ControlDesign design;
    HWND handle = nullptr;
    int id = 0;
  };

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The window procedure's own work; a message it leaves goes on to
  // DefDlgProcW.
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  bool OnDrawItem(const DRAWITEMSTRUCT& item);
  bool OnMeasureItem(MEASUREITEMSTRUCT& item);
  bool OnSetCursor();
  void OnClose();
  void OnDpiChanged(UINT dpi, const RECT& suggested);
  void OnCommand(int id, int code);

  void Build();
  // The design's rows, each with its control identifier; nothing is made.
  void NumberControls();
  void MakeTopLevel();
  // Every control, in the order the dialog manager's Tab follows.
  void MakeControls();
  HWND MakeControl(const Control& control);
  // The drive or folder list that draws into a control just made.
  void AttachList(const ControlDesign& row, HWND handle);
  void MakeFonts();
  // Places every control and sizes the window at dpi_, with fonts_.
  void Layout();
  POINT DesignOrigin(const ControlDesign& row) const;
  const Control* FindById(int id) const;
  const Control* FindByHandle(HWND handle) const;
  const Control& Find(const std::string& name) const;
  const Control& Find(const std::string& name, ControlKind kind) const;
  const Control& FindWithText(const std::string& name) const;
  void RaiseFromUser(const std::string& control, ControlEvent event);
  bool CursorOverWindow() const;

  WindowDesign design_;
  FileSystem& files_;
  Win32WindowSystem* system_;
  HWND window_ = nullptr;
  UINT dpi_ = 96;
  std::map<std::string, Control> controls_;
  std::map<std::string, std::unique_ptr<DriveListControl>> driveLists_;
  std::map<std::string, std::unique_ptr<FolderListControl>> folderLists_;
  std::map<std::string, UniqueFont> fonts_;  // by control; "" the window's default
  EventHandlers handlers_;
  // The button that had the focus when it was disabled for an operation: it
  // gets the focus back when enabled again, as the user left it.
  HWND focusBeforeDisabled_ = nullptr;
  int pointer_ = kPointerDefault;
  int userHandlers_ = 0;
  bool shownBefore_ = false;
};

}  // namespace bt
