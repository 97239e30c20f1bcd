// Finding another process that writes to a file, as a running Tarvel writes
// to its database.
#include "platform/posix/open_files.h"
#include "platform/testing/file_holder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
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

TEST(OpenFilesMonitor, SeesAnotherProcessWritingButNotOneOnlyReading) {
  TempFile written, read;
  testing::FileHolder writer(written.path, O_RDWR);
  testing::FileHolder reader(read.path, O_RDONLY);
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
    testing::FileHolder writer(file.path, O_WRONLY | O_APPEND);
    EXPECT_TRUE(monitor.OpenForWritingElsewhere(file.Id().first, file.Id().second));
  }
  EXPECT_FALSE(monitor.OpenForWritingElsewhere(file.Id().first, file.Id().second));
  close(own);
}

}  // namespace
}  // namespace bt
