// The idle and busy states, the exit button and its access key, the end of
// the application, and a window that stays alive during a long operation.
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>

#include "platform/linux/linux_file_system.h"
#include "tests/qt/qt_fixture.h"

namespace bt {
namespace {

void SetBusy(Window& form, bool busy) {
  form.SetMousePointer(busy ? kPointerHourglass : kPointerDefault);
  for (const char* button : {"cmdBackup", "cmdRestore", "cmdSair"}) form.SetEnabled(button, !busy);
}

TEST_F(QtWindowTest, ABusyWindowShowsTheHourglassEverywhereAndDisablesOnlyTheButtons) {
  Create();
  ShowAndActivate();
  SetBusy(*window, true);
  EXPECT_EQ(window->MousePointer(), kPointerHourglass);
  EXPECT_EQ(qt->widget()->cursor().shape(), Qt::WaitCursor);
  for (QWidget* widget : qt->widget()->findChildren<QWidget*>()) {
    EXPECT_EQ(widget->cursor().shape(), Qt::WaitCursor) << widget->objectName().toStdString();
  }
  for (const char* button : {"cmdBackup", "cmdRestore", "cmdSair"}) {
    EXPECT_FALSE(Control(button)->isEnabled()) << button;
    EXPECT_FALSE(window->Enabled(button)) << button;
  }
  for (const char* other : {"drvLocal", "dirLocal", "chkIncluirTudo"}) {
    EXPECT_TRUE(Control(other)->isEnabled()) << other;
  }

  SetBusy(*window, false);
  EXPECT_EQ(window->MousePointer(), kPointerDefault);
  EXPECT_EQ(qt->widget()->cursor().shape(), Qt::ArrowCursor);
  for (const char* button : {"cmdBackup", "cmdRestore", "cmdSair"}) EXPECT_TRUE(window->Enabled(button));
}

TEST_F(QtWindowTest, OnlyTheDefaultAndTheHourglassPointersAreOffered) {
  Create();
  EXPECT_THROW(window->SetMousePointer(3), AppError);
  EXPECT_EQ(window->MousePointer(), kPointerDefault);
}

TEST_F(QtWindowTest, AltRPressesSairLikeAClickAndNothingWhileTheWindowIsBusy) {
  Create();
  int clicks = 0;
  window->SetHandler("cmdSair", ControlEvent::Click, [&] { ++clicks; });
  ShowAndActivate();
  EXPECT_TRUE(Control<QPushButton>("cmdSair")->shortcut().matches(QKeySequence(Qt::ALT | Qt::Key_R)));

  PressKey(Qt::Key_R, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return clicks == 1; }, 2000));

  SetBusy(*window, true);
  PressKey(Qt::Key_R, Qt::AltModifier);
  QTest::qWait(300);  // a pressed button fires after its short animation
  EXPECT_EQ(clicks, 1);

  SetBusy(*window, false);
  QTest::mouseClick(Control("cmdSair"), Qt::LeftButton);
  EXPECT_EQ(clicks, 2);
}

TEST_F(QtWindowTest, EnterOrSpacePressesTheButtonThatHasTheFocus) {
  Create();
  int clicks = 0;
  window->SetHandler("cmdRestore", ControlEvent::Click, [&] { ++clicks; });
  ShowAndActivate();
  Control("cmdRestore")->setFocus();
  PressKey(Qt::Key_Return);
  EXPECT_EQ(clicks, 1);
  PressKey(Qt::Key_Space);
  EXPECT_EQ(clicks, 2);
  Control("cmdBackup")->setFocus();
  PressKey(Qt::Key_Return);
  EXPECT_EQ(clicks, 2) << "only the focused button";
}

TEST_F(QtWindowTest, TheButtonPressedForAnOperationHasTheFocusAgainAfterIt) {
  Create();
  ShowAndActivate();
  Control("cmdBackup")->setFocus();
  ASSERT_TRUE(Control("cmdBackup")->hasFocus());

  SetBusy(*window, true);
  SetBusy(*window, false);

  EXPECT_TRUE(Control("cmdBackup")->hasFocus())
      << "a Space after the operation would tick the check box instead";
  PressKey(Qt::Key_Space);
  EXPECT_EQ(window->Value("chkIncluirTudo"), 0);
}

