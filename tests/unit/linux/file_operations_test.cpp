// Attributes, existence checks and folder creation on the Linux drives.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_system.h"
#include "platform/linux/dos_attributes.h"
#include "testing/host_conditions.h"
#include "testing/temp_drives.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

namespace fs = std::filesystem;
using doubles::SetExtendedAttribute;
using doubles::Thrown;
using doubles::ThrownNumber;

class FileOperations : public ::testing::Test {
 protected:
  FileOperations() {
    drives_.AddDrive('C');
    drives_.AddDrive('A', /*openable=*/false);
    drives_.WriteFile("C:\\Tarvel\\vendrial.mdb", "db");
    drives_.MakeFolder("C:\\Tarvel\\Fotos");
    files_ = drives_.MakeFileSystem();
  }

  doubles::TempDrives drives_;
  std::unique_ptr<FileSystem> files_;
};

TEST_F(FileOperations, AttributesOfAFolderAndAFile) {
  EXPECT_EQ(files_->GetAttributes("C:\\Tarvel\\Fotos"), kAttrDirectory);
  EXPECT_EQ(files_->GetAttributes("C:\\Tarvel\\Fotos\\"), kAttrDirectory);
  EXPECT_EQ(files_->GetAttributes("C:\\Tarvel\\vendrial.mdb"), kAttrArchive);
  EXPECT_EQ(files_->GetAttributes("C:\\"), kAttrDirectory);
}

TEST_F(FileOperations, AMissingFileIsNotFoundAndAMissingFolderIsAMissingPath) {
  EXPECT_EQ(ThrownNumber([&] { files_->GetAttributes("C:\\Tarvel\\tarvel.ini"); }), kErrFileNotFound);
  EXPECT_EQ(ThrownNumber([&] { files_->GetAttributes("C:\\Outro\\tarvel.ini"); }), kErrPathNotFound);
  EXPECT_EQ(ThrownNumber([&] { files_->GetAttributes("C:\\Tarvel\\vendrial.mdb\\x"); }), kErrPathNotFound);
  EXPECT_EQ(ThrownNumber([&] { files_->GetAttributes("Q:\\Tarvel"); }), kErrPathNotFound);
  EXPECT_EQ(ThrownNumber([&] { files_->GetAttributes("Tarvel\\vendrial.mdb"); }), kErrPathNotFound);
}

TEST_F(FileOperations, AFloppyWithoutADiskIsNotReady) {
  EXPECT_EQ(ThrownNumber([&] { files_->GetAttributes("A:\\"); }), kErrDiskNotReady);
  EXPECT_EQ(ThrownNumber([&] { files_->GetAttributes("A:\\x.txt"); }), kErrDiskNotReady);
  EXPECT_FALSE(files_->OrdinaryFileExists("A:\\x.txt"));
  EXPECT_EQ(ThrownNumber([&] { files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "A:\\v.mdb"); }),
            kErrDiskNotReady);
}

TEST_F(FileOperations, APenDriveTakenOutDuringTheSessionIsNotReady) {
  drives_.AddDrive('E');
  drives_.WriteFile("E:\\Copias\\a.txt", "a");
  const auto files = drives_.MakeFileSystem();
  EXPECT_EQ(files->GetAttributes("E:\\Copias"), kAttrDirectory);
  fs::remove_all(drives_.Host("E:\\"));
  EXPECT_EQ(ThrownNumber([&] { files->GetAttributes("E:\\Copias"); }), kErrDiskNotReady);
  EXPECT_EQ(ThrownNumber([&] { files->CreateFolder("E:\\Copias"); }), kErrDiskNotReady);
  EXPECT_EQ(ThrownNumber([&] { files->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "E:\\v.mdb"); }),
            kErrDiskNotReady);
  FindData record;
  EXPECT_EQ(files->FindFirstFileA("E:\\Copias\\*.*", &record), kInvalidHandle);
  EXPECT_EQ(files->LastFindFailure().value_or(AppError(0)).number(), kErrDiskNotReady);
  EXPECT_EQ(ThrownNumber([&] { files->CurrentFolder('E'); }), kErrDiskNotReady);
}

