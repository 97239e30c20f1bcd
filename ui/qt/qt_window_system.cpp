#include "ui/qt/qt_window_system.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include "ui/qt/classic_message_box.h"
#include "ui/qt/qt_window.h"

namespace bt {

namespace {

// Swallows the user's input for as long as it is installed on the
// application; everything else (painting, the desktop's messages) passes.
class InputDiscarder final : public QObject {
 public:
  InputDiscarder() { QCoreApplication::instance()->installEventFilter(this); }
  ~InputDiscarder() override { QCoreApplication::instance()->removeEventFilter(this); }
  InputDiscarder(const InputDiscarder&) = delete;
  InputDiscarder& operator=(const InputDiscarder&) = delete;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::ContextMenu:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
      case QEvent::TabletPress:
      case QEvent::TabletRelease:
      case QEvent::Close:
        // A close request refused, not carried out: the window stays open.
        event->ignore();
        return true;
      default:
        return false;
    }
  }
};

}  // namespace

QtWindowSystem::QtWindowSystem(FileSystem& files, ProcessEnd endProcess)
    : files_(files), endProcess_(std::move(endProcess)) {}

QtWindowSystem::~QtWindowSystem() {
  for (const QPointer<QWidget>& window : windows_) delete window.data();
}

std::unique_ptr<Window> QtWindowSystem::CreateMainWindow(const WindowDesign& design) {
  auto window = std::make_unique<QtWindow>(design, files_, *this);
  std::erase_if(windows_, [](const QPointer<QWidget>& w) { return w.isNull(); });
  windows_.emplace_back(window->widget());
  return window;
}

void QtWindowSystem::KeepResponsive() {
  const auto now = std::chrono::steady_clock::now();
  if (now - keptResponsive_ < kResponsiveEvery) return;
  keptResponsive_ = now;
  const InputDiscarder discarder;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

MessageAnswer QtWindowSystem::ShowMessage(const std::string& text, const std::string& title,
                                          MessageIcon icon, MessageButtons buttons) {
  QWidget* owner = nullptr;
  for (const QPointer<QWidget>& window : windows_) {
    if (!window.isNull() && window->isVisible()) owner = window.data();
  }
  return RunClassicMessageBox(owner, text, title, icon, buttons);
}

void QtWindowSystem::EndApplication(int exitStatus) { EndProcess(endProcess_, exitStatus); }

}  // namespace bt
