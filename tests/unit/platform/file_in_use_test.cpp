// A database that another program is writing to is neither copied nor
// replaced, and flushing a file system to the disk.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <memory>

#include "platform/file_system.h"
#include "platform/testing/file_holder.h"
#include "platform/testing/temp_drives.h"
#include "tests/unit/platform/posix_test_support.h"

namespace bt {
namespace {

using testing::FileHolder;
using testing::ThrownNumber;

class FileInUseTest : public ::testing::Test {
 protected:
  FileInUseTest() {
    drives_.AddDrive('C');
    drives_.AddDrive('D');
    drives_.WriteFile("C:\\Tarvel\\vendrial.mdb", "banco em uso");
    drives_.WriteFile("D:\\Copia\\vendrial.mdb", "banco do backup");
    files_ = drives_.MakeFileSystem();
  }
  testing::TempDrives drives_;
  std::unique_ptr<FileSystem> files_;
};

TEST_F(FileInUseTest, ADatabaseOpenForWritingIsNotReplacedUnderTheRunningProgram) {
  FileHolder tarvel(drives_.Host("C:\\Tarvel\\vendrial.mdb"), O_RDWR);

  EXPECT_EQ(ThrownNumber([&] {
              files_->CopyWholeFile("D:\\Copia\\vendrial.mdb", "C:\\Tarvel\\vendrial.mdb");
            }),
            kErrPermissionDenied);
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco em uso");
}

TEST_F(FileInUseTest, ADatabaseOpenForWritingIsNotBackedUpHalfWritten) {
  FileHolder tarvel(drives_.Host("C:\\Tarvel\\vendrial.mdb"), O_WRONLY);

  EXPECT_EQ(ThrownNumber([&] {
              files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\Nova.mdb",
                                    Durability::kAtFlush);
            }),
            kErrPermissionDenied);
  EXPECT_FALSE(files_->OrdinaryFileExists("D:\\Nova.mdb"));
}

TEST_F(FileInUseTest, AProgramThatOnlyReadsTheFileDoesNotStopTheCopy) {
  FileHolder reader(drives_.Host("C:\\Tarvel\\vendrial.mdb"), O_RDONLY);

  files_->CopyWholeFile("D:\\Copia\\vendrial.mdb", "C:\\Tarvel\\vendrial.mdb");

  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco do backup");
}

}  // namespace
}  // namespace bt
