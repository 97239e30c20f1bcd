// Backups and restores with a real exFAT stick, a drive that ignores letter
// case, refuses some names and shows every file as 0777: a restore leaves
// exactly one database whatever the case of the names on either side, two
// photos whose names differ only in case never become one, and the
// installation's permissions never become the stick's.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/linux/letter_case_folders.h"
#include "platform/forwarding_file_system.h"
#include "platform/linux/linux_file_system.h"
#include "testing/exfat_drive.h"
#include "testing/held_copies.h"
#include "tests/unit/backup/operation_fixture.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

namespace fs = std::filesystem;

const char* const kSet = "E:\\20090117_130904";

class ExfatStick : public doubles::OperationTest {
 protected:
  void SetUp() override {
    if (!stick_.mounted()) GTEST_SKIP() << "no exFAT stick: " << stick_.skipReason();
    OperationTest::SetUp();
    DriveTable table = drives_.table();
    table.push_back({'E', stick_.hostRoot(), "PENDRIVE"});
    files_ = MakeLinuxFileSystem(table, drives_.root());
  }
  std::string OnStick(const std::string& name) const { return stick_.hostRoot() + "/" + name; }
  static void Write(const std::string& hostPath, const std::string& content) {
    fs::create_directories(fs::path(hostPath).parent_path());
    std::ofstream(hostPath, std::ios::binary) << content;
  }
  int Failure(const std::function<void(OperationContext&)>& operation) {
    auto context = Context();
    try {
      operation(context);
    } catch (const AppError& error) {
      failureDetail_ = error.detail();
      return error.number();
    }
    return 0;
  }

  bool Succeeded() const { return !boxes_.shown.empty() && boxes_.shown.back().title == "Operação concluída"; }

  doubles::ExfatDrive stick_;
  std::string failureDetail_;
};

// Old installers wrote the names in capitals; the stick's set has them in
// small letters, and its own lookups ignore the difference.
TEST_F(ExfatStick, ARestoreFromTheStickReplacesTheCapitalisedFilesAndLeavesOneDatabase) {
  drives_.WriteFile("C:\\Tarvel\\VENDRIAL.MDB", "banco instalado");
  drives_.WriteFile("C:\\Tarvel\\TARVEL.INI", "ini instalado");
  drives_.MakeFolder("C:\\Tarvel\\Fotos");
  Write(OnStick("20090117_130904/vendrial.mdb"), "banco do pendrive");
  Write(OnStick("20090117_130904/tarvel.ini"), "ini do pendrive");
  Write(OnStick("20090117_130904/Fotos/produto.jpg"), "foto");

  EXPECT_EQ(Failure([](OperationContext& c) { RestoreData(c, kSet, true); }), 0);

  EXPECT_EQ(doubles::HostNames(drives_.Host("C:\\Tarvel")).size(), 3u) << "one database, one options file, Fotos";
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\VENDRIAL.MDB"), "banco do pendrive");
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\TARVEL.INI"), "ini do pendrive");
  EXPECT_TRUE(Succeeded());
}

