// The keyboard as in a dialog, the idle and busy states, the end of the
// application, and a window that refuses the user while it works.
#include "tests/win32/window_fixture.h"

namespace bt::win32_test {
namespace {

TEST_F(Win32WindowTest, TabVisitsTheListsTheButtonsAndTheCheckBoxInDesignOrder) {
  Create();
  ShowAndActivate();
  EXPECT_EQ(Focused(), "drvLocal") << "the drive list starts with the focus";
  for (const char* next : {"dirLocal", "cmdBackup", "cmdRestore", "chkIncluirTudo", "cmdSair", "drvLocal"}) {
    PressKeys({{VK_TAB}});
    EXPECT_EQ(Focused(), next);
  }
  PressKeys({{VK_TAB, {VK_SHIFT}}});
  EXPECT_EQ(Focused(), "cmdSair");
}

TEST_F(Win32WindowTest, AltRAndEnterPressButtonsAsInADialogAndNothingWhileTheWindowIsBusy) {
  Create();
  int sair = 0, restore = 0, checkBoxClicks = 0;
  window->SetHandler("cmdSair", ControlEvent::Click, [&] { ++sair; });
  window->SetHandler("cmdRestore", ControlEvent::Click, [&] { ++restore; });
  window->SetHandler("chkIncluirTudo", ControlEvent::Click, [&] { ++checkBoxClicks; });
  ShowAndActivate();

  PressKeys({{'R', {VK_MENU}}});
  EXPECT_EQ(sair, 1) << "Alt+R presses Sai&r";

  MoveFocus("cmdRestore");
  PressKeys({{VK_RETURN}, {VK_SPACE}});
  EXPECT_EQ(restore, 2) << "Enter and Space press the button that has the focus";
  int backup = 0;
  window->SetHandler("cmdBackup", ControlEvent::Click, [&] { ++backup; });
  SetFocus(Control("cmdBackup"));  // as a click gives it: not made the default
  PressKeys({{VK_RETURN}});
  EXPECT_EQ(backup, 1);
  EXPECT_EQ(restore, 2) << "not the button the dialog manager made the default before";
  MoveFocus("cmdRestore");

  MoveFocus("chkIncluirTudo");
  PressKeys({{VK_RETURN}});
  EXPECT_EQ(window->Value("chkIncluirTudo"), 0) << "Enter does not tick the check box";
  EXPECT_EQ(restore, 2) << "nor press the button that had the focus before";
  PressKeys({{VK_SPACE}});
  EXPECT_EQ(window->Value("chkIncluirTudo"), 1);
  EXPECT_EQ(checkBoxClicks, 1);

  SetBusy(true);
  PressKeys({{'R', {VK_MENU}}});
  EXPECT_EQ(sair, 1) << "Sai&r is disabled while busy";
  // Whatever reaches the window procedure while busy runs no handler.
  SendMessageW(win->handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Control("chkIncluirTudo")), BN_CLICKED),
               reinterpret_cast<LPARAM>(Control("chkIncluirTudo")));
  EXPECT_EQ(checkBoxClicks, 1);
  SetBusy(false);
  PressKeys({{'R', {VK_MENU}}});
  EXPECT_EQ(sair, 2);
}

TEST_F(Win32WindowTest, ABusyWindowShowsTheHourglassOverEveryControlAndDisablesOnlyTheButtons) {
  Create();
  ShowAndActivate();
  MoveFocus("cmdBackup");
  SetBusy(true);
  const HCURSOR hourglass = LoadCursorW(nullptr, IDC_WAIT);
  for (const ControlDesign& row : FrmBackupDesign().controls) {
    SetCursor(nullptr);
    HWND control = Control(row.name);
    // What the system sends when the pointer moves over the control.
    SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), hourglass) << row.name;
  }
  for (const char* button : {"cmdBackup", "cmdRestore", "cmdSair"}) EXPECT_FALSE(window->Enabled(button));
  for (const char* other : {"drvLocal", "dirLocal", "chkIncluirTudo"}) EXPECT_TRUE(window->Enabled(other));

  SetBusy(false);
  EXPECT_EQ(window->MousePointer(), kPointerDefault);
  SetCursor(nullptr);
  SendMessageW(Control("cmdBackup"), WM_SETCURSOR, reinterpret_cast<WPARAM>(Control("cmdBackup")),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_NE(GetCursor(), hourglass);
  EXPECT_EQ(Focused(), "cmdBackup") << "the button pressed for an operation has the focus again";
  EXPECT_THROW(window->SetMousePointer(3), AppError);
}

