#include "ui/qt/qt_window.h"

#include <vector>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "platform/error.h"
#include "ui/common/application_end.h"
#include "ui/common/design_measures.h"
#include "ui/common/design_rules.h"
#include "ui/qt/design_font.h"
#include "ui/qt/drive_list_widget.h"
#include "ui/qt/folder_list_widget.h"
#include "ui/qt/frame_title_style.h"
#include "ui/qt/program_icon.h"
#include "ui/qt/wrapping_check_box.h"

namespace bt {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// Qt reads a top-level window made of a plain widget to a screen reader as a
// pane; read as a window, its title is announced when it is activated.
QAccessibleInterface* TopLevelWindowAccessible(const QString& className, QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  if (className != QLatin1String("QWidget") || widget == nullptr || !widget->isWindow()) return nullptr;
  return new QAccessibleWidget(widget, QAccessible::Window);
}

}  // namespace

QtWindow::QtWindow(const WindowDesign& design, FileSystem& files, WindowSystem& system)
    : system_(system) {
  Build(design, files);
}

QtWindow::~QtWindow() { delete top_.data(); }

void QtWindow::Build(const WindowDesign& design, FileSystem& files) {
  RequireSoundDesign(design);
  std::unique_ptr<QWidget> top = MakeTopLevel(design);
  MakeControls(design, top.get(), files);
  for (const auto& [name, frame] : controls_) {
    if (frame.kind == ControlKind::Frame) NameListsByFrame(frame.widget);
  }
  SetFocusOrder(design);
  top_ = top.release();
}