TEST_F(ExfatStick, ARestoreOntoAnInstallationOnTheStickReplacesItsCapitalisedDatabase) {
  Write(OnStick("Tarvel/VENDRIAL.MDB"), "banco instalado");
  drives_.WriteFile("D:\\20090117_130904\\vendrial.mdb", "banco do backup");
  installation_ = "E:\\Tarvel";

  EXPECT_EQ(Failure([](OperationContext& c) { RestoreData(c, "D:\\20090117_130904", false); }), 0);

  EXPECT_EQ(doubles::HostNames(OnStick("Tarvel")), std::vector<std::string>{"VENDRIAL.MDB"});
  std::ifstream in(OnStick("Tarvel/VENDRIAL.MDB"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "banco do backup");
}

TEST_F(ExfatStick, PhotosWhoseNamesDifferOnlyInCaseFailTheBackupAndNeitherIsLost) {
  MakeInstallation();
  drives_.WriteFile("C:\\Tarvel\\Fotos\\b.jpg", "foto b");
  drives_.WriteFile("C:\\Tarvel\\Fotos\\B.jpg", "foto B");

  EXPECT_EQ(Failure([](OperationContext& c) { BackupData(c, "E:\\", true); }), kErrFileExists) << failureDetail_;

  EXPECT_FALSE(Succeeded());
  EXPECT_NE(failureDetail_.find("C:\\Tarvel\\Fotos\\b.jpg"), std::string::npos) << failureDetail_;
  EXPECT_NE(failureDetail_.find("C:\\Tarvel\\Fotos\\B.jpg"), std::string::npos) << failureDetail_;
  // Refused before either was copied, and the half-made set taken back.
  EXPECT_FALSE(fs::exists(OnStick("20090117_130904")));
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Fotos\\b.jpg"), "foto b");
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Fotos\\B.jpg"), "foto B");
}

// exFAT compares names by their upper case, under which "σ" and "ς" are one.
TEST_F(ExfatStick, FoldersWhoseNamesOnlyUpperCaseMakeOneAreRefusedAndNothingIsLeft) {
  MakeInstallation();
  drives_.WriteFile("C:\\Tarvel\\Fotos\\\xCF\x83\\x.jpg", "sigma");
  drives_.WriteFile("C:\\Tarvel\\Fotos\\\xCF\x82\\x.jpg", "sigma final");

  EXPECT_EQ(Failure([](OperationContext& c) { BackupData(c, "E:\\", true); }), kErrFileExists) << failureDetail_;

  EXPECT_FALSE(Succeeded());
  EXPECT_FALSE(fs::exists(OnStick("20090117_130904")));
}

TEST_F(ExfatStick, FoldersWhoseNamesDifferOnlyInCaseDoNotMergeSilently) {
  MakeInstallation();
  drives_.WriteFile("C:\\Tarvel\\Fotos\\Natal\\arvore.jpg", "arvore 1");
  drives_.WriteFile("C:\\Tarvel\\Fotos\\natal\\arvore.jpg", "arvore 2");

  EXPECT_NE(Failure([](OperationContext& c) { BackupData(c, "E:\\", true); }), 0);
  EXPECT_FALSE(Succeeded());
}

TEST_F(ExfatStick, APhotoNameTheStickRefusesFailsTheBackupNamingIt) {
  MakeInstallation();
  std::ofstream(drives_.Host("C:\\Tarvel\\Fotos") + "/a:b.jpg") << "dois pontos";

  EXPECT_EQ(Failure([](OperationContext& c) { BackupData(c, "E:\\", true); }), kErrPathFileAccess);
  EXPECT_NE(failureDetail_.find("C:\\Tarvel\\Fotos\\"), std::string::npos) << failureDetail_;
}

TEST_F(ExfatStick, ARestoreFromTheStickKeepsTheInstallationsPermissions) {
  MakeInstallation();
  ::chmod(drives_.Host("C:\\Tarvel\\vendrial.mdb").c_str(), 0640);
  ::chmod(drives_.Host("C:\\Tarvel\\tarvel.ini").c_str(), 0644);
  auto context = Context();
  BackupData(context, "E:\\", true);
  ASSERT_TRUE(Succeeded());

  RestoreData(context, kSet, true);

  struct stat st {};
  ASSERT_EQ(::stat(drives_.Host("C:\\Tarvel\\vendrial.mdb").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  ASSERT_EQ(::stat(drives_.Host("C:\\Tarvel\\tarvel.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(ExfatStick, IsFoundToIgnoreLetterCase) {
  EXPECT_FALSE(FolderKeepsLetterCase(stick_.hostRoot()));
  LetterCaseFolders folders;
  EXPECT_FALSE(folders.KeepsLetterCase(stick_.hostRoot()));
  EXPECT_TRUE(doubles::HostNames(stick_.hostRoot()).empty()) << "the probe left its entry";
}

// The file system as the operation sees it, whose copies beside the walk
// wait until the walk has ended: then a copy handed to a worker has surely
// not landed when the next name is looked up, as on a busy machine.
class CopiesAfterTheWalk final : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;

  void FlushWrites() override {
    held_.Release();
    ForwardingFileSystem::FlushWrites();
  }
  void FinishCopies() override {
    held_.Release();
    ForwardingFileSystem::FinishCopies();
  }

 private:
  doubles::HeldCopies held_;
};

TEST_F(ExfatStick, OnTwoCopyWorkersPhotosWhoseNamesDifferOnlyInCaseStillFailTheBackup) {
  MakeInstallation();
  drives_.WriteFile("C:\\Tarvel\\Fotos\\b.jpg", "foto b");
  drives_.WriteFile("C:\\Tarvel\\Fotos\\B.jpg", "foto B");
  DriveTable table = drives_.table();
  table.push_back({'E', stick_.hostRoot(), "PENDRIVE"});
  const auto twoWorkers = MakeLinuxFileSystem(table, drives_.root(), 2);
  CopiesAfterTheWalk files(*twoWorkers);
  OperationContext context{files, clock_, boxes_, [this] { return installation_; }};

  int number = 0;
  try {
    BackupData(context, "E:\\", true);
  } catch (const AppError& error) {
    number = error.number();
    failureDetail_ = error.detail();
  }

  EXPECT_EQ(number, kErrFileExists) << failureDetail_;
  EXPECT_FALSE(Succeeded());
}

}  // namespace
}  // namespace bt
