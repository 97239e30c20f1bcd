// A database that another program is writing to is neither copied nor
// replaced, and flushing a file system to the disk; where a lease cannot
// tell (a network file system, a refusal for another reason), /proc does.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <ostream>

#include "platform/file_system.h"
#include "platform/linux/open_files.h"
#include "testing/file_holder.h"
#include "testing/temp_drives.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

using doubles::FileHolder;
using doubles::ThrownNumber;

class FileInUseTest : public ::testing::Test {
 protected:
  FileInUseTest() {
    drives_.AddDrive('C');
    drives_.AddDrive('D');
    drives_.WriteFile("C:\\Tarvel\\vendrial.mdb", "banco em uso");
    drives_.WriteFile("D:\\Copia\\vendrial.mdb", "banco do backup");
    files_ = drives_.MakeFileSystem();
  }
  // The database that Tarvel holds open for writing is refused both ways
  // (70), and neither it nor a copy of it is touched.
  void ExpectHeldDatabaseNeitherReplacedNorCopied() {
  EXPECT_EQ(ThrownNumber([&] { files_->CopyWholeFile("D:\\Copia\\vendrial.mdb", "C:\\Tarvel\\vendrial.mdb"); }),
            kErrPermissionDenied);
  EXPECT_EQ(ThrownNumber([&] { files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\Nova.mdb"); }),
            kErrPermissionDenied);
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco em uso");
  EXPECT_FALSE(files_->OrdinaryFileExists("D:\\Nova.mdb"));
  }

  doubles::TempDrives drives_;
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

// While alive, every read lease is refused with `error` by a file system
// whose statfs type is `type`: what this machine's own file systems cannot
// be made to answer (NFS without a delegation, SMB without an oplock).
class LeasesRefused {
 public:
  LeasesRefused(int error, long type) : saved_(LeaseCalls()) {
    error_ = error;
    type_ = type;
    LeaseCalls().setLease = [](int, int lease) {
      if (lease == F_UNLCK) return 0;
      errno = error_;
      return -1;
    };
    LeaseCalls().fileSystemType = [](int, long* type) {
      *type = type_;
      return 0;
    };
  }
  ~LeasesRefused() { LeaseCalls() = saved_; }
  LeasesRefused(const LeasesRefused&) = delete;
  LeasesRefused& operator=(const LeasesRefused&) = delete;

 private:
  HostLeaseCalls saved_;
  static inline int error_ = 0;
  static inline long type_ = 0;
};

constexpr long kExt4 = 0xEF53;

struct NetworkFileSystem {
  const char* name;
  long type;
};
void PrintTo(const NetworkFileSystem& fileSystem, std::ostream* out) { *out << fileSystem.name; }

// A Wine prefix in an NFS home folder, a backup set on a NAS: the server
// refuses every lease (EAGAIN) while it offers none.
class OnANetworkFileSystem : public FileInUseTest, public ::testing::WithParamInterface<NetworkFileSystem> {};

TEST_P(OnANetworkFileSystem, ARestoreWithNobodyWritingTheDatabaseGoesThrough) {
  LeasesRefused refused(EAGAIN, GetParam().type);

  files_->CopyWholeFile("D:\\Copia\\vendrial.mdb", "C:\\Tarvel\\vendrial.mdb");
  files_->CopyWholeFile("C:\\Tarvel\\vendrial.mdb", "D:\\Nova.mdb", Durability::kAtFlush);

  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco do backup");
  EXPECT_EQ(drives_.ReadFile("D:\\Nova.mdb"), "banco do backup");
}

TEST_P(OnANetworkFileSystem, ADatabaseThatTarvelWritesOnThisMachineIsStillNeitherReplacedNorCopied) {
  LeasesRefused refused(EAGAIN, GetParam().type);
  FileHolder tarvel(drives_.Host("C:\\Tarvel\\vendrial.mdb"), O_RDWR);

  ExpectHeldDatabaseNeitherReplacedNorCopied();
}

INSTANTIATE_TEST_SUITE_P(FileInUse, OnANetworkFileSystem,
                         ::testing::Values(NetworkFileSystem{"NFS", 0x6969}, NetworkFileSystem{"SMB2", 0xFE534D42},
                                           NetworkFileSystem{"CIFS", 0xFF534D42}, NetworkFileSystem{"9p", 0x01021997},
                                           NetworkFileSystem{"FUSE", 0x65735546}),
                         [](const auto& info) { return std::string(info.param.name); });

// A lease refused because it cannot be had at all (not the file's owner,
// no leases on this file system) says nothing about writers.
class LeaseRefusedForAnotherReason : public FileInUseTest, public ::testing::WithParamInterface<int> {};

TEST_P(LeaseRefusedForAnotherReason, ADatabaseThatTarvelWritesIsStillNeitherReplacedNorCopied) {
  LeasesRefused refused(GetParam(), kExt4);
  FileHolder tarvel(drives_.Host("C:\\Tarvel\\vendrial.mdb"), O_RDWR);

  ExpectHeldDatabaseNeitherReplacedNorCopied();
}

INSTANTIATE_TEST_SUITE_P(FileInUse, LeaseRefusedForAnotherReason, ::testing::Values(EACCES, EINVAL),
                         [](const auto& info) { return std::string(info.param == EACCES ? "EACCES" : "EINVAL"); });

}  // namespace
}  // namespace bt
