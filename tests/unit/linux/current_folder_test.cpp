// Each drive's current folder: where the program was started on the drive
// that holds that folder, the root elsewhere.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_system.h"
#include "platform/linux/linux_file_system.h"
#include "testing/temp_drives.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

namespace fs = std::filesystem;
using doubles::ThrownNumber;

class CurrentFolder : public ::testing::Test {
 protected:
  CurrentFolder() {
    drives_.AddDrive('C');
    drives_.AddDrive('D');
    drives_.MakeFolder("C:\\Copias\\Hoje");
    drives_.WriteFile("C:\\Copias\\vendrial.mdb", "x");
  }

  doubles::TempDrives drives_;
};

TEST_F(CurrentFolder, AProgramStartedInsideCCopiasOpensCThere) {
  const auto files = drives_.MakeFileSystem("C:\\Copias");
  EXPECT_EQ(files->CurrentFolder('C'), "C:\\Copias");
  EXPECT_EQ(files->CurrentFolder('d'), "D:\\");
}

TEST_F(CurrentFolder, AFolderOutsideEveryDriveLeavesThemAllAtTheirRoots) {
  const auto files = drives_.MakeFileSystem();
  EXPECT_EQ(files->CurrentFolder('C'), "C:\\");
  EXPECT_EQ(files->CurrentFolder('D'), "D:\\");
  EXPECT_EQ(ThrownNumber([&] { files->CurrentFolder('Q'); }), kErrDeviceUnavailable);
}

TEST_F(CurrentFolder, TheDriveWithTheLongestHostFolderTakesIt) {
  DriveTable table = drives_.table();
  table.push_back({'Z', drives_.root(), drives_.root()});  // Z: holds C:'s folder too
  const auto files = MakeLinuxFileSystem(table, drives_.Host("C:\\Copias\\Hoje"));
  EXPECT_EQ(files->CurrentFolder('C'), "C:\\Copias\\Hoje");
  EXPECT_EQ(files->CurrentFolder('Z'), "Z:\\");
  const auto atTheTop = MakeLinuxFileSystem(table, drives_.root());
  EXPECT_EQ(atTheTop->CurrentFolder('Z'), "Z:\\");
  EXPECT_EQ(atTheTop->CurrentFolder('C'), "C:\\");
}

TEST_F(CurrentFolder, ALinkedWorkingFolderCountsWhereItLeads) {
  fs::create_directory_symlink(drives_.Host("C:\\Copias"), drives_.root() + "/atalho");
  const auto files = MakeLinuxFileSystem(drives_.table(), drives_.root() + "/atalho");
  EXPECT_EQ(files->CurrentFolder('C'), "C:\\Copias");
}

TEST_F(CurrentFolder, PathsWithoutASeparatorAfterTheColonStartThere) {
  const auto files = drives_.MakeFileSystem("C:\\Copias");
  EXPECT_EQ(files->GetAttributes("C:vendrial.mdb"), kAttrArchive);
  EXPECT_EQ(files->GetAttributes("C:"), kAttrDirectory);
  files->CreateFolder("c:Nova");
  EXPECT_TRUE(fs::is_directory(drives_.Host("C:\\Copias\\Nova")));
}

TEST_F(CurrentFolder, AFolderRemovedMeanwhileGivesTheRootBack) {
  const auto files = drives_.MakeFileSystem("C:\\Copias\\Hoje");
  EXPECT_EQ(files->CurrentFolder('C'), "C:\\Copias\\Hoje");
  fs::remove(drives_.Host("C:\\Copias\\Hoje"));
  EXPECT_EQ(files->CurrentFolder('C'), "C:\\");
}

}  // namespace
}  // namespace bt