// The restore asks first: its box takes the focus and gives it back only
// once the window's own events run again, after the operation has begun.
TEST_F(QtWindowTest, TheButtonPressedHasTheFocusAgainAfterAConfirmationAndTheOperation) {
  Create();
  window->SetHandler("cmdRestore", ControlEvent::Click, [this] {
    OnNextBox([](ClassicMessageBox&) { PressKey(Qt::Key_Return); });
    windows->ShowMessage("Substituir?", "Substituir arquivos?", MessageIcon::Question, MessageButtons::YesNo);
    SetBusy(*window, true);
    SetBusy(*window, false);
  });
  ShowAndActivate();
  Control("cmdRestore")->setFocus();
  PressKey(Qt::Key_Space);
  qt->widget()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(qt->widget()));

  EXPECT_EQ(qt->widget()->focusWidget(), Control("cmdRestore")) << "a Space would tick the check box instead";
  PressKey(Qt::Key_Tab);
  PressKey(Qt::Key_Space);
  EXPECT_EQ(window->Value("chkIncluirTudo"), 1) << "the check box follows the button in the tab order";
}

TEST_F(QtWindowTest, TickingTheCheckBoxAnywhereOnItsCaptionChangesItsValue) {
  Create();
  ShowAndActivate();
  auto* box = Control<QCheckBox>("chkIncluirTudo");
  EXPECT_EQ(window->Value("chkIncluirTudo"), 0);
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 5, box->height() / 2));
  EXPECT_EQ(window->Value("chkIncluirTudo"), 1);
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
  EXPECT_EQ(window->Value("chkIncluirTudo"), 0);
}

TEST_F(QtWindowTest, AFailureEscapingAUsersClickIsReportedAndEndsTheApplication) {
  Create();
  window->SetHandler("cmdBackup", ControlEvent::Click, [] { throw AppError(kErrDiskFull, "D:\\x"); });
  ShowAndActivate();
  std::string text, title;
  OnNextBox([&](ClassicMessageBox& box) {
    text = box.ClipboardText().toStdString();
    title = box.windowTitle().toStdString();
    PressKey(Qt::Key_Return);
  });
  QTest::mouseClick(Control("cmdBackup"), Qt::LeftButton);
  EXPECT_EQ(title, "BackupTarvel");
  EXPECT_NE(text.find("'61'"), std::string::npos) << text;
  EXPECT_NE(text.find("Disco cheio"), std::string::npos) << text;
  EXPECT_EQ(endStatus, 1);
}

TEST_F(QtWindowTest, AFailureInAChangeRaisedByCodeGoesBackToTheSettingCall) {
  Create();
  window->SetHandler("drvLocal", ControlEvent::Change, [] { throw AppError(kErrDiskNotReady); });
  try {
    window->SetDrive("drvLocal", "e:");
    ADD_FAILURE() << "the handler's failure was swallowed";
  } catch (const AppError& error) {
    EXPECT_EQ(error.number(), kErrDiskNotReady);
  }
  EXPECT_FALSE(endStatus.has_value());
}

TEST(QtWindowSystemEnd, EndApplicationEndsTheProcessAtOnceWithItsStatus) {
  // No temporary drives: the process the death test starts ends without
  // running destructors, and would leave them behind.
  auto files = MakeLinuxFileSystem(DriveTable{{'C', "/", "/"}});
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        QtWindowSystem windows(*files);
        windows.EndApplication(3);
        std::fprintf(stderr, "EndApplication returned\n");
      },
      ::testing::ExitedWithCode(3), "");
}

TEST_F(QtWindowTest, KeepingResponsivePaintsButThrowsTheUsersInputAway) {
  Create();
  int clicks = 0;
  window->SetHandler("cmdBackup", ControlEvent::Click, [&] { ++clicks; });
  ShowAndActivate();
  QPushButton* button = Control<QPushButton>("cmdBackup");
  const QPoint centre = button->rect().center();
  const QPoint global = button->mapToGlobal(centre);
  QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonPress, centre, global,
                                                      Qt::LeftButton, Qt::LeftButton, {}));
  QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonRelease, centre, global,
                                                      Qt::LeftButton, Qt::NoButton, {}));
  QCoreApplication::postEvent(qt->widget(), new QCloseEvent);
  bool timerRan = false;
  QTimer::singleShot(0, [&] { timerRan = true; });

  windows->KeepResponsive();
  EXPECT_TRUE(timerRan) << "the window's own work goes on";
  QCoreApplication::processEvents();
  EXPECT_EQ(clicks, 0) << "the click arrived during the operation and is gone";
  EXPECT_TRUE(window->Visible()) << "a close request during the operation is refused";

  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks, 1) << "input after the operation is handled again";
}

}  // namespace
}  // namespace bt