// The user reads what was being done and the Windows path, in Portuguese;
// the host path and the system's English message go to the developers.
TEST_F(FileOperations, FailuresNameTheWindowsPathForTheUserAndKeepTheHostCauseApart) {
  const std::string missing = drives_.Host("C:\\Tarvel\\tarvel.ini");
  const std::vector<std::pair<AppError, std::string>> failures = {
      {Thrown([&] { files_->GetAttributes("C:\\Tarvel\\tarvel.ini"); }),
       "Ao examinar \"C:\\Tarvel\\tarvel.ini\""},
      {Thrown([&] { files_->CopyWholeFile("C:\\Tarvel\\tarvel.ini", "C:\\copia.ini"); }),
       "Ao copiar \"C:\\Tarvel\\tarvel.ini\" para \"C:\\copia.ini\""},
      {Thrown([&] { files_->CreateFolder("C:\\Tarvel\\Falta\\Nova"); }),
       "Ao criar a pasta \"C:\\Tarvel\\Falta\\Nova\""},
  };
  for (const auto& [error, told] : failures) {
    EXPECT_NE(error.number(), 0) << told;
    EXPECT_EQ(error.detail(), told);
    EXPECT_EQ(error.detail().find(drives_.root()), std::string::npos) << error.detail();
    EXPECT_NE(error.hostDetail().find(drives_.root()), std::string::npos) << error.hostDetail();
    EXPECT_NE(error.hostDetail().find("No such file"), std::string::npos) << error.hostDetail();
  }
  FindData record;
  EXPECT_EQ(files_->FindFirstFileA("C:\\Falta\\*.*", &record), kInvalidHandle);
  ASSERT_TRUE(files_->LastFindFailure());
  EXPECT_EQ(files_->LastFindFailure()->detail(), "Ao listar a pasta \"C:\\Falta\\\"");
}

TEST_F(FileOperations, OnlyAPlainVisibleFileIsAnOrdinaryFile) {
  drives_.WriteFile("C:\\Tarvel\\.oculto", "");
  drives_.WriteFile("C:\\Tarvel\\sistema.dat", "");
  SetExtendedAttribute(drives_.Host("C:\\Tarvel\\sistema.dat"), kDosAttribXattr, "0x4");
  EXPECT_TRUE(files_->OrdinaryFileExists("C:\\Tarvel\\vendrial.mdb"));
  EXPECT_TRUE(files_->OrdinaryFileExists("c:/tarvel/VENDRIAL.MDB"));
  EXPECT_FALSE(files_->OrdinaryFileExists("C:\\Tarvel\\Fotos"));
  EXPECT_FALSE(files_->OrdinaryFileExists("C:\\Tarvel\\.oculto"));
  EXPECT_FALSE(files_->OrdinaryFileExists("C:\\Tarvel\\sistema.dat"));
  EXPECT_FALSE(files_->OrdinaryFileExists("C:\\Tarvel\\tarvel.ini"));
  EXPECT_FALSE(files_->OrdinaryFileExists("C:\\Tarvel\\vendrial.mdb\\"));
  EXPECT_FALSE(files_->OrdinaryFileExists("nonsense"));
}

TEST_F(FileOperations, CreatingAFolderThatExistsFailsWhateverItIs) {
  files_->CreateFolder("C:\\Copias");
  EXPECT_TRUE(fs::is_directory(drives_.Host("C:\\Copias")));
  files_->CreateFolder("C:\\Copias\\2024\\");
  EXPECT_TRUE(fs::is_directory(drives_.Host("C:\\Copias\\2024")));
  EXPECT_EQ(ThrownNumber([&] { files_->CreateFolder("C:\\Copias"); }), kErrPathFileAccess);
  EXPECT_EQ(ThrownNumber([&] { files_->CreateFolder("C:\\Tarvel\\vendrial.mdb"); }), kErrPathFileAccess);
  EXPECT_EQ(ThrownNumber([&] { files_->CreateFolder("C:\\"); }), kErrPathFileAccess);
}

TEST_F(FileOperations, CreatingAFolderNeedsItsParent) {
  EXPECT_EQ(ThrownNumber([&] { files_->CreateFolder("C:\\Nada\\Copias"); }), kErrPathNotFound);
  EXPECT_FALSE(fs::exists(drives_.Host("C:\\Nada")));
  EXPECT_EQ(ThrownNumber([&] { files_->CreateFolder("A:\\Copias"); }), kErrDiskNotReady);
}

TEST(FileOperationsAsOrdinaryUser, CreatingAFolderWhereWritingIsDeniedIsRefused) {
  doubles::OrdinaryUser user;
  doubles::TempDrives drives;
  drives.AddDrive('D');
  drives.MakeFolder("D:\\Trancada");
  fs::permissions(drives.Host("D:\\Trancada"), fs::perms::owner_read | fs::perms::owner_exec);
  const auto files = drives.MakeFileSystem();
  EXPECT_EQ(ThrownNumber([&] { files->CreateFolder("D:\\Trancada\\Copias"); }), kErrPermissionDenied);
}

