// Finding another process that writes to a file, as a running Tarvel writes
// to its database: through a read lease, and through /proc where no lease
// can be had.
#include "platform/linux/open_files.h"
#include "testing/file_holder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace bt {
namespace {

using Probe = OpenFilesMonitor::Probe;
using Freshness = OpenFilesMonitor::Freshness;

struct TempFile {
  std::string path;
  TempFile() {
    char pattern[] = "/tmp/bt-open-files-XXXXXX";
    int fd = mkstemp(pattern);
    (void)!write(fd, "0123456789", 10);
    close(fd);
    path = pattern;
  }
  ~TempFile() { unlink(path.c_str()); }
};

// Asks the monitor about the file as the copy does: opened for reading.
bool Written(OpenFilesMonitor& monitor, const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
  struct stat st {};
  fstat(fd, &st);
  const bool written = monitor.WrittenElsewhere(fd, st, Freshness::kNow);
  close(fd);
  return written;
}

// A process that maps the file shared and writable, closes its descriptor
// and goes on writing through the mapping.
class MappingWriter {
 public:
  explicit MappingWriter(const std::string& path) {
    int ready[2];
    EXPECT_EQ(pipe(ready), 0);
    pid_ = fork();
    if (pid_ == 0) {
      const int fd = open(path.c_str(), O_RDWR);
      void* map = mmap(nullptr, 10, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
      close(fd);
      const char ok = map != MAP_FAILED ? '1' : '0';
      (void)!write(ready[1], &ok, 1);
      pause();
      _exit(0);
    }
    char ok = 0;
    EXPECT_EQ(read(ready[0], &ok, 1), 1);
    EXPECT_EQ(ok, '1');
    close(ready[0]);
    close(ready[1]);
  }
  ~MappingWriter() {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }

 private:
  pid_t pid_ = -1;
};

class EveryProbe : public ::testing::TestWithParam<Probe> {};

TEST_P(EveryProbe, SeesAWriterAndAWritableSharedMappingButNotAReader) {
  TempFile written, mapped, read;
  doubles::FileHolder writer(written.path, O_RDWR);
  MappingWriter mapper(mapped.path);
  doubles::FileHolder reader(read.path, O_RDONLY);
  OpenFilesMonitor monitor(GetParam());

  EXPECT_TRUE(Written(monitor, written.path));
  EXPECT_TRUE(Written(monitor, mapped.path));
  EXPECT_FALSE(Written(monitor, read.path));
}

TEST_P(EveryProbe, AskedAfreshForgetsAWriterThatEndedAndSeesOneThatBegan) {
  TempFile file;
  OpenFilesMonitor monitor(GetParam());
  EXPECT_FALSE(Written(monitor, file.path));
  {
    doubles::FileHolder writer(file.path, O_WRONLY | O_APPEND);
    EXPECT_TRUE(Written(monitor, file.path));
  }
  EXPECT_FALSE(Written(monitor, file.path));
}

INSTANTIATE_TEST_SUITE_P(OpenFilesMonitor, EveryProbe, ::testing::Values(Probe::kLeaseFirst, Probe::kScanOnly),
                         [](const auto& info) { return info.param == Probe::kLeaseFirst ? "Lease" : "Scan"; });

TEST(OpenFilesScan, IgnoresThisProcessOwnWriters) {
  TempFile file;
  const int own = open(file.path.c_str(), O_WRONLY);
  OpenFilesMonitor monitor(Probe::kScanOnly);
  EXPECT_FALSE(Written(monitor, file.path));
  close(own);
}

// A user who owns the file but cannot read root's descriptors under /proc:
// the scan misses root's writer, the lease does not.
TEST(OpenFilesLease, SeesTheWriterOfAnotherUserThatTheScanCannotRead) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to play another user";
  TempFile file;
  constexpr uid_t kNobody = 65534;
  ASSERT_EQ(chown(file.path.c_str(), kNobody, kNobody), 0);
  doubles::FileHolder rootWriter(file.path, O_RDWR);

  const pid_t child = fork();
  if (child == 0) {
    if (setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(3);
    OpenFilesMonitor lease(Probe::kLeaseFirst);
    OpenFilesMonitor scan(Probe::kScanOnly);
    const bool leaseSees = Written(lease, file.path);
    const bool scanSees = Written(scan, file.path);
    _exit(leaseSees && !scanSees ? 0 : 1 + (leaseSees ? 1 : 0) * 10 + (scanSees ? 100 : 0));
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the lease missed the writer; 100+: the scan could read root's fds";
}

}  // namespace
}  // namespace bt
