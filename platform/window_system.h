// The window system the main window is built on: one window made from a
// design table, its controls reached by name, change events, modal message
// boxes and the end of the application. Three implementations, in ui/: the
// Qt window of the Linux build, the Win32 window of the Windows build, and
// the headless twin the tests drive.
//
// Event rules every implementation keeps: setting a list's drive or path,
// by the user or by code, raises the list's change event only when the value
// really changes, and an event raised by code runs to its end inside the
// setting call. A drive or folder that cannot be opened makes the setting
// throw AppError and leaves the list as it was.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace bt {

enum class ControlKind { Label, Frame, DriveList, FolderList, CheckBox, Button };
enum class Alignment { Left, Center };

struct FontDesign {
  std::string face;  // "MS Sans Serif"; the toolkit picks a close face when missing
  double points = 8.25;
  int weight = 400;  // 400 regular, 700 bold
};

// One row of the design table. Positions and sizes in twips (1/1440 inch),
// relative to the parent's top-left corner (the window's client area or a frame).
struct ControlDesign {
  std::string name;    // "lblTitulo", "cmdSair", ...
  ControlKind kind = ControlKind::Label;
  std::string parent;  // "" for the window, else the name of a frame on the window
  std::string text;    // "&" marks a button's access key
  int left = 0, top = 0, width = 0, height = 0;
  int tabIndex = 0;
  std::optional<FontDesign> font;  // nullopt: the window's default font
  Alignment alignment = Alignment::Left;
};

struct WindowDesign {
  std::string name;   // "frmBackup"
  std::string title;
  int clientWidth = 0, clientHeight = 0;  // twips
  std::vector<ControlDesign> controls;
};

enum class ControlEvent { Click, Change };

constexpr int kPointerDefault = 0;
constexpr int kPointerHourglass = 11;

class Window {
 public:
  virtual ~Window() = default;

  // Shows the window without waiting; the call returns at once.
  virtual void Show() = 0;
  virtual bool Visible() const = 0;

  // Registers the handler of a control's event; one handler per pair.
  virtual void SetHandler(const std::string& control, ControlEvent event,
                          std::function<void()> handler) = 0;

  // Labels, frames, buttons and the check box.
  virtual void SetText(const std::string& control, const std::string& text) = 0;
  virtual std::string Text(const std::string& control) const = 0;
  // The check box's value: 0 unticked, 1 ticked.
  virtual int Value(const std::string& control) const = 0;
  virtual void SetEnabled(const std::string& control, bool enabled) = 0;
  virtual bool Enabled(const std::string& control) const = 0;
  // kPointerDefault or kPointerHourglass, over the whole window.
  virtual void SetMousePointer(int pointer) = 0;
  virtual int MousePointer() const = 0;

  // The drive list: its drive is a text that begins with the letter and a
  // colon ("c:", "c: [Disco local]"); setting takes any text that begins so.
  virtual void SetDrive(const std::string& control, const std::string& drive) = 0;
  virtual std::string Drive(const std::string& control) const = 0;

  // The folder list: its path is a full folder path ("C:\" for a root,
  // "C:\Copias" otherwise). Setting takes a full path, "\" for the root of
  // the current drive, or a drive text for that drive's current folder.
  virtual void SetPath(const std::string& control, const std::string& path) = 0;
  virtual std::string Path(const std::string& control) const = 0;
  // Reads the folder list's subfolders again (a backup set was just made
  // in the current folder); the path stays and no event runs. A folder that
  // cannot be read any more leaves the list as it was.
  virtual void RefreshFolders(const std::string& control) = 0;
};

class WindowSystem : public MessageBoxes {
 public:
  // Creates the window and its controls from the design, hidden. No handler
  // runs during creation.
  virtual std::unique_ptr<Window> CreateMainWindow(const WindowDesign& design) = 0;

  // Called now and then during a long operation on the window's thread: lets
  // the window repaint and answer the desktop's are-you-alive checks, and
  // throws away the user's input that arrived meanwhile, so that no handler
  // runs and no click is delivered after the operation either.
  virtual void KeepResponsive() {}

  // Ends the application at once with the exit status. The Qt and Win32
  // window systems do not return from it; the headless one records it and
  // throws ApplicationEnded so that a test can see what happened.
  virtual void EndApplication(int exitStatus) = 0;
};

}  // namespace bt
