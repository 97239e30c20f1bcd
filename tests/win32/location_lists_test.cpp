// The drive list and the folder list as the user works them: what they
// show, which action opens a folder, and when their change events run.
#include "tests/win32/window_fixture.h"

namespace bt::win32_test {
namespace {

class Win32LocationListsTest : public Win32WindowTest {
 protected:
  void SetUp() override {
    Create();
    window->SetHandler("drvLocal", ControlEvent::Change, [this] { ++driveChanges; });
    window->SetHandler("dirLocal", ControlEvent::Change, [this] { ++pathChanges; });
  }

  HWND Folders() { return Control("dirLocal"); }

  // Each entry as the list holds it: its name, level and picture.
  struct Entry {
    std::wstring name;
    int indent;
    bool open;
    bool operator==(const Entry&) const = default;
  };
  std::vector<Entry> Entries() {
    std::vector<Entry> entries;
    const int count = static_cast<int>(SendMessageW(Folders(), LB_GETCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
      std::wstring name(static_cast<std::size_t>(SendMessageW(Folders(), LB_GETTEXTLEN, row, 0)), L'\0');
      SendMessageW(Folders(), LB_GETTEXT, row, reinterpret_cast<LPARAM>(name.data()));
      const auto data = static_cast<int>(SendMessageW(Folders(), LB_GETITEMDATA, row, 0));
      entries.push_back({name, data / 2, (data & 1) != 0});
    }
    return entries;
  }
  int Highlighted() { return static_cast<int>(SendMessageW(Folders(), LB_GETCURSEL, 0, 0)); }

  int driveChanges = 0;
  int pathChanges = 0;
};

TEST_F(Win32LocationListsTest, TheDriveListOffersEveryDriveAndRaisesItsChangeOnlyForAnotherDrive) {
  HWND drives = Control("drvLocal");
  window->SetDrive("drvLocal", "C:");
  window->SetDrive("drvLocal", "c: [anything]");
  EXPECT_EQ(driveChanges, 1);
  ASSERT_EQ(SendMessageW(drives, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(drives, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(window->Drive("drvLocal"), "c: [Disco local]");
  EXPECT_THROW(window->SetDrive("drvLocal", "q:"), AppError);
  EXPECT_EQ(SendMessageW(drives, CB_GETCURSEL, 0, 0), 0) << "a refused drive leaves the list as it was";

  // The user steps to d:, a drive without a disk: the list takes it.
  ShowAndActivate();
  PressKeys({{VK_DOWN}});
  EXPECT_EQ(driveChanges, 2);
  EXPECT_EQ(window->Drive("drvLocal").substr(0, 2), "d:");
  // A handler that puts the drive back while the user chooses.
  window->SetHandler("drvLocal", ControlEvent::Change, [this] {
    ++driveChanges;
    window->SetDrive("drvLocal", "c:");
  });
  PressKeys({{VK_DOWN}});
  EXPECT_EQ(window->Drive("drvLocal").substr(0, 2), "c:");
  EXPECT_EQ(SendMessageW(drives, CB_GETCURSEL, 0, 0), 0);
}

TEST_F(Win32LocationListsTest, TheFolderListShowsTheOpenChainThenTheSubfoldersIndentedStepByStep) {
  window->SetPath("dirLocal", "C:\\Copias\\2024");
  EXPECT_EQ(Entries(), (std::vector<Entry>{{L"C:\\", 0, true}, {L"Copias", 1, true}, {L"2024", 2, true}}));
  EXPECT_EQ(Highlighted(), 2);
  window->SetPath("dirLocal", "\\");
  EXPECT_EQ(Entries(), (std::vector<Entry>{{L"C:\\", 0, true},
                                           {L"Arquivos", 1, false},
                                           {L"Copias", 1, false},
                                           {L"dados", 1, false},
                                           {L"Zeta", 1, false}}));
  EXPECT_EQ(window->Path("dirLocal"), "C:\\");
  EXPECT_EQ(pathChanges, 2);
  window->SetPath("dirLocal", "c:\\");
  EXPECT_EQ(pathChanges, 2) << "the same folder again is no change";

  EXPECT_THROW(window->SetPath("dirLocal", "d:"), AppError);
  EXPECT_THROW(window->SetPath("dirLocal", "C:\\Nada"), AppError);
  EXPECT_EQ(window->Path("dirLocal"), "C:\\");
  EXPECT_EQ(Entries().size(), 5u) << "a folder that cannot be opened leaves the list as it was";
}

TEST_F(Win32LocationListsTest, ArrowsOnlyHighlightAndEnterOrADoubleClickOpens) {
  window->SetPath("dirLocal", "C:\\");
  pathChanges = 0;
  ShowAndActivate();
  std::string pathSeen;
  window->SetHandler("dirLocal", ControlEvent::Change, [&] {
    ++pathChanges;
    pathSeen = window->Path("dirLocal");
  });
  MoveFocus("dirLocal");
  PressKeys({{VK_DOWN}, {VK_DOWN}});
  EXPECT_EQ(Highlighted(), 2);
  EXPECT_EQ(pathChanges, 0) << "a highlighted folder is not opened";
  PressKeys({{VK_RETURN}});
  EXPECT_EQ(pathChanges, 1);
  EXPECT_EQ(pathSeen, "C:\\Copias") << "the handler sees the new path";
  EXPECT_EQ(Entries().back().name, L"2024");

  // A double click on the drive root goes back up.
  RECT root;
  SendMessageW(Folders(), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&root));
  const LPARAM at = MAKELPARAM(root.left + 30, (root.top + root.bottom) / 2);
  SendMessageW(Folders(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(Folders(), WM_LBUTTONUP, 0, at);
  SendMessageW(Folders(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageW(Folders(), WM_LBUTTONUP, 0, at);
  Pump();
  EXPECT_EQ(window->Path("dirLocal"), "C:\\");
  EXPECT_EQ(pathChanges, 2);
}

TEST_F(Win32LocationListsTest, AFolderRemovedSinceTheListWasReadCannotBeOpenedAndDisappears) {
  window->SetPath("dirLocal", "C:\\");
  pathChanges = 0;
  ShowAndActivate();
  std::filesystem::remove(Host("c/Zeta"));
  MoveFocus("dirLocal");
  PressKeys({{VK_END}, {VK_RETURN}});
  EXPECT_EQ(window->Path("dirLocal"), "C:\\");
  EXPECT_EQ(pathChanges, 0);
  EXPECT_EQ(Entries().back().name, L"dados") << "the list was read again";
}

TEST_F(Win32LocationListsTest, ARefreshShowsAFolderMadeSinceWithoutAnEvent) {
  window->SetPath("dirLocal", "C:\\Copias");
  std::filesystem::create_directory(Host("c/Copias/20240305_140709"));
  window->RefreshFolders("dirLocal");
  EXPECT_EQ(Entries().back(), (Entry{L"20240305_140709", 2, false}));
  EXPECT_EQ(Highlighted(), 1) << "the current folder stays highlighted";
  EXPECT_EQ(pathChanges, 1);
}

}  // namespace
}  // namespace bt::win32_test