std::unique_ptr<QWidget> QtWindow::MakeTopLevel(const WindowDesign& design) {
  static const bool accessibleWindows = [] {
    QAccessible::installFactory(TopLevelWindowAccessible);
    return true;
  }();
  (void)accessibleWindows;
  // A fixed single border: no maximise button and no resizing.
  auto top = std::make_unique<QWidget>(
      nullptr, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  top->setObjectName(Q(design.name));
  top->setWindowTitle(Q(design.title));
  top->setWindowIcon(ProgramIcon());
  top->setFont(DesignFont(std::nullopt));
  const double dpi = top->logicalDpiX();
  top->setFixedSize(TwipsToPixels(design.clientWidth, dpi), TwipsToPixels(design.clientHeight, dpi));
  return top;
}

void QtWindow::MakeControls(const WindowDesign& design, QWidget* top, FileSystem& files) {
  std::vector<const ControlDesign*> rows;
  for (const ControlDesign& row : design.controls) {
    if (row.kind == ControlKind::Frame) rows.push_back(&row);
  }
  for (const ControlDesign& row : design.controls) {
    if (row.kind != ControlKind::Frame) rows.push_back(&row);
  }
  const double dpi = top->logicalDpiX();
  for (const ControlDesign* row : rows) {
    QWidget* parent = row->parent.empty() ? top : controls_.at(row->parent).widget;
    QWidget* widget = MakeControl(*row, parent, files);
    widget->setObjectName(Q(row->name));
    if (row->font) widget->setFont(DesignFont(row->font));
    widget->setGeometry(TwipsToPixels(row->left, dpi), TwipsToPixels(row->top, dpi),
                        TwipsToPixels(row->width, dpi), TwipsToPixels(row->height, dpi));
    controls_.emplace(row->name, Control{row->kind, widget});
  }
}

void QtWindow::SetFocusOrder(const WindowDesign& design) {
  const std::vector<const ControlDesign*> focusOrder = FocusOrder(design);
  for (std::size_t i = 1; i < focusOrder.size(); ++i) {
    QWidget::setTabOrder(controls_.at(focusOrder[i - 1]->name).widget,
                         controls_.at(focusOrder[i]->name).widget);
  }
  if (!focusOrder.empty()) {
    firstFocus_ = controls_.at(focusOrder.front()->name).widget;
    firstFocus_->setFocus();
  }
}

QWidget* QtWindow::MakeControl(const ControlDesign& row, QWidget* parent, FileSystem& files) {
  const std::string name = row.name;
  switch (row.kind) {
    case ControlKind::Label: {
      auto* label = new QLabel(parent);
      // Plain text: "<Selecione ...>" is a design text, not markup.
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap(true);
      label->setAlignment(Qt::AlignTop |
                          (row.alignment == Alignment::Center ? Qt::AlignHCenter : Qt::AlignLeft));
      label->setFocusPolicy(Qt::NoFocus);
      label->setText(Q(row.text));
      return label;
    }
    case ControlKind::Frame: {
      auto* frame = new QGroupBox(Q(row.text), parent);
      frame->setFocusPolicy(Qt::NoFocus);
      auto* style = new FrameTitleStyle;
      style->setParent(frame);
      frame->setStyle(style);
      return frame;
    }
    case ControlKind::DriveList: {
      auto* list = new DriveListWidget(files, parent);
      list->OnUserChange([this, name] { RaiseFromUser(name, ControlEvent::Change); });
      return list;
    }
    case ControlKind::FolderList: {
      auto* list = new FolderListWidget(files, parent);
      list->OnUserChange([this, name] { RaiseFromUser(name, ControlEvent::Change); });
      return list;
    }
    case ControlKind::CheckBox: {
      auto* box = new WrappingCheckBox(parent);
      box->setText(Q(row.text));
      QObject::connect(box, &QCheckBox::clicked, box,
                       [this, name] { RaiseFromUser(name, ControlEvent::Click); });
      return box;
    }
    case ControlKind::Button: {
      // The "&" of the text makes Alt + that letter press the button; Enter
      // presses the button that has the focus, as on Windows.
      auto* button = new QPushButton(Q(row.text), parent);
      button->setAutoDefault(true);
      QObject::connect(button, &QPushButton::clicked, button, [this, name, button] {
        // Where the focus belongs once what the button starts is over, even
        // when a box it showed first took the focus away meanwhile.
        focusBeforeDisabled_ = button;
        RaiseFromUser(name, ControlEvent::Click);
      });
      return button;
    }
  }
  throw AppError(kErrInvalidCall, {}, row.name + " is of no known kind");
}

void QtWindow::NameListsByFrame(QWidget* frame) {
  const QString title = static_cast<QGroupBox*>(frame)->title();
  for (const auto& [name, inside] : controls_) {
    const bool list = inside.kind == ControlKind::DriveList || inside.kind == ControlKind::FolderList;
    if (list && inside.widget->parentWidget() == frame) inside.widget->setAccessibleName(title);
  }
}

const QtWindow::Control& QtWindow::Find(const std::string& name) const {
  if (top_.isNull()) throw AppError(kErrInvalidCall, {}, "the window no longer exists");
  auto found = controls_.find(name);
  if (found == controls_.end()) throw AppError(kErrInvalidCall, {}, "no control named " + name);
  return found->second;
}

const QtWindow::Control& QtWindow::Find(const std::string& name, ControlKind kind) const {
  const Control& found = Find(name);
  if (found.kind != kind) throw AppError(kErrInvalidCall, {}, name + " is not of the kind this needs");
  return found;
}

const QtWindow::Control& QtWindow::FindWithText(const std::string& name) const {
  const Control& found = Find(name);
  if (!HasText(found.kind)) throw AppError(kErrInvalidCall, {}, name + " has no text");
  return found;
}

QWidget* QtWindow::control(const std::string& name) const {
  auto found = controls_.find(name);
  return top_.isNull() || found == controls_.end() ? nullptr : found->second.widget;
}

void QtWindow::RaiseFromUser(const std::string& control, ControlEvent event) {
  try {
    handlers_.Raise(control, event);
  } catch (...) {
    ReportEscapedFailureAndEnd(system_, std::current_exception());
  }
}

void QtWindow::Show() {
  if (top_.isNull()) throw AppError(kErrInvalidCall, {}, "the window no longer exists");
  if (!top_->isVisible()) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const QRect area = screen->availableGeometry();
      top_->move(area.center() - QPoint(top_->width() / 2, top_->height() / 2));
    }
  }
  top_->show();
  top_->raise();
  top_->activateWindow();
  if (firstFocus_ != nullptr && QApplication::focusWidget() == nullptr) firstFocus_->setFocus();
}

