// The photo folder and the installation reached under another name: a link
// pointing into them, a second drive letter for the same host folder. Being
// inside is decided by what the folders are, before anything is created;
// a location that merely begins like the photo folder is no alias.
#include <gtest/gtest.h>

#include <filesystem>

#include "copy/copy_files.h"
#include "platform/linux/linux_file_system.h"
#include "tests/unit/backup/operation_fixture.h"

namespace bt {
namespace {

namespace fs = std::filesystem;

class AliasesTest : public doubles::OperationTest {
 protected:
  void SetUp() override {
    OperationTest::SetUp();
    MakeInstallation();
    // Z: shows the same host folder as C:, as a default Wine prefix's Z:
    // shows "/" where drive_c also lies.
    DriveTable table = drives_.table();
    table.push_back({'Z', table.front().hostRoot, "Z"});
    files_ = MakeLinuxFileSystem(table, drives_.root());
  }

  void ExpectRefusedAsInsideThePhotos() {
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].title, "Local incorreto");
    EXPECT_EQ(CountEntries(drives_.Host("C:\\Tarvel\\Fotos")), 4) << "nothing was created in the photos";
  }

  static int CountEntries(const std::string& hostFolder) {
    int count = 0;
    for (auto it = fs::recursive_directory_iterator(hostFolder); it != fs::recursive_directory_iterator(); ++it) {
      ++count;
    }
    return count;
  }
};

TEST_F(AliasesTest, ABackupThroughALinkIntoThePhotosIsRefusedBeforeAnythingIsCreated) {
  fs::create_directory_symlink(drives_.Host("C:\\Tarvel\\Fotos\\2009"), drives_.Host("C:\\Atalho"));
  auto context = Context();
  BackupData(context, "C:\\Atalho", true);
  ExpectRefusedAsInsideThePhotos();
}

TEST_F(AliasesTest, ABackupThroughAnotherDriveLetterForThePhotosIsRefused) {
  auto context = Context();
  BackupData(context, "Z:\\Tarvel\\Fotos", true);
  ExpectRefusedAsInsideThePhotos();
}

TEST_F(AliasesTest, ALocationThatOnlyBeginsLikeThePhotoFolderIsAccepted) {
  drives_.MakeFolder("C:\\Tarvel\\FotosAntigas");
  auto context = Context();
  BackupData(context, "C:\\Tarvel\\FotosAntigas", true);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].title, "Operação concluída");
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\FotosAntigas\\20090117_130904\\Fotos\\2009\\produto2.jpg"), "foto 2");
}

TEST_F(AliasesTest, TheRecursiveCopyRefusesADestinationThatALinkPutsInsideTheSource) {
  fs::create_directory_symlink(drives_.Host("C:\\Tarvel\\Fotos"), drives_.Host("D:\\Atalho"));
  try {
    CopyPath(*files_, "C:\\Tarvel\\Fotos\\", "D:\\Atalho\\Copia");
    FAIL() << "the tree was copied into itself";
  } catch (const AppError& error) {
    EXPECT_EQ(error.number(), kErrPathFileAccess);
  }
  EXPECT_FALSE(Exists("C:\\Tarvel\\Fotos\\Copia"));
  // Beside the source, not inside it, is a copy like any other.
  drives_.MakeFolder("C:\\Tarvel\\FotosAntigas");
  EXPECT_EQ(CopyPath(*files_, "C:\\Tarvel\\Fotos\\", "C:\\Tarvel\\FotosAntigas"), 4);
}

TEST_F(AliasesTest, ARestoreOfASetInsideThePhotosIsRefusedWithThePhotosOnly) {
  const std::string set = "C:\\Tarvel\\Fotos\\20090117_130904";
  drives_.WriteFile(set + "\\vendrial.mdb", "banco do backup");
  drives_.WriteFile(set + "\\tarvel.ini", "ini do backup");
  drives_.WriteFile(set + "\\Fotos\\20090117_130904\\vendrial.mdb", "armadilha");
  auto context = Context();

  RestoreData(context, "Z:\\Tarvel\\Fotos\\20090117_130904", true);
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].title, "Local incorreto");
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco original");

  // The database alone reads nothing of the photos.
  RestoreData(context, set, false);
  EXPECT_EQ(boxes_.shown.back().title, "Operação concluída");
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco do backup");
}

TEST_F(AliasesTest, TheInstallationReachedThroughALinkIsNoBackup) {
  fs::create_directory_symlink(drives_.Host("C:\\Tarvel"), drives_.Host("D:\\Tarvel"));
  auto context = Context();
  for (const char* location : {"D:\\Tarvel", "Z:\\Tarvel\\"}) {
    boxes_.shown.clear();
    RestoreData(context, location, true);
    ASSERT_EQ(boxes_.shown.size(), 1u) << location;
    EXPECT_EQ(boxes_.shown[0].title, "Local incorreto") << location;
  }
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco original");
}

}  // namespace
}  // namespace bt
