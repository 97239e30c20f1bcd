// Message boxes as the Windows program draws them and its users answer
// them, whatever the language of Windows: the buttons, the default, the
// keys, the owner, and the text Ctrl+C copies.
#include "ui/win32/wide_text.h"
#include "tests/win32/window_fixture.h"

namespace bt::win32_test {
namespace {

const char kQuestion[] =
    "Este procedimento substituirá os arquivos de dados atualmente disponíveis para o Tarvel 2.0 \n"
    "por esta cópia de segurança criada anteriormente. Tem certeza que deseja prosseguir?";

std::vector<std::wstring> ButtonTexts(HWND box) {
  std::vector<std::wstring> texts;
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t type[16] = {};
    GetClassNameW(child, type, 16);
    if (_wcsicmp(type, L"Button") == 0) texts.push_back(WindowText(child));
  }
  return texts;
}

MessageAnswer Ask(Win32WindowSystem& windows) {
  return windows.ShowMessage(kQuestion, "Substituir arquivos?", MessageIcon::Question, MessageButtons::YesNo);
}

TEST_F(Win32WindowTest, AQuestionOffersSimAndNaoAndEnterAnswersSim) {
  std::vector<std::wstring> buttons;
  std::wstring title;
  NextBox box([&](HWND shown) {
    buttons = ButtonTexts(shown);
    title = WindowText(shown);
    SendKeys({{VK_RETURN}});
  });
  EXPECT_EQ(Ask(*windows), MessageAnswer::Yes);
  EXPECT_EQ(buttons, (std::vector<std::wstring>{L"&Sim", L"&Não"}));
  EXPECT_EQ(title, L"Substituir arquivos?");

  NextBox tabbed([](HWND) { SendKeys({{VK_TAB}, {VK_RETURN}}); });
  EXPECT_EQ(Ask(*windows), MessageAnswer::No) << "Tab then Enter answers Não";
  NextBox accessKey([](HWND) { SendKeys({{'N', {VK_MENU}}}); });
  EXPECT_EQ(Ask(*windows), MessageAnswer::No);
}

TEST_F(Win32WindowTest, EscapeAndClosingDoNothingOnAQuestionAndAnswerAnOkBox) {
  bool stillOpen = false;
  NextBox question([&](HWND shown) {
    SendKeys({{VK_ESCAPE}});
    SendMessageW(shown, WM_CLOSE, 0, 0);
    Pump();
    stillOpen = IsWindowVisible(shown) != FALSE;
    SendKeys({{VK_TAB}, {VK_SPACE}});
  });
  EXPECT_EQ(Ask(*windows), MessageAnswer::No);
  EXPECT_TRUE(stillOpen);

  std::vector<std::wstring> buttons;
  NextBox information([&](HWND shown) {
    buttons = ButtonTexts(shown);
    SendKeys({{VK_ESCAPE}});
  });
  EXPECT_EQ(windows->ShowMessage("Concluído", "Operação concluída", MessageIcon::Information, MessageButtons::Ok),
            MessageAnswer::Ok);
  EXPECT_EQ(buttons, (std::vector<std::wstring>{L"OK"}));
}

TEST_F(Win32WindowTest, CtrlCCopiesTheBoxExactlyAsTheLinuxBuildDoes) {
  NextBox box([](HWND) { SendKeys({{'C', {VK_CONTROL}}, {VK_RETURN}}); });
  windows->ShowMessage("Ocorreu um erro ao criar a pasta de destino:\nD:\\Copias\\20240305140709", "Erro",
                       MessageIcon::Error, MessageButtons::Ok);
  EXPECT_EQ(ClipboardText(),
            L"---------------------------\r\nErro\r\n---------------------------\r\n"
            L"Ocorreu um erro ao criar a pasta de destino:\r\nD:\\Copias\\20240305140709\r\n"
            L"---------------------------\r\nOK   \r\n---------------------------\r\n");

  NextBox question([](HWND) { SendKeys({{VK_INSERT, {VK_CONTROL}}, {VK_TAB}, {VK_RETURN}}); });
  Ask(*windows);
  const std::wstring copied = ClipboardText();
  EXPECT_NE(copied.find(L"Tarvel 2.0 \r\npor esta cópia"), std::wstring::npos);
  EXPECT_TRUE(copied.ends_with(
      L"prosseguir?\r\n---------------------------\r\nSim   Não   \r\n---------------------------\r\n"))
      << Narrow(copied);
}

TEST_F(Win32WindowTest, TheBoxStandsOverTheBusyWindowWhichTakesNoInputMeanwhile) {
  Create();
  ShowAndActivate();
  SetBusy(true);
  HWND owner = nullptr;
  bool ownerEnabled = true;
  RECT boxRect{}, textRect{}, firstButton{}, lastButton{};
  HCURSOR pointerOverBox = nullptr;
  NextBox box([&](HWND shown) {
    owner = GetWindow(shown, GW_OWNER);
    HWND yes = GetDlgItem(shown, IDYES);
    SetCursor(nullptr);
    SendMessageW(yes, WM_SETCURSOR, reinterpret_cast<WPARAM>(yes), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    pointerOverBox = GetCursor();
    ownerEnabled = IsWindowEnabled(win->handle()) != FALSE;
    GetClientRect(shown, &boxRect);
    HWND text = GetWindow(shown, GW_CHILD);
    GetWindowRect(text, &textRect);
    GetWindowRect(GetDlgItem(shown, IDYES), &firstButton);
    GetWindowRect(GetDlgItem(shown, IDNO), &lastButton);
    MapWindowPoints(nullptr, shown, reinterpret_cast<POINT*>(&textRect), 2);
    MapWindowPoints(nullptr, shown, reinterpret_cast<POINT*>(&firstButton), 2);
    MapWindowPoints(nullptr, shown, reinterpret_cast<POINT*>(&lastButton), 2);
    SendKeys({{VK_RETURN}});
  });
  Ask(*windows);
  EXPECT_EQ(owner, win->handle());
  EXPECT_FALSE(ownerEnabled);
  EXPECT_EQ(pointerOverBox, LoadCursorW(nullptr, IDC_ARROW)) << "the hourglass is the window's, not the box's";
  EXPECT_TRUE(IsWindowEnabled(win->handle())) << "enabled again once answered";
  EXPECT_LE(textRect.right, boxRect.right);
  EXPECT_LT(textRect.bottom, firstButton.top) << "the text ends above the buttons";
  EXPECT_LE(std::abs(firstButton.left - (boxRect.right - lastButton.right)), 1) << "the buttons are centred";
}

}  // namespace
}  // namespace bt::win32_test