bool QtWindow::Visible() const { return !top_.isNull() && top_->isVisible(); }

void QtWindow::SetHandler(const std::string& control, ControlEvent event,
                          std::function<void()> handler) {
  Find(control);
  handlers_.Set(control, event, std::move(handler));
}

void QtWindow::SetText(const std::string& control, const std::string& text) {
  const Control& found = FindWithText(control);
  if (found.kind == ControlKind::Label) {
    static_cast<QLabel*>(found.widget)->setText(Q(text));
  } else if (found.kind == ControlKind::Frame) {
    static_cast<QGroupBox*>(found.widget)->setTitle(Q(text));
    NameListsByFrame(found.widget);
  } else {
    static_cast<QAbstractButton*>(found.widget)->setText(Q(text));
  }
}

std::string QtWindow::Text(const std::string& control) const {
  const Control& found = FindWithText(control);
  if (found.kind == ControlKind::Label) return static_cast<QLabel*>(found.widget)->text().toStdString();
  if (found.kind == ControlKind::Frame) return static_cast<QGroupBox*>(found.widget)->title().toStdString();
  return static_cast<QAbstractButton*>(found.widget)->text().toStdString();
}

int QtWindow::Value(const std::string& control) const {
  return static_cast<QCheckBox*>(Find(control, ControlKind::CheckBox).widget)->isChecked() ? 1 : 0;
}

void QtWindow::SetEnabled(const std::string& control, bool enabled) {
  QWidget* widget = Find(control).widget;
  // Qt hands the focus of a disabled widget to the next one, the check box
  // after the two operation buttons, where a Space would tick it.
  // The first button disabled keeps the claim: the focus it passed on may
  // land on the next button, about to be disabled too.
  const bool claimed = !focusBeforeDisabled_.isNull() && !focusBeforeDisabled_->isEnabled();
  if (!enabled && widget->hasFocus() && !claimed) focusBeforeDisabled_ = widget;
  widget->setEnabled(enabled);
  if (enabled && focusBeforeDisabled_ == widget) {
    widget->setFocus(Qt::OtherFocusReason);
    focusBeforeDisabled_ = nullptr;
  }
  // Drawn at once: an operation that follows keeps the event loop waiting.
  if (widget->isVisible()) widget->repaint();
}

bool QtWindow::Enabled(const std::string& control) const { return Find(control).widget->isEnabled(); }

void QtWindow::SetMousePointer(int pointer) {
  if (top_.isNull()) throw AppError(kErrInvalidCall, {}, "the window no longer exists");
  if (!IsOfferedPointer(pointer)) {
    throw AppError(kErrInvalidCall, {}, "mouse pointer " + std::to_string(pointer) + " is not offered");
  }
  if (pointer == kPointerHourglass) {
    top_->setCursor(Qt::WaitCursor);
  } else {
    top_->unsetCursor();
  }
  pointer_ = pointer;
}

void QtWindow::SetDrive(const std::string& control, const std::string& drive) {
  auto* list = static_cast<DriveListWidget*>(Find(control, ControlKind::DriveList).widget);
  if (list->SetDrive(drive)) handlers_.Raise(control, ControlEvent::Change);
}

std::string QtWindow::Drive(const std::string& control) const {
  return static_cast<DriveListWidget*>(Find(control, ControlKind::DriveList).widget)->Drive();
}

void QtWindow::SetPath(const std::string& control, const std::string& path) {
  auto* list = static_cast<FolderListWidget*>(Find(control, ControlKind::FolderList).widget);
  if (list->SetPath(path)) handlers_.Raise(control, ControlEvent::Change);
}

void QtWindow::RefreshFolders(const std::string& control) {
  static_cast<FolderListWidget*>(Find(control, ControlKind::FolderList).widget)->Refresh();
}

std::string QtWindow::Path(const std::string& control) const {
  return static_cast<FolderListWidget*>(Find(control, ControlKind::FolderList).widget)->Path();
}

}  // namespace bt
