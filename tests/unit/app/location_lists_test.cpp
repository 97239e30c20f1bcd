// The drive list and folder list as the window systems share them, over
// drives in temporary folders.
#include "ui/common/location_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "testing/temp_drives.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

using doubles::TempDrives;
using doubles::ThrownNumber;

std::vector<std::string> Names(const FolderListModel& list) {
  std::vector<std::string> names;
  for (const FolderListEntry& entry : list.Entries()) names.push_back(entry.name);
  return names;
}

int IndexOf(const FolderListModel& list, const std::string& name) {
  const std::vector<std::string> names = Names(list);
  return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
}

TEST(DriveListText, IsTheLowerCaseLetterAndColonThenTheHintInBrackets) {
  EXPECT_EQ(DriveListText({'C', "Disco local"}), "c: [Disco local]");
  EXPECT_EQ(DriveListText({'D', ""}), "d:");
}

TEST(DriveLetterOf, ReadsTheLetterOfAnyTextThatBeginsWithLetterAndColon) {
  EXPECT_EQ(DriveLetterOf("d:"), 'D');
  EXPECT_EQ(DriveLetterOf("E: [x]"), 'E');
  EXPECT_EQ(DriveLetterOf("c:\\Copias"), 'C');
  EXPECT_EQ(DriveLetterOf("\\"), '\0');
  EXPECT_EQ(DriveLetterOf("1:"), '\0');
  EXPECT_EQ(DriveLetterOf("c"), '\0');
}

class LocationLists : public ::testing::Test {
 protected:
  LocationLists() {
    drives.AddDrive('C');
    drives.AddDrive('D');
    drives.AddDrive('A', /*openable=*/false);
    drives.MakeFolder("C:\\Copias\\Mensal");
    drives.MakeFolder("C:\\arquivos");
    drives.MakeFolder("C:\\Beta");
    drives.WriteFile("C:\\leia.txt", "x");
    drives.WriteFile("C:\\Copias\\nota.txt", "x");
  }

  std::unique_ptr<FileSystem> Files(const std::string& working = {}) {
    return drives.MakeFileSystem(working);
  }

  TempDrives drives;
};

TEST_F(LocationLists, DriveListOffersEveryDriveInLetterOrderOpenableOrNot) {
  auto files = Files();
  DriveListModel list(*files);
  std::vector<DriveListEntry> entries = list.Entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].letter, 'A');
  EXPECT_EQ(entries[1].letter, 'C');
  EXPECT_EQ(entries[2].letter, 'D');
  for (const DriveListEntry& entry : entries) {
    EXPECT_EQ(DriveLetterOf(entry.text), entry.letter) << entry.text;
    EXPECT_EQ(entry.text[0], static_cast<char>(std::tolower(entry.letter))) << entry.text;
  }
  EXPECT_EQ(list.Current(), "");
  EXPECT_EQ(list.CurrentIndex(), -1);
}

TEST_F(LocationLists, ChoosingADriveWithoutADiskIsAllowedByTheDriveList) {
  auto files = Files();
  DriveListModel list(*files);
  EXPECT_TRUE(list.SetDrive("a:"));
  EXPECT_EQ(list.CurrentLetter(), 'A');
  EXPECT_EQ(list.Current().substr(0, 2), "a:");
  EXPECT_EQ(list.CurrentIndex(), 0);
}

TEST_F(LocationLists, ChoosingTheDriveAlreadyShownIsNoChange) {
  auto files = Files();
  DriveListModel list(*files);
  ASSERT_TRUE(list.SetDrive("C:"));
  const std::string text = list.Current();
  EXPECT_FALSE(list.SetDrive("c: [anything]"));
  EXPECT_FALSE(list.SetDrive("C:"));
  EXPECT_EQ(list.Current(), text);
  EXPECT_TRUE(list.SetDrive("d:"));
  EXPECT_EQ(list.CurrentIndex(), 2);
}

TEST_F(LocationLists, ADriveThatDoesNotExistIsRefusedWith68AndTheListStays) {
  auto files = Files();
  DriveListModel list(*files);
  ASSERT_TRUE(list.SetDrive("d:"));
  EXPECT_EQ(ThrownNumber([&] { list.SetDrive("q:"); }), kErrDeviceUnavailable);
  EXPECT_EQ(ThrownNumber([&] { list.SetDrive("nada"); }), kErrDeviceUnavailable);
  EXPECT_EQ(list.CurrentLetter(), 'D');
}

