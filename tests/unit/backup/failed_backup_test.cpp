// A backup that fails takes back what it made, and only that: no half-made
// set is left to pass for "the newest backup" later.
#include <gtest/gtest.h>

#include "platform/forwarding_file_system.h"
#include "testing/faulty_file_system.h"
#include "testing/open_for_writing.h"
#include "tests/unit/backup/operation_fixture.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

constexpr const char* kSet = "D:\\Copias\\20090117_130904";

// Someone else puts a file into the set while the backup copies its photos.
class ThirdPartyWrites final : public ForwardingFileSystem {
 public:
  ThirdPartyWrites(FileSystem& target, std::function<void()> write)
      : ForwardingFileSystem(target), write_(std::move(write)) {}
  using FileSystem::CopyWholeFile;
  void CopyWholeFile(const std::string& source, const std::string& destination, Durability durability,
                     DestinationLinks links) override {
    if (destination.find("\\Fotos\\") != std::string::npos && write_) std::exchange(write_, {})();
    ForwardingFileSystem::CopyWholeFile(source, destination, durability, links);
  }

 private:
  std::function<void()> write_;
};

class FailedBackupTest : public doubles::OperationTest {
 protected:
  void SetUp() override {
    OperationTest::SetUp();
    MakeInstallation();
    drives_.MakeFolder("D:\\Copias");
  }
  int Run(FileSystem& files) {
    OperationContext context{files, clock_, boxes_, [this] { return installation_; }};
    return doubles::ThrownNumber([&] { BackupData(context, "D:\\Copias", true); });
  }
};

TEST_F(FailedBackupTest, ADatabaseInUseLeavesNoEmptySetBehind) {
  doubles::OpenForWriting tarvelRunning(drives_.Host("C:\\Tarvel\\vendrial.mdb"));

  EXPECT_EQ(Run(*files_), kErrPermissionDenied);

  EXPECT_FALSE(Exists(kSet));
  EXPECT_TRUE(Exists("D:\\Copias"));
}

TEST_F(FailedBackupTest, AFailureAmongThePhotosRemovesEveryFileAndFolderTheRunMadeButNoOneElses) {
  doubles::FaultyFileSystem faulty(*files_);
  // The database, the options file, the first photo; the second fails.
  faulty.FailOn(doubles::FsOp::CopyWholeFile, 4, AppError(kErrDiskFull, "D:"));
  ThirdPartyWrites other(faulty, [this] { drives_.WriteFile(std::string(kSet) + "\\Fotos\\leia.txt", "meu"); });

  EXPECT_EQ(Run(other), kErrDiskFull);

  EXPECT_EQ(drives_.ReadFile(std::string(kSet) + "\\Fotos\\leia.txt"), "meu");
  EXPECT_FALSE(Exists(std::string(kSet) + "\\vendrial.mdb"));
  EXPECT_FALSE(Exists(std::string(kSet) + "\\tarvel.ini"));
  EXPECT_FALSE(Exists(std::string(kSet) + "\\Fotos\\produto1.jpg"));
  EXPECT_FALSE(Exists(std::string(kSet) + "\\Fotos\\2009"));
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(FailedBackupTest, ASecondRunInTheSameSecondThatFailsLeavesTheFirstSet) {
  EXPECT_EQ(Run(*files_), 0);
  doubles::FaultyFileSystem faulty(*files_);
  faulty.FailOn(doubles::FsOp::CopyWholeFile, 2, AppError(kErrDiskFull, "D:"));

  EXPECT_EQ(Run(faulty), kErrDiskFull);

  // The set was not this run's to take back: what it held stays whole.
  EXPECT_EQ(drives_.ReadFile(std::string(kSet) + "\\vendrial.mdb"), "banco original");
  EXPECT_EQ(drives_.ReadFile(std::string(kSet) + "\\tarvel.ini"), "[Opcoes]\nLoja=1\n");
  EXPECT_EQ(drives_.ReadFile(std::string(kSet) + "\\Fotos\\2009\\produto2.jpg"), "foto 2");
}

}  // namespace
}  // namespace bt
