#include "programs/linux/single_window.h"

#include <QApplication>
#include <QLocalSocket>
#include <QThread>
#include <QWidget>

#include "programs/linux/x11_focus.h"

namespace bt {
namespace {

// What a later start sends; the first program reacts to the connection
// itself, so that a start that ends at once is still heard.
constexpr char kComeForward[] = "come forward\n";

QString Path(const std::string& path) { return QString::fromStdString(path); }

// Asks the first program to come forward; false when nobody listens yet.
bool AskFirstToComeForward(const std::string& socket) {
  QLocalSocket first;
  first.connectToServer(Path(socket));
  if (!first.waitForConnected(1000)) return false;
  first.write(kComeForward);
  first.waitForBytesWritten(1000);
  first.disconnectFromServer();
  return true;
}

}  // namespace

SingleWindow::SingleWindow(InstancePlace place) : place_(std::move(place)), lock_(place_.lockFile) {}

SingleWindow::~SingleWindow() = default;

bool SingleWindow::Claim(std::chrono::milliseconds patience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  for (;;) {
    switch (lock_.TryTake()) {
      case InstanceLock::State::kTaken:
        Listen();
        return true;
      case InstanceLock::State::kUnavailable:
        return true;
      case InstanceLock::State::kHeldElsewhere:
        break;
    }
    if (AskFirstToComeForward(place_.socket)) return false;
    // The first is between taking the lock and listening, or is ending.
    // Past the patience it is left alone: its window is up, or coming.
    if (std::chrono::steady_clock::now() >= deadline) return false;
    QThread::msleep(20);
  }
}

void SingleWindow::Listen() {
  // Whatever is at the socket's path was left by a program that ended
  // without removing it: the lock says no other first program is alive.
  QLocalServer::removeServer(Path(place_.socket));
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
    while (QLocalSocket* later = server_->nextPendingConnection()) {
      later->abort();
      later->deleteLater();
    }
    if (window_ != nullptr && window_->isVisible()) BringForward(*window_);
  });
  // Not listening, later starts wait their patience and end all the same.
  server_->listen(Path(place_.socket));
}

void BringForward(QWidget& window) {
  if (window.isMinimized()) window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  window.raise();
  // A box the window is showing takes the input in its stead.
  QWidget* input = QApplication::activeModalWidget();
  if (input == nullptr) input = &window;
  input->raise();
  input->activateWindow();
  FocusNow(*input);
}

}  // namespace bt