TEST_F(LocationLists, FolderListReportsADriveRootWithItsSeparatorAndOtherFoldersWithout) {
  auto files = Files();
  FolderListModel list(*files);
  EXPECT_TRUE(list.SetPath("C:\\"));
  EXPECT_EQ(list.Path(), "C:\\");
  EXPECT_TRUE(list.SetPath("C:\\Copias\\"));
  EXPECT_EQ(list.Path(), "C:\\Copias");
  EXPECT_TRUE(list.SetPath("c:\\Copias\\.\\Mensal\\\\"));
  EXPECT_EQ(list.Path(), "C:\\Copias\\Mensal");
  EXPECT_TRUE(list.SetPath("C:\\Copias\\Mensal\\..\\.."));
  EXPECT_EQ(list.Path(), "C:\\");
}

TEST_F(LocationLists, BackslashMeansTheRootOfTheListsCurrentDrive) {
  auto files = Files();
  FolderListModel list(*files);
  EXPECT_EQ(list.CurrentDrive(), 'C');
  ASSERT_TRUE(list.SetPath("D:\\"));
  drives.MakeFolder("D:\\Copias");
  ASSERT_TRUE(list.SetPath("\\Copias"));
  EXPECT_EQ(list.Path(), "D:\\Copias");
  EXPECT_TRUE(list.SetPath("\\"));
  EXPECT_EQ(list.Path(), "D:\\");
}

TEST_F(LocationLists, ADriveTextOpensThatDrivesCurrentFolder) {
  auto files = Files("C:\\Copias");
  FolderListModel list(*files);
  EXPECT_TRUE(list.SetPath("c: [Disco local]"));
  EXPECT_EQ(list.Path(), "C:\\Copias");
  EXPECT_TRUE(list.SetPath("d:"));
  EXPECT_EQ(list.Path(), "D:\\");
  EXPECT_TRUE(list.SetPath("c:"));
  EXPECT_EQ(list.Path(), "C:\\Copias");
}

TEST_F(LocationLists, SettingTheSamePathAgainIsNoChangeButReadsTheFoldersAgain) {
  auto files = Files();
  FolderListModel list(*files);
  ASSERT_TRUE(list.SetPath("C:\\Copias"));
  drives.MakeFolder("C:\\Copias\\Nova");
  EXPECT_FALSE(list.SetPath("C:\\Copias\\"));
  EXPECT_EQ(Names(list), (std::vector<std::string>{"C:\\", "Copias", "Mensal", "Nova"}));
}

TEST_F(LocationLists, EntriesShowTheOpenChainThenTheSubfoldersSortedIgnoringCase) {
  auto files = Files();
  FolderListModel list(*files);
  ASSERT_TRUE(list.SetPath("C:\\"));
  EXPECT_EQ(Names(list), (std::vector<std::string>{"C:\\", "arquivos", "Beta", "Copias"}));
  EXPECT_EQ(list.CurrentIndex(), 0);

  ASSERT_TRUE(list.SetPath("C:\\Copias\\Mensal"));
  const std::vector<FolderListEntry>& entries = list.Entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(list.CurrentIndex(), 2);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(entries[i].indent, i);
    EXPECT_TRUE(entries[i].open);
  }
  EXPECT_EQ(entries[0].path, "C:\\");
  EXPECT_EQ(entries[1].path, "C:\\Copias");
  EXPECT_EQ(entries[2].path, "C:\\Copias\\Mensal");
}

TEST_F(LocationLists, SubfoldersAreIndentedBelowTheCurrentFolderAndOpenToTheirPath) {
  auto files = Files();
  FolderListModel list(*files);
  ASSERT_TRUE(list.SetPath("C:\\Copias"));
  const std::vector<FolderListEntry>& entries = list.Entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[2].name, "Mensal");
  EXPECT_EQ(entries[2].indent, 2);
  EXPECT_FALSE(entries[2].open);
  EXPECT_EQ(entries[2].path, "C:\\Copias\\Mensal");
  EXPECT_TRUE(list.SetPath(entries[2].path));
  EXPECT_EQ(list.Path(), "C:\\Copias\\Mensal");
}

TEST_F(LocationLists, HiddenFoldersAreLeftOut) {
  auto files = Files();
  drives.MakeFolder("C:\\Copias\\.oculta");  // Wine shows a dot name as hidden
  ASSERT_NE(files->GetAttributes("C:\\Copias\\.oculta") & kAttrHidden, 0u);
  FolderListModel list(*files);
  ASSERT_TRUE(list.SetPath("C:\\Copias"));
  EXPECT_EQ(Names(list), (std::vector<std::string>{"C:\\", "Copias", "Mensal"}));
  EXPECT_TRUE(list.SetPath("C:\\Copias\\.oculta"));  // but it can be opened by its path
}

