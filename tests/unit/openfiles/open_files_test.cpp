// Finding another process that writes to a file, as a running Tarvel writes
// to its database.
#include "platform/posix/open_files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace bt {
namespace {

struct TempFile {
  std::string path;
  TempFile() {
    char pattern[] = "/tmp/bt-open-files-XXXXXX";
    int fd = mkstemp(pattern);
    close(fd);
    path = pattern;
  }
  ~TempFile() { unlink(path.c_str()); }
  std::pair<dev_t, ino_t> Id() const {
    struct stat st {};
    stat(path.c_str(), &st);
    return {st.st_dev, st.st_ino};
  }
};

// A child process that holds the file open with `flags` until killed.
class Holder {
 public:
  Holder(const std::string& path, int flags) {
    int ready[2];
    EXPECT_EQ(pipe(ready), 0);
    pid_ = fork();
    if (pid_ == 0) {
      int fd = open(path.c_str(), flags);
      char ok = fd >= 0 ? '1' : '0';
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
  ~Holder() {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }

 private:
  pid_t pid_;
};

TEST(OpenFilesMonitor, SeesAnotherProcessWritingButNotOneOnlyReading) {
  TempFile written, read;
  Holder writer(written.path, O_RDWR);
  Holder reader(read.path, O_RDONLY);
  OpenFilesMonitor monitor(std::chrono::milliseconds(0));

  EXPECT_TRUE(monitor.OpenForWritingElsewhere(written.Id().first, written.Id().second));
  EXPECT_FALSE(monitor.OpenForWritingElsewhere(read.Id().first, read.Id().second));
}

TEST(OpenFilesMonitor, IgnoresThisProcessAndForgetsAWriterThatEnded) {
  TempFile file;
  int own = open(file.path.c_str(), O_WRONLY);
  OpenFilesMonitor monitor(std::chrono::milliseconds(0));
  EXPECT_FALSE(monitor.OpenForWritingElsewhere(file.Id().first, file.Id().second));
  {
    Holder writer(file.path, O_WRONLY | O_APPEND);
    EXPECT_TRUE(monitor.OpenForWritingElsewhere(file.Id().first, file.Id().second));
  }
  EXPECT_FALSE(monitor.OpenForWritingElsewhere(file.Id().first, file.Id().second));
  close(own);
}

}  // namespace
}  // namespace bt