// The restore asks first: its box takes the focus while the operation
// starts, and a Space after it must press the button again, not tick the
// check box.
TEST_F(Win32WindowTest, TheButtonPressedHasTheFocusAgainAfterAConfirmationAndTheOperation) {
  Create();
  window->SetHandler("cmdRestore", ControlEvent::Click, [this] {
    NextBox box([](HWND) { SendKeys({{VK_RETURN}}); });
    windows->ShowMessage("Substituir?", "Substituir arquivos?", MessageIcon::Question, MessageButtons::YesNo);
    SetBusy(true);
    SetBusy(false);
  });
  ShowAndActivate();
  MoveFocus("cmdRestore");
  PressKeys({{VK_SPACE}});
  EXPECT_EQ(Focused(), "cmdRestore");
  PressKeys({{VK_TAB}, {VK_SPACE}});
  EXPECT_EQ(window->Value("chkIncluirTudo"), 1) << "the check box follows the button in the tab order";
}

TEST_F(Win32WindowTest, WhileBusyACloseRequestIsRefusedAndTheUsersInputThrownAway) {
  Create();
  int clicks = 0;
  window->SetHandler("cmdBackup", ControlEvent::Click, [&] { ++clicks; });
  ShowAndActivate();
  SetBusy(true);
  PostMessageW(win->handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  PostMessageW(win->handle(), WM_CLOSE, 0, 0);
  SendKeys({{VK_F4, {VK_MENU}}});
  windows->KeepResponsive();
  EXPECT_TRUE(window->Visible()) << "closing is refused while busy";
  SetBusy(false);

  // An operation running: the user's click arrives meanwhile and is gone.
  HWND button = Control("cmdBackup");
  window->SetHandler("cmdRestore", ControlEvent::Click, [&] {
    PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    windows->KeepResponsive();
  });
  SendMessageW(win->handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Control("cmdRestore")), BN_CLICKED),
               reinterpret_cast<LPARAM>(Control("cmdRestore")));
  Pump();
  EXPECT_EQ(clicks, 0) << "the click during the operation is not delivered after it";
  PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  Pump();
  EXPECT_EQ(clicks, 1) << "a click after the operation is handled again";

  // Idle, the title bar's close ends the application: no window is left.
  PostMessageW(win->handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  Pump();
  EXPECT_FALSE(window->Visible());
  EXPECT_EQ(win->handle(), nullptr);
  MSG quit;
  EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the message loop ends";
  EXPECT_THROW(window->SetText("lblInfo", "x"), AppError);
}

TEST_F(Win32WindowTest, AFailureEscapingAUsersClickIsReportedAndEndsTheApplication) {
  Create();
  window->SetHandler("cmdBackup", ControlEvent::Click, [] { throw AppError(kErrDiskFull, "D:\\x"); });
  ShowAndActivate();
  std::wstring title, copied;
  NextBox box([&](HWND shown) {
    title = WindowText(shown);
    SendKeys({{'C', {VK_CONTROL}}, {VK_RETURN}});
  });
  MoveFocus("cmdBackup");
  PressKeys({{VK_SPACE}});
  EXPECT_TRUE(box.acted());
  EXPECT_EQ(title, L"BackupTarvel");
  EXPECT_EQ(ClipboardText(),
            L"---------------------------\r\nBackupTarvel\r\n---------------------------\r\n"
            L"Erro em tempo de execução '61':\r\n\r\nDisco cheio\r\n"
            L"---------------------------\r\nOK   \r\n---------------------------\r\n");
  EXPECT_EQ(endStatus, 1);
}

TEST_F(Win32WindowTest, AFailureInAChangeRaisedByCodeGoesBackToTheSettingCall) {
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

}  // namespace
}  // namespace bt::win32_test