TEST_F(FileOperations, ReadOnlyComesFromTheWriteBits) {
  fs::permissions(drives_.Host("C:\\Tarvel\\vendrial.mdb"), fs::perms::owner_read | fs::perms::group_read);
  EXPECT_EQ(files_->GetAttributes("C:\\Tarvel\\vendrial.mdb"), kAttrArchive | kAttrReadOnly);
  fs::permissions(drives_.Host("C:\\Tarvel\\vendrial.mdb"), fs::perms::group_write, fs::perm_options::add);
  EXPECT_EQ(files_->GetAttributes("C:\\Tarvel\\vendrial.mdb"), kAttrArchive);
  fs::permissions(drives_.Host("C:\\Tarvel\\Fotos"), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(files_->GetAttributes("C:\\Tarvel\\Fotos"), kAttrDirectory | kAttrReadOnly);
}

TEST_F(FileOperations, HiddenAndSystemComeFromDosattrib) {
  const std::string host = drives_.Host("C:\\Tarvel\\vendrial.mdb");
  SetExtendedAttribute(host, kDosAttribXattr, "0x2");
  EXPECT_EQ(files_->GetAttributes("C:\\Tarvel\\vendrial.mdb"), kAttrArchive | kAttrHidden);
  SetExtendedAttribute(host, kDosAttribXattr, "0x4");
  EXPECT_EQ(files_->GetAttributes("C:\\Tarvel\\vendrial.mdb"), kAttrArchive | kAttrSystem);
  // Only the hidden and system bits are taken from it.
  SetExtendedAttribute(host, kDosAttribXattr, "0x37");
  EXPECT_EQ(files_->GetAttributes("C:\\Tarvel\\vendrial.mdb"), kAttrArchive | kAttrHidden | kAttrSystem);
  SetExtendedAttribute(host, kDosAttribXattr, "0x1");
  EXPECT_EQ(files_->GetAttributes("C:\\Tarvel\\vendrial.mdb"), kAttrArchive);
  SetExtendedAttribute(drives_.Host("C:\\Tarvel\\Fotos"), kDosAttribXattr, std::string("0x6\0", 4));
  EXPECT_EQ(files_->GetAttributes("C:\\Tarvel\\Fotos"), kAttrDirectory | kAttrHidden | kAttrSystem);
}

TEST_F(FileOperations, ADotNameIsHiddenUnlessDosattribSaysOtherwise) {
  drives_.WriteFile("C:\\Tarvel\\.config", "");
  drives_.WriteFile("C:\\Tarvel\\.visivel", "");
  drives_.WriteFile("C:\\Tarvel\\.estranho", "");
  SetExtendedAttribute(drives_.Host("C:\\Tarvel\\.visivel"), kDosAttribXattr, "0x0");
  SetExtendedAttribute(drives_.Host("C:\\Tarvel\\.estranho"), kDosAttribXattr, "garbage");
  EXPECT_EQ(files_->GetAttributes("C:\\Tarvel\\.config"), kAttrArchive | kAttrHidden);
  EXPECT_EQ(files_->GetAttributes("C:\\Tarvel\\.visivel"), kAttrArchive);
  EXPECT_EQ(files_->GetAttributes("C:\\Tarvel\\.estranho"), kAttrArchive);
}

TEST(DosAttrib, OnlyTheTextFormIsRead) {
  EXPECT_EQ(ParseDosAttrib("0x2"), kAttrHidden);
  EXPECT_EQ(ParseDosAttrib("0X26"), kAttrHidden | kAttrSystem);
  EXPECT_EQ(ParseDosAttrib(std::string_view("0x20\0", 5)), 0u);
  EXPECT_EQ(ParseDosAttrib("0x"), std::nullopt);
  EXPECT_EQ(ParseDosAttrib("2"), std::nullopt);
  EXPECT_EQ(ParseDosAttrib("0xZ"), std::nullopt);
}

TEST_F(FileOperations, ALinkIsWhatItLeadsToMarkedAsALink) {
  fs::create_directory_symlink(drives_.Host("C:\\Tarvel\\Fotos"), drives_.Host("C:\\Atalho"));
  fs::create_symlink(drives_.Host("C:\\Tarvel\\nada"), drives_.Host("C:\\Quebrado"));
  EXPECT_EQ(files_->GetAttributes("C:\\Atalho"), kAttrDirectory | kAttrReparsePoint);
  EXPECT_EQ(files_->GetAttributes("C:\\Atalho\\"), kAttrDirectory | kAttrReparsePoint);
  EXPECT_EQ(files_->GetAttributes("C:\\Quebrado"), kAttrReparsePoint | kAttrArchive);
  EXPECT_EQ(files_->GetAttributes("C:\\Tarvel\\Fotos"), kAttrDirectory);
}

}  // namespace
}  // namespace bt
