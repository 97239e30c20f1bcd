// Choosing the backup location with the drive list and the folder list.
#include <filesystem>

#include "app/mod_backup_startup.h"
#include "tests/unit/app/app_scenario.h"

namespace bt {
namespace {

class LocationSelection : public AppScenario {
 protected:
  LocationSelection() {
    drives.AddDrive('A', /*openable=*/false);
    drives.AddDrive('E');
    drives.MakeFolder("C:\\Copias\\Mensal");
    drives.MakeFolder("D:\\Copias");
    drives.MakeFolder("E:\\Dados");
    SetInstallPath("C:\\Tarvel");
  }

  void StartIdle(const std::string& workingFolder = {}) {
    ASSERT_EQ(Start(workingFolder), std::nullopt);
  }

  int DriveChanges() { return form().EventCount("drvLocal", ControlEvent::Change); }
  int FolderChanges() { return form().EventCount("dirLocal", ControlEvent::Change); }
};

TEST_F(LocationSelection, ChoosingAReadableDriveShowsItsRootAndRemembersIt) {
  StartIdle();
  form().ChooseDrive("drvLocal", "d:");
  EXPECT_EQ(form().Path("dirLocal"), "D:\\");
  EXPECT_EQ(form().Text("lblLocalExtenso"), "D:\\");
  EXPECT_EQ(LastValidDrive, "d:");
  EXPECT_EQ(LastValidDrive, form().Drive("drvLocal").substr(0, 2));
  EXPECT_TRUE(windows->messages().empty());
}

TEST_F(LocationSelection, ChoosingDriveCAgainShowsItsCurrentFolder) {
  StartIdle("C:\\Copias");
  form().ChooseDrive("drvLocal", "d:");
  form().OpenFolder("dirLocal", "Copias");
  ASSERT_EQ(form().Text("lblLocalExtenso"), "D:\\Copias");
  form().ChooseDrive("drvLocal", "c:");
  EXPECT_EQ(form().Text("lblLocalExtenso"), "C:\\Copias");
  EXPECT_EQ(LastValidDrive, "c:");
}

TEST_F(LocationSelection, OpeningFoldersShowsTheRootWithItsSeparatorAndOthersWithout) {
  StartIdle();
  ASSERT_TRUE(form().OpenFolder("dirLocal", "Copias"));
  EXPECT_EQ(form().Text("lblLocalExtenso"), "C:\\Copias");
  ASSERT_TRUE(form().OpenFolder("dirLocal", "Mensal"));
  EXPECT_EQ(form().Text("lblLocalExtenso"), "C:\\Copias\\Mensal");
  ASSERT_TRUE(form().OpenFolder("dirLocal", "C:\\"));
  EXPECT_EQ(form().Text("lblLocalExtenso"), "C:\\");
  EXPECT_EQ(LastValidDrive, "c:");  // opening folders does not touch the drive
}

TEST_F(LocationSelection, HighlightingAFolderLeavesTheLocationAlone) {
  StartIdle();
  const int before = FolderChanges();
  form().HighlightFolder("dirLocal", "Copias");
  EXPECT_EQ(form().HighlightedFolder("dirLocal"), "Copias");
  EXPECT_EQ(form().Path("dirLocal"), "C:\\");
  EXPECT_EQ(form().Text("lblLocalExtenso"), "C:\\");
  EXPECT_EQ(FolderChanges(), before);

  ASSERT_TRUE(form().OpenFolder("dirLocal", "Copias"));
  EXPECT_EQ(form().Text("lblLocalExtenso"), "C:\\Copias");
  EXPECT_EQ(FolderChanges(), before + 1);
}

TEST_F(LocationSelection, OpeningTheFolderAlreadyOpenRaisesNoEvent) {
  StartIdle();
  ASSERT_TRUE(form().OpenFolder("dirLocal", "Copias"));
  const int before = FolderChanges();
  ASSERT_TRUE(form().OpenFolder("dirLocal", "Copias"));
  EXPECT_EQ(FolderChanges(), before);
}

TEST_F(LocationSelection, AFolderRemovedAfterItWasListedCannotBeOpened) {
  StartIdle();
  std::filesystem::remove_all(drives.Host("C:\\Copias"));
  EXPECT_FALSE(form().OpenFolder("dirLocal", "Copias"));
  EXPECT_EQ(form().Path("dirLocal"), "C:\\");
  EXPECT_EQ(form().Text("lblLocalExtenso"), "C:\\");
  EXPECT_TRUE(windows->messages().empty());
}

TEST_F(LocationSelection, ChoosingTheDriveAlreadyShownChangesNothing) {
  StartIdle();
  ASSERT_TRUE(form().OpenFolder("dirLocal", "Copias"));
  const int drivesBefore = DriveChanges();
  const int foldersBefore = FolderChanges();
  form().ChooseDrive("drvLocal", "c:");
  EXPECT_EQ(DriveChanges(), drivesBefore);
  EXPECT_EQ(FolderChanges(), foldersBefore);
  EXPECT_EQ(form().Text("lblLocalExtenso"), "C:\\Copias");
}

TEST_F(LocationSelection, ADriveWithoutADiskFallsBackSilentlyToTheLastDrive) {
  StartIdle();
  form().ChooseDrive("drvLocal", "d:");
  ASSERT_TRUE(form().OpenFolder("dirLocal", "Copias"));
  const int drivesBefore = DriveChanges();

  form().ChooseDrive("drvLocal", "a:");

  EXPECT_TRUE(windows->messages().empty());
  EXPECT_FALSE(windows->ended());
  EXPECT_EQ(form().Drive("drvLocal").substr(0, 2), "d:");
  EXPECT_EQ(LastValidDrive, "d:");
  // The nested run for D: points the folder list at D:'s current folder.
  EXPECT_EQ(form().Path("dirLocal"), "D:\\");
  EXPECT_EQ(form().Text("lblLocalExtenso"), "D:\\");
  // a:, then d: again by the fallback.
  EXPECT_EQ(DriveChanges(), drivesBefore + 2);
}

TEST_F(LocationSelection, WhenTheRememberedDriveIsGoneTooEverythingStaysAsItWas) {
  StartIdle();
  form().ChooseDrive("drvLocal", "e:");
  ASSERT_TRUE(form().OpenFolder("dirLocal", "Dados"));
  std::filesystem::remove_all(drives.Host("E:\\"));  // the medium is taken out
  const int foldersBefore = FolderChanges();

  form().ChooseDrive("drvLocal", "a:");

  EXPECT_TRUE(windows->messages().empty());
  EXPECT_FALSE(windows->ended());
  EXPECT_EQ(form().Drive("drvLocal").substr(0, 2), "e:");
  EXPECT_EQ(LastValidDrive, "e:");
  EXPECT_EQ(form().Path("dirLocal"), "E:\\Dados");
  EXPECT_EQ(form().Text("lblLocalExtenso"), "E:\\Dados");
  EXPECT_EQ(FolderChanges(), foldersBefore);
}

TEST_F(LocationSelection, ChoosingTheRememberedDriveAfterItsMediumWentAwayKeepsTheList) {
  StartIdle();
  form().ChooseDrive("drvLocal", "e:");
  form().ChooseDrive("drvLocal", "c:");
  std::filesystem::remove_all(drives.Host("E:\\"));

  form().ChooseDrive("drvLocal", "e:");

  EXPECT_TRUE(windows->messages().empty());
  EXPECT_EQ(form().Drive("drvLocal").substr(0, 2), "c:");
  EXPECT_EQ(LastValidDrive, "c:");
  EXPECT_EQ(form().Text("lblLocalExtenso"), "C:\\");
}

TEST_F(LocationSelection, TheLocationLabelFollowsTheFolderListThroughEveryChange) {
  StartIdle("C:\\Copias");
  const auto inStep = [&] {
    EXPECT_EQ(form().Text("lblLocalExtenso"), form().Path("dirLocal"));
    EXPECT_EQ(DriveLetterOf(form().Path("dirLocal")),
              DriveLetterOf(form().Drive("drvLocal")));
  };
  inStep();
  form().ChooseDrive("drvLocal", "d:");
  inStep();
  form().OpenFolder("dirLocal", "Copias");
  inStep();
  form().ChooseDrive("drvLocal", "a:");
  inStep();
  form().ChooseDrive("drvLocal", "e:");
  inStep();
  form().OpenFolder("dirLocal", "Dados");
  inStep();
  form().ChooseDrive("drvLocal", "c:");
  inStep();
  form().OpenFolder("dirLocal", "Mensal");
  inStep();
  EXPECT_EQ(form().Text("lblLocalExtenso"), "C:\\Copias\\Mensal");
}

}  // namespace
}  // namespace bt
