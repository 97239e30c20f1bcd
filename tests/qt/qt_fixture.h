// What the Qt tests share: the real window system over temporary drives, the
// main window built from the application's design, and a way to act on a
// modal message box from inside its own event loop.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include "app/frm_backup_design.h"
#include "ui/qt/classic_message_box.h"
#include "ui/qt/qt_window.h"
#include "ui/qt/qt_window_system.h"
#include "testing/temp_drives.h"

namespace bt {

// Runs action on the next message box once it is shown and active, inside
// its modal loop. A box that the action leaves open is closed by force and fails the
// test, as does no box within five seconds, so that no test can hang.
inline void OnNextBox(std::function<void(ClassicMessageBox&)> action) {
  auto* timer = new QTimer(QApplication::instance());
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  QObject::connect(timer, &QTimer::timeout, timer, [timer, clock, action = std::move(action)] {
    auto* box = dynamic_cast<ClassicMessageBox*>(QApplication::activeModalWidget());
    // Keys go where the user's would only once the box has the keyboard.
    if (box == nullptr || !box->isVisible() || !box->isActiveWindow()) {
      if (clock->elapsed() > 5000) {
        timer->deleteLater();
        ADD_FAILURE() << "no message box was shown";
      }
      return;
    }
    timer->stop();
    timer->deleteLater();
    action(*box);
    if (box->isVisible()) {
      ADD_FAILURE() << "the message box was left open";
      box->done(QDialog::Rejected);
    }
  });
  timer->start(5);
}

// Sends a key press and release to whatever has the keyboard focus, as a
// user's key would go.
inline void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWidget* target = QApplication::focusWidget();
  if (target == nullptr) target = QApplication::activeWindow();
  ASSERT_NE(target, nullptr) << "nothing has the keyboard focus";
  QTest::keyClick(target, key, modifiers);
}

class QtWindowTest : public ::testing::Test {
 protected:
  QtWindowTest() {
    drives.AddDrive('C');
    drives.MakeFolder("C:\\Copias\\2024");
    drives.MakeFolder("C:\\dados");
    drives.MakeFolder("C:\\Zeta");
    drives.MakeFolder("C:\\Arquivos");
    drives.MakeFolder("C:\\.oculta");  // hidden, as Wine shows a dot name
    drives.WriteFile("C:\\leia-me.txt", "not a folder");
    drives.AddDrive('D', /*openable=*/false);
    drives.AddDrive('E');
    drives.MakeFolder("E:\\Backups");
    files = drives.MakeFileSystem();
    windows = std::make_unique<QtWindowSystem>(*files, [this](int status) { endStatus = status; });
  }

  ~QtWindowTest() override {
    window.reset();
    windows.reset();
  }

  // Builds the main window of the application's design, hidden.
  QtWindow& Create() {
    window = windows->CreateMainWindow(FrmBackupDesign());
    qt = dynamic_cast<QtWindow*>(window.get());
    EXPECT_NE(qt, nullptr);
    return *qt;
  }

  // Shows the window and waits until it has the keyboard.
  void ShowAndActivate() {
    window->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(qt->widget()));
  }

  template <typename T = QWidget>
  T* Control(const std::string& name) {
    T* found = qt->widget()->findChild<T*>(QString::fromStdString(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }

  doubles::TempDrives drives;
  std::unique_ptr<FileSystem> files;
  std::optional<int> endStatus;
  std::unique_ptr<QtWindowSystem> windows;
  std::unique_ptr<Window> window;
  QtWindow* qt = nullptr;
};

}  // namespace bt
