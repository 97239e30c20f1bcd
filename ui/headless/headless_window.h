// A window system without a screen, for tests: it keeps the state of every
// control, runs the change events by the same rules as the real window, and
// answers message boxes from a queue that the test fills before the action.
//
// Sections: the exceptions a test sees, the recorded message box, the
// window (program side, then the user's actions), the window system.
//
// Everything that means "the test went wrong" is thrown as a type that does
// not derive from std::exception, so the application's own error handling
// (which catches AppError and std::exception) cannot swallow it and it
// reaches the test unchanged.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/window_system.h"
#include "ui/common/event_handlers.h"
#include "ui/common/location_lists.h"

namespace bt::doubles {

// The application ended (EndApplication). Carries the exit status.
struct ApplicationEnded {
  int exitStatus = 0;
};

// A message box appeared that no answer was queued for, or the queued answer
// is not one of its buttons (Yes or No for a question, Ok for the others).
struct UnexpectedMessageBox {
  std::string text;
  std::string title;
};

// The test used the window wrongly: a control that does not exist or is of
// another kind, a user action on a hidden window or after the end.
struct HeadlessMisuse {
  std::string what;
};

struct RecordedMessage {
  std::string text;
  std::string title;
  MessageIcon icon = MessageIcon::Information;
  MessageButtons buttons = MessageButtons::Ok;
  MessageAnswer answer = MessageAnswer::Ok;
  // The window's pointer while the box was shown; -1 without a window.
  int pointerBehind = -1;
  bool windowVisible = false;
};

class HeadlessWindowSystem;

// The state of one control. Only the members that fit its kind are used.
struct HeadlessControl {
  ControlDesign design;
  std::string text;  // labels, frames, buttons, the check box
  bool enabled = true;
  int value = 0;     // the check box: 0 or 1
};

class HeadlessWindow final : public Window {
 public:
  HeadlessWindow(HeadlessWindowSystem& system, const WindowDesign& design, FileSystem& files);
  ~HeadlessWindow() override;

  // --- Window: what the program does.
  void Show() override;
  bool Visible() const override { return visible_; }
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
  void RefreshFolders(const std::string& control) override;
  std::string Path(const std::string& control) const override;

  // --- What the user does. Each needs the window shown and the application
  // running; each runs the handlers it raises before it returns, and lets
  // ApplicationEnded and UnexpectedMessageBox through.

  // Chooses a drive in the drive list by its letter ("d:" or 'd'). The list
  // takes it even when it cannot be opened, then raises its change event
  // (when it is another drive than the one shown).
  void ChooseDrive(const std::string& control, const std::string& drive);
  // Highlights a folder of the folder list (a single click): no event, the
  // path stays. name is an entry's name as listed ("Copias", "C:\").
  void HighlightFolder(const std::string& control, const std::string& name);
  // Opens a folder (a double click): the list's path becomes that folder and
  // its change event runs when the path changed. Returns false when the
  // folder cannot be opened any more (removed meanwhile); the list then
  // stays as it was and no event runs.
  bool OpenFolder(const std::string& control, const std::string& name);
  // Clicks a button; a disabled button does nothing.
  void Click(const std::string& control);
  // Presses Alt+key: clicks the enabled button or check box whose text marks
  // key with "&" (letter case ignored). Nothing when none does.
  void PressAccessKey(char key);
  // Ticks (1) or unticks (0) the check box; its click handler, if the program
  // registered one, runs on a real change.
  void SetChecked(const std::string& control, int value);
  // Closes the window by the title bar: it is unloaded without running any
  // handler and, with no window left, the application ends (status 0).
  void CloseByUser();

  // --- What a test inspects.
  const WindowDesign& design() const { return design_; }
  const HeadlessControl& control(const std::string& name) const;
  bool HasHandler(const std::string& control, ControlEvent event) const;
  // The highlighted entry of a folder list: the current folder until the
  // user highlights another; back to it whenever the path changes.
  std::string HighlightedFolder(const std::string& control) const;
  const DriveListModel& driveList(const std::string& control) const;
  const FolderListModel& folderList(const std::string& control) const;
  // How many times the control's event has been raised so far.
  int EventCount(const std::string& control, ControlEvent event) const;

 private:
  struct ListState;

  HeadlessControl& Find(const std::string& name, std::optional<ControlKind> kind);
  const HeadlessControl& Find(const std::string& name, std::optional<ControlKind> kind) const;
  ListState& Lists(const std::string& name);
  const ListState& Lists(const std::string& name) const;
  void Raise(const std::string& control, ControlEvent event);
  void RequireUser(const std::string& action) const;

  HeadlessWindowSystem& system_;
  WindowDesign design_;
  std::map<std::string, HeadlessControl> controls_;
  std::map<std::string, std::unique_ptr<ListState>> lists_;
  EventHandlers handlers_;
  std::map<std::pair<std::string, ControlEvent>, int> eventCounts_;
  bool visible_ = false;
  int pointer_ = kPointerDefault;
};

class HeadlessWindowSystem final : public WindowSystem {
 public:
  // The lists of every window made read the drives and folders of files,
  // which must outlive the windows.
  explicit HeadlessWindowSystem(FileSystem& files);

  std::unique_ptr<Window> CreateMainWindow(const WindowDesign& design) override;
  // Counts the call and runs the test's action for it, if any: what the
  // user does while an operation runs.
  void KeepResponsive() override {
    ++keepResponsiveCalls_;
    if (duringOperation_) duringOperation_();
  }
  void OnKeepResponsive(std::function<void()> action) { duringOperation_ = std::move(action); }
  // Records the end and throws ApplicationEnded.
  void EndApplication(int exitStatus) override;
  // Records the box and answers it with the next queued answer; throws
  // UnexpectedMessageBox when none fits.
  MessageAnswer ShowMessage(const std::string& text, const std::string& title,
                            MessageIcon icon, MessageButtons buttons) override;

  // The answer the next message box gets; answers are used in order.
  void QueueAnswer(MessageAnswer answer) { answers_.push_back(answer); }
  std::size_t PendingAnswers() const { return answers_.size(); }
  // Runs while a box is shown, before it is answered: lets a test look at
  // the files or the window at that moment.
  void OnMessage(std::function<void(const RecordedMessage&)> observer) {
    observer_ = std::move(observer);
  }
  // Every box shown so far, an unexpected one included, in order.
  const std::vector<RecordedMessage>& messages() const { return messages_; }

  bool ended() const { return exitStatus_.has_value(); }
  std::optional<int> exitStatus() const { return exitStatus_; }

  // The window made last, while it exists; nullptr otherwise.
  HeadlessWindow* window() const { return window_; }
  // How many windows have been made.
  int windowsCreated() const { return windowsCreated_; }
  int keepResponsiveCalls() const { return keepResponsiveCalls_; }

 private:
  friend class HeadlessWindow;

  FileSystem& files_;
  std::deque<MessageAnswer> answers_;
  std::function<void(const RecordedMessage&)> observer_;
  std::function<void()> duringOperation_;
  std::vector<RecordedMessage> messages_;
  std::optional<int> exitStatus_;
  HeadlessWindow* window_ = nullptr;
  int windowsCreated_ = 0;
  int keepResponsiveCalls_ = 0;
};

}  // namespace bt::doubles
