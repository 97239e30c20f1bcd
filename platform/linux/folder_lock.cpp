#include "platform/linux/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace bt {
namespace {

// Between two tries: a waiting operation starts at most this long after
// the holder has let go.
constexpr std::chrono::milliseconds kPause{20};

class HeldFolderLock final : public OperationLock {
 public:
  explicit HeldFolderLock(int folder) : folder_(folder) {}
  // Closing the folder's only descriptor gives the lock back.
  ~HeldFolderLock() override { ::close(folder_); }

 private:
  int folder_;
};

}  // namespace

std::unique_ptr<OperationLock> LockHostFolder(const std::string& hostFolder, std::chrono::milliseconds wait) {
  // Not inherited by a program started meanwhile, which would hold the lock
  // beyond this one's end.
  const int folder = ::open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return std::make_unique<OperationLock>();
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (::flock(folder, LOCK_EX | LOCK_NB) == 0) return std::make_unique<HeldFolderLock>(folder);
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) {
      ::close(folder);
      return std::make_unique<OperationLock>();
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) {
      ::close(folder);
      throw AppError(kErrPermissionDenied, kOperationUnderWay,
                     "flock \"" + hostFolder + "\": held elsewhere throughout the " +
                         std::to_string(wait.count()) + " ms waited");
    }
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(kPause, deadline - now));
  }
}

}  // namespace bt
