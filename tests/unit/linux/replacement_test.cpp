// A copy that replaces a file: what the replaced file keeps (permissions,
// owner), what is looked at again just before the copy takes the name (a
// writer that arrived meanwhile, a file that appeared), and that a durable
// replacement is on the disk before it shows.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/file_copy.h"
#include "testing/faulty_file_system.h"
#include "testing/file_holder.h"
#include "testing/temp_drives.h"
#include "tests/unit/support.h"

namespace bt {
namespace {

namespace fs = std::filesystem;
using doubles::ThrownNumber;

constexpr uid_t kNobody = 65534;

// The whole host path of a name the copy's calls give relative to an open
// folder (or whole, with AT_FDCWD).
std::string HostPathOf(int folder, const char* name) {
  if (folder == AT_FDCWD) return name;
  return fs::read_symlink("/proc/self/fd/" + std::to_string(folder)).string() + "/" + name;
}

class Replacement : public ::testing::Test {
 protected:
  Replacement() {
    drives_.AddDrive('C');
    drives_.AddDrive('D');
    drives_.WriteFile("D:\\Copia\\vendrial.mdb", "banco do backup");
    drives_.WriteFile("C:\\Tarvel\\vendrial.mdb", "banco instalado");
    files_ = drives_.MakeFileSystem();
  }
  ~Replacement() override {
    CopyCalls() = RealCopyCalls();
    holder_.reset();
  }
  std::string Host(const std::string& path) const { return drives_.Host(path); }
  void Restore() { files_->CopyWholeFile("D:\\Copia\\vendrial.mdb", "C:\\Tarvel\\vendrial.mdb"); }

  doubles::TempDrives drives_;
  std::unique_ptr<FileSystem> files_;
  // What the hooks below act on while a copy runs.
  static inline std::string target_;
  static inline mode_t appearingBits_ = 0;
  static inline std::unique_ptr<doubles::FileHolder> holder_;
  static inline std::vector<std::string> calls_;
};

// A backup on a stick mounted with 0777 for everything, restored over an
// installation whose database only its owner may write.
TEST_F(Replacement, AReplacedFileKeepsItsOwnPermissionsAndOwnerNotTheBackups) {
  fs::permissions(Host("D:\\Copia\\vendrial.mdb"), fs::perms::all);
  ::chmod(Host("C:\\Tarvel\\vendrial.mdb").c_str(), 0640);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(Host("C:\\Tarvel\\vendrial.mdb").c_str(), kNobody, kNobody), 0);
  }

  Restore();

  struct stat st {};
  ASSERT_EQ(::stat(Host("C:\\Tarvel\\vendrial.mdb").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(st.st_uid, kNobody);
  }
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco do backup");
}

TEST_F(Replacement, ANewFileGetsTheSourcesBitsLessTheUmaskAsCpGivesThem) {
  fs::permissions(Host("D:\\Copia\\vendrial.mdb"), fs::perms::all);
  const mode_t saved = ::umask(022);
  files_->CopyWholeFile("D:\\Copia\\vendrial.mdb", "C:\\Tarvel\\nova.mdb");
  ::umask(saved);
  struct stat st {};
  ASSERT_EQ(::stat(Host("C:\\Tarvel\\nova.mdb").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0755u);
}

// A file that appears under the name between the look and the link: the
// link fails, and what is there now gets the checks of any replacement.
TEST_F(Replacement, ANameTakenAfterTheLookIsReplacedOnlyAfterTheSameChecks) {
  for (const mode_t bits : {mode_t{0444}, mode_t{0600}}) {
    SCOPED_TRACE(bits);
    target_ = Host("C:\\Tarvel\\nova.mdb");
    fs::remove(target_);
    appearingBits_ = bits;
    CopyCalls().link = [](int fd, int toFolder, const char* to) {
      if (HostPathOf(toFolder, to) == target_) {
        const int made = ::openat(toFolder, to, O_WRONLY | O_CREAT | O_EXCL, 0600);
        (void)!::write(made, "surgiu", 6);
        ::fchmod(made, appearingBits_);
        ::close(made);
      }
      return RealCopyCalls().link(fd, toFolder, to);
    };
    const int failure = ThrownNumber([&] { files_->CopyWholeFile("D:\\Copia\\vendrial.mdb", "C:\\Tarvel\\nova.mdb"); });
    CopyCalls() = RealCopyCalls();

    struct stat st {};
    ASSERT_EQ(::stat(target_.c_str(), &st), 0);
    if (bits == 0444) {
      EXPECT_EQ(failure, kErrPermissionDenied) << "a read-only file is not replaced";
      EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\nova.mdb"), "surgiu");
    } else {
      EXPECT_EQ(failure, 0);
      EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\nova.mdb"), "banco do backup");
      EXPECT_EQ(st.st_mode & 0777, 0600u) << "it keeps the bits of the file it replaced";
    }
  }
}

// Tarvel opens its database while the restore is copying: the answer of the
// first look is stale by then, and the replacement would take its writes.
TEST_F(Replacement, AWriterThatArrivesDuringTheCopyStopsTheReplacement) {
  for (const char* arriving : {"C:\\Tarvel\\vendrial.mdb", "D:\\Copia\\vendrial.mdb"}) {
    SCOPED_TRACE(arriving);
    target_ = Host(arriving);
    CopyCalls().clone = [](int, int) { errno = EOPNOTSUPP; return -1; };
    CopyCalls().copyFileRange = [](int, int, std::size_t) -> ssize_t { errno = EXDEV; return -1; };
    CopyCalls().write = [](int fd, const void* buffer, std::size_t size) {
      if (!holder_) holder_ = std::make_unique<doubles::FileHolder>(target_, O_RDWR);
      return RealCopyCalls().write(fd, buffer, size);
    };
    EXPECT_EQ(ThrownNumber([&] { Restore(); }), kErrPermissionDenied);
    CopyCalls() = RealCopyCalls();
    holder_.reset();
    EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco instalado");
  }
}

// Nothing else observes durability: a kill keeps the page cache. The copy
// must be flushed before it takes the name, and the folder after.
TEST_F(Replacement, ADurableReplacementIsOnTheDiskBeforeItTakesTheName) {
  calls_.clear();
  CopyCalls().fsync = [](int fd) {
    calls_.push_back("fsync");
    return RealCopyCalls().fsync(fd);
  };
  CopyCalls().rename = [](int fromFolder, const char* from, int toFolder, const char* to) {
    calls_.push_back("rename");
    return RealCopyCalls().rename(fromFolder, from, toFolder, to);
  };
  Restore();
  EXPECT_EQ(calls_, (std::vector<std::string>{"fsync", "rename", "fsync"}));
}

TEST_F(Replacement, AFlushThatFailsFailsTheCopyAndKeepsTheOldFile) {
  doubles::FaultyFileSystem faulty(*files_);
  faulty.FailStep(doubles::CopyStep::Fsync, 1, EIO);
  EXPECT_EQ(ThrownNumber([&] { faulty.CopyWholeFile("D:\\Copia\\vendrial.mdb", "C:\\Tarvel\\vendrial.mdb"); }),
            kErrDeviceIo);
  EXPECT_EQ(drives_.ReadFile("C:\\Tarvel\\vendrial.mdb"), "banco instalado");
  EXPECT_EQ(doubles::HostNames(Host("C:\\Tarvel")), std::vector<std::string>{"vendrial.mdb"});
}

}  // namespace
}  // namespace bt
