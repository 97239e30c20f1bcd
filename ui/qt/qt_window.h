// The main window on Qt: a fixed-size top-level widget built from a
// WindowDesign, each control a child widget named after its design row (so
// that QObject::findChild finds "cmdSair"). The window holds no logic of the
// application: it draws, keeps the lists' models, and raises the events.
//
// Events raised by the user (a click, a drive chosen, a folder opened) run
// their handler from Qt's event dispatch; a failure that escapes such a
// handler is reported and ends the application, since it must not unwind
// through Qt. Events raised by code run inside the setting call and their
// failures go on to the caller.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include <QPointer>
#include <QWidget>

#include "platform/file_system.h"
#include "platform/window_system.h"
#include "ui/common/event_handlers.h"

namespace bt {

class QtWindow final : public Window {
 public:
  // The widget is owned by this object while it lives; the window system
  // deletes it at its own end if this object outlives the application.
  QtWindow(const WindowDesign& design, FileSystem& files, WindowSystem& system);
  ~QtWindow() override;
  QtWindow(const QtWindow&) = delete;
  QtWindow& operator=(const QtWindow&) = delete;

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

  // The top-level widget; null once it has been deleted.
  QWidget* widget() const { return top_.data(); }
  // The widget of a control of the design; null when there is none.
  QWidget* control(const std::string& name) const;

 private:
  struct Control {
    ControlKind kind;
    QWidget* widget;
  };

  void Build(const WindowDesign& design, FileSystem& files);
  std::unique_ptr<QWidget> MakeTopLevel(const WindowDesign& design);
  // Every control at its design place, frames first so that a control
  // finds its frame whatever the row order.
  void MakeControls(const WindowDesign& design, QWidget* top, FileSystem& files);
  QWidget* MakeControl(const ControlDesign& row, QWidget* parent, FileSystem& files);
  void SetFocusOrder(const WindowDesign& design);
  // The lists have no caption of their own: a screen reader names them by
  // the frame that holds them. Every other control is read by its caption.
  void NameListsByFrame(QWidget* frame);
  const Control& Find(const std::string& name) const;
  const Control& Find(const std::string& name, ControlKind kind) const;
  const Control& FindWithText(const std::string& name) const;
  // A user's event: what escapes its handler is reported and ends the
  // application, since it must not unwind through Qt.
  void RaiseFromUser(const std::string& control, ControlEvent event);

  WindowSystem& system_;
  QPointer<QWidget> top_;
  std::map<std::string, Control> controls_;
  EventHandlers handlers_;
  QWidget* firstFocus_ = nullptr;
  // The button pressed, or the one that had the focus when it was disabled
  // for an operation: it gets the focus back when enabled again, as the
  // user left it.
  QPointer<QWidget> focusBeforeDisabled_;
  int pointer_ = kPointerDefault;
};

}  // namespace bt
