// Which files other processes hold open for writing, found as fuser finds
// them: through /proc/<pid>/fd and /proc/<pid>/fdinfo. On Windows a file
// that another program has open for writing cannot be replaced nor copied;
// on Linux nothing stops either, and a running Tarvel would go on writing
// into a database that a restore had just replaced.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <set>
#include <utility>

namespace bt {

class OpenFilesMonitor {
 public:
  // A snapshot is reused for `maxAge`: looking through every process for
  // each of thousands of photos would cost more than the copy itself.
  explicit OpenFilesMonitor(std::chrono::milliseconds maxAge = std::chrono::milliseconds(500))
      : maxAge_(maxAge) {}

  // Whether a process other than this one holds (device, inode) open for
  // writing. Processes that cannot be inspected are skipped.
  bool OpenForWritingElsewhere(dev_t device, ino_t inode);

 private:
  void Refresh();

  std::chrono::milliseconds maxAge_;
  std::chrono::steady_clock::time_point taken_{};
  bool haveSnapshot_ = false;
  std::set<std::pair<dev_t, ino_t>> writers_;
};

}  // namespace bt
