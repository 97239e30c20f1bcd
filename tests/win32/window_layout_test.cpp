// The main window as a person sees it: title, fixed border, every control at
// its design place with its text and font, the same at another dpi.
#include "tests/win32/window_fixture.h"
#include "tests/window_contract.h"

// Where gtest finds them for RECT, which lives in the global namespace.
static bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

static std::ostream& operator<<(std::ostream& out, const RECT& r) {
  return out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace bt::win32_test {
namespace {

struct Placement {
  const char* name;
  RECT pixels;  // at 96 dpi, in the window's client area
};

// The design table's twips worked out by hand: 15 twips a pixel, rounded;
// a control in a frame is placed from the frame's corner (also rounded).
const Placement kPlacements[] = {
    {"lblTitulo", {13, 13, 13 + 770, 13 + 33}},
    {"lblInfo", {13, 53, 13 + 770, 53 + 13}},
    {"lblPasso1", {13, 80, 13 + 770, 80 + 15}},
    {"lblPasso3", {13, 120, 13 + 770, 120 + 15}},
    {"fraLocalTarvel", {13, 147, 13 + 770, 147 + 67}},
    {"lblLocalTarvel", {13 + 13, 147 + 20, 26 + 747, 167 + 40}},
    {"fraLocal", {13, 220, 13 + 533, 220 + 292}},
    {"drvLocal", {13 + 13, 220 + 20, 26 + 507, 240 + 21}},  // the closed field
    {"dirLocal", {13 + 13, 220 + 43, 26 + 507, 263 + 186}},
    {"lblLocal", {13 + 13, 220 + 233, 26 + 120, 453 + 15}},
    {"lblLocalExtenso", {13 + 13, 220 + 250, 26 + 507, 470 + 33}},
    {"cmdBackup", {582, 227, 582 + 200, 227 + 33}},
    {"chkIncluirTudo", {582, 333, 582 + 200, 333 + 30}},
    {"cmdSair", {582, 479, 582 + 200, 479 + 33}},
};

RECT PlaceInClient(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

LOGFONTW FontOf(HWND control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

TEST_F(Win32WindowTest, TheWindowIsTitledFixedInSizeAndHiddenUntilShown) {
  Create();
  ASSERT_EQ(win->dpi(), 96u) << "the figures below are for 96 dpi";
  EXPECT_EQ(WindowText(win->handle()), L"Aplicativo de Backup do Tarvel 2.0");
  RECT client;
  GetClientRect(win->handle(), &client);
  EXPECT_EQ(client.right, 794);
  EXPECT_EQ(client.bottom, 528);
  const LONG_PTR style = GetWindowLongPtrW(win->handle(), GWL_STYLE);
  EXPECT_FALSE(style & WS_THICKFRAME) << "a fixed single border";
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_NE(GetClassLongPtrW(win->handle(), GCLP_HICON), 0);
  EXPECT_FALSE(window->Visible());
}

TEST_F(Win32WindowTest, EveryControlSitsAtItsDesignPlaceAndShowsItsDesignText) {
  Create();
  for (const Placement& expected : kPlacements) {
    EXPECT_EQ(PlaceInClient(Control(expected.name)), expected.pixels) << expected.name;
  }
  for (const ControlDesign& row : FrmBackupDesign().controls) {
    if (row.kind == ControlKind::DriveList || row.kind == ControlKind::FolderList) continue;
    EXPECT_EQ(window->Text(row.name), row.text) << row.name;
  }
}

TEST_F(Win32WindowTest, TheTitleIsLargeTheTwoPathsBoldAndNoLabelTakesAnAmpersandForAnAccessKey) {
  Create();
  EXPECT_EQ(FontOf(Control("lblTitulo")).lfHeight, -24) << "18 pt at 96 dpi";
  EXPECT_EQ(FontOf(Control("lblTitulo")).lfWeight, 400);
  for (const char* name : {"lblLocalTarvel", "lblLocalExtenso"}) {
    EXPECT_EQ(FontOf(Control(name)).lfWeight, 700) << name;
    EXPECT_EQ(FontOf(Control(name)).lfHeight, -11) << name << ": 8.25 pt at 96 dpi";
  }
  for (const char* name : {"lblPasso2", "lblLocal", "cmdBackup", "chkIncluirTudo", "dirLocal"}) {
    const LOGFONTW font = FontOf(Control(name));
    EXPECT_EQ(font.lfWeight, 400) << name;
    EXPECT_EQ(font.lfHeight, -11) << name;
    EXPECT_FALSE(font.lfItalic || font.lfUnderline || font.lfStrikeOut) << name;
  }
  for (const ControlDesign& row : FrmBackupDesign().controls) {
    if (row.kind != ControlKind::Label) continue;
    const LONG_PTR style = GetWindowLongPtrW(Control(row.name), GWL_STYLE);
    EXPECT_TRUE(style & SS_NOPREFIX) << row.name;
    EXPECT_EQ(style & SS_TYPEMASK, row.alignment == Alignment::Center ? SS_CENTER : SS_LEFT) << row.name;
  }
  window->SetText("lblLocalExtenso", "C:\\A&B");
  EXPECT_EQ(window->Text("lblLocalExtenso"), "C:\\A&B");
}

TEST_F(Win32WindowTest, AtAnotherDpiEveryLengthIsConvertedAgainFromItsTwips) {
  Create();
  RECT suggested;
  GetWindowRect(win->handle(), &suggested);
  SendMessageW(win->handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(win->dpi(), 144u);
  EXPECT_EQ(PlaceInClient(Control("cmdSair")), (RECT{873, 718, 873 + 300, 718 + 50}));
  // In a frame: 200 twips from the frame's corner, itself 200 twips in.
  EXPECT_EQ(PlaceInClient(Control("dirLocal")).left, 20 + 20);
  EXPECT_EQ(FontOf(Control("lblTitulo")).lfHeight, -36);
  EXPECT_EQ(FontOf(Control("lblLocalExtenso")).lfHeight, -17);
}

TEST_F(Win32WindowTest, ADesignWithAFrameInsideAFrameIsRefusedBeforeAnyWindowIsMade) {
  window_contract::ExpectAFrameInsideAFrameRefused(*windows);
  EXPECT_EQ(FindWindowW(kMainWindowClass, nullptr), nullptr);
}

}  // namespace
}  // namespace bt::win32_test
