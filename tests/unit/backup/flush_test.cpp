// "Operação concluída" means on the disk: every file system an operation
// wrote to is flushed before success, photos reached through a link on
// another disk included; and what a failed operation replaced is flushed
// before its failure is reported.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "testing/faulty_file_system.h"
#include "tests/unit/backup/operation_fixture.h"

namespace bt {
namespace {

namespace fs = std::filesystem;
using doubles::CopyStep;
using doubles::FaultyFileSystem;
using doubles::FsOp;

class FlushTest : public doubles::OperationTest {
 protected:
  void SetUp() override {
    OperationTest::SetUp();
    MakeInstallation();
    const std::string set = "D:\\Copias\\20090117_130904";
    drives_.WriteFile(set + "\\vendrial.mdb", "banco do backup");
    drives_.WriteFile(set + "\\tarvel.ini", "ini do backup");
    drives_.WriteFile(set + "\\Fotos\\2009\\produto2.jpg", "foto 2 do backup");
  }
  void TearDown() override {
    if (!elsewhere_.empty()) fs::remove_all(elsewhere_);
  }
  // The installation's photos moved to another file system, a link left.
  bool PhotosOnAnotherFileSystem() {
    char pattern[] = "/dev/shm/bt-fotos-XXXXXX";
    if (!fs::is_directory("/dev/shm") || ::mkdtemp(pattern) == nullptr) return false;
    elsewhere_ = pattern;
    fs::copy(drives_.Host("C:\\Tarvel\\Fotos"), elsewhere_, fs::copy_options::recursive);
    fs::remove_all(drives_.Host("C:\\Tarvel\\Fotos"));
    fs::create_directory_symlink(elsewhere_, drives_.Host("C:\\Tarvel\\Fotos"));
    struct stat here {}, there {};
    return ::stat(drives_.Host("C:\\Tarvel").c_str(), &here) == 0 && ::stat(pattern, &there) == 0 &&
           here.st_dev != there.st_dev;
  }
  std::string elsewhere_;
};

TEST_F(FlushTest, ARestoreFlushesEveryFileSystemItWroteToBeforeSayingSo) {
  if (!PhotosOnAnotherFileSystem()) GTEST_SKIP() << "no second file system (/dev/shm) here";
  FaultyFileSystem faulty(*files_);
  OperationContext context{faulty, clock_, boxes_, [this] { return installation_; }};

  RestoreData(context, "D:\\Copias\\20090117_130904", true);

  EXPECT_EQ(boxes_.shown.back().title, "Operação concluída");
  EXPECT_EQ(faulty.StepCalls(CopyStep::Syncfs), 2) << "the installation's and the photos' file systems";
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\Fotos\\2009\\produto2.jpg"), "foto 2 do backup");
}

TEST_F(FlushTest, AFlushThatFailsIsAFailureNotASuccess) {
  FaultyFileSystem faulty(*files_);
  faulty.FailStep(CopyStep::Syncfs, 1, EIO);
  OperationContext context{faulty, clock_, boxes_, [this] { return installation_; }};

  EXPECT_THROW(RestoreData(context, "D:\\Copias\\20090117_130904", true), AppError);
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(FlushTest, AFailedRestoreFlushesWhatItReplacedBeforeItsFailureIsReported) {
  FaultyFileSystem faulty(*files_);
  // The database and the options file are replaced; the photo fails.
  faulty.FailOn(FsOp::CopyWholeFile, 3, AppError(kErrDiskFull));
  OperationContext context{faulty, clock_, boxes_, [this] { return installation_; }};

  EXPECT_THROW(RestoreData(context, "D:\\Copias\\20090117_130904", true), AppError);
  EXPECT_EQ(faulty.Calls(FsOp::FlushWrites), 1);
  EXPECT_GE(faulty.StepCalls(CopyStep::Syncfs), 1);
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco do backup");
}

}  // namespace
}  // namespace bt