TEST_F(LocationLists, AMissingFolderIsRefusedWith76AndTheListStaysAsItWas) {
  auto files = Files();
  FolderListModel list(*files);
  ASSERT_TRUE(list.SetPath("C:\\Copias"));
  const std::vector<std::string> before = Names(list);
  EXPECT_EQ(ThrownNumber([&] { list.SetPath("C:\\Sumiu"); }), kErrPathNotFound);
  EXPECT_EQ(ThrownNumber([&] { list.SetPath("C:\\leia.txt"); }), kErrPathNotFound);
  EXPECT_EQ(ThrownNumber([&] { list.SetPath("Copias"); }), kErrPathNotFound);
  EXPECT_EQ(list.Path(), "C:\\Copias");
  EXPECT_EQ(Names(list), before);
  EXPECT_EQ(list.CurrentIndex(), 1);
}

TEST_F(LocationLists, ADriveWithoutADiskCannotBeOpenedAndTheListStaysAsItWas) {
  auto files = Files();
  FolderListModel list(*files);
  ASSERT_TRUE(list.SetPath("C:\\Copias"));
  const int number = ThrownNumber([&] { list.SetPath("a: [Disquete]"); });
  EXPECT_TRUE(number == kErrDiskNotReady || number == kErrDeviceUnavailable) << number;
  EXPECT_NE(ThrownNumber([&] { list.SetPath("A:\\"); }), 0);
  EXPECT_EQ(ThrownNumber([&] { list.SetPath("q:"); }), kErrDeviceUnavailable);
  EXPECT_EQ(list.Path(), "C:\\Copias");
  EXPECT_EQ(list.CurrentDrive(), 'C');
}

TEST_F(LocationLists, RefreshShowsFoldersMadeSinceAndFailsWhenTheFolderWentAway) {
  auto files = Files();
  FolderListModel list(*files);
  list.Refresh();  // nothing to read yet
  EXPECT_TRUE(list.Entries().empty());
  ASSERT_TRUE(list.SetPath("C:\\Copias"));
  drives.MakeFolder("C:\\Copias\\Anual");
  list.Refresh();
  EXPECT_EQ(Names(list), (std::vector<std::string>{"C:\\", "Copias", "Anual", "Mensal"}));

  std::filesystem::remove_all(drives.Host("C:\\Copias"));
  EXPECT_NE(ThrownNumber([&] { list.Refresh(); }), 0);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"C:\\", "Copias", "Anual", "Mensal"}));
}

TEST_F(LocationLists, TheUserOpensAnEntryAndOnlyAnotherFolderIsAChange) {
  using Opening = FolderListModel::Opening;
  auto files = Files();
  FolderListModel list(*files);
  ASSERT_TRUE(list.SetPath("C:\\Copias"));
  EXPECT_EQ(list.UserOpens(IndexOf(list, "Mensal")), Opening::Changed);
  EXPECT_EQ(list.Path(), "C:\\Copias\\Mensal");
  EXPECT_EQ(list.UserOpens(list.CurrentIndex()), Opening::Same);
  EXPECT_EQ(list.UserOpens(IndexOf(list, "C:\\")), Opening::Changed);
  EXPECT_EQ(list.Path(), "C:\\");
  EXPECT_EQ(list.UserOpens(-1), Opening::None);
  EXPECT_EQ(list.UserOpens(static_cast<int>(list.Entries().size())), Opening::None);
  EXPECT_EQ(list.Path(), "C:\\");
}

TEST_F(LocationLists, AFolderRemovedSinceTheListWasReadFailsToOpenAndLeavesTheList) {
  using Opening = FolderListModel::Opening;
  auto files = Files();
  FolderListModel list(*files);
  ASSERT_TRUE(list.SetPath("C:\\"));
  ASSERT_EQ(Names(list), (std::vector<std::string>{"C:\\", "arquivos", "Beta", "Copias"}));
  std::filesystem::remove_all(drives.Host("C:\\Beta"));
  EXPECT_EQ(list.UserOpens(IndexOf(list, "Beta")), Opening::Failed);
  EXPECT_EQ(list.Path(), "C:\\");
  EXPECT_EQ(Names(list), (std::vector<std::string>{"C:\\", "arquivos", "Copias"}));
  EXPECT_EQ(list.CurrentIndex(), 0);
}

}  // namespace
}  // namespace bt
