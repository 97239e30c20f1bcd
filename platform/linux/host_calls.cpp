#include "platform/linux/host_calls.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

namespace bt {
namespace {

int RealOpen(int folder, const char* name, int flags, mode_t mode) { return ::openat(folder, name, flags, mode); }
int RealRename(int fromFolder, const char* from, int toFolder, const char* to) {
  return ::renameat(fromFolder, from, toFolder, to);
}
int RealRenameNoReplace(int fromFolder, const char* from, int toFolder, const char* to) {
  return ::renameat2(fromFolder, from, toFolder, to, RENAME_NOREPLACE);
}
int RealClone(int in, int out) { return ::ioctl(out, FICLONE, in); }
ssize_t RealCopyFileRange(int in, int out, std::size_t size) {
  return ::copy_file_range(in, nullptr, out, nullptr, size, 0);
}

// Straight from the descriptor where the kernel lets this process (root, or
// a kernel that lets a file's opener name it): the way through /proc, which
// any user may take, walks a path for every file; it is taken once the
// kernel has said no.
std::atomic<bool> linkFromDescriptorRefused{false};
int RealLink(int fd, int toFolder, const char* to) {
  if (!linkFromDescriptorRefused.load(std::memory_order_relaxed)) {
    if (::linkat(fd, "", toFolder, to, AT_EMPTY_PATH) == 0) return 0;
    if (errno != ENOENT && errno != EPERM) return -1;
    linkFromDescriptorRefused.store(true, std::memory_order_relaxed);
  }
  return LinkThroughProc(fd, toFolder, to);
}
constexpr HostCopyCalls kRealCalls{RealOpen, ::read,     ::write,             RealClone, RealCopyFileRange,
                                   ::fsync,  RealRename, RealRenameNoReplace, ::close,   RealLink,
                                   ::syncfs};
HostCopyCalls hostCalls = kRealCalls;

}  // namespace

int LinkThroughProc(int fd, int toFolder, const char* to) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  return ::linkat(AT_FDCWD, self.c_str(), toFolder, to, AT_SYMLINK_FOLLOW);
}

HostCopyCalls& CopyCalls() { return hostCalls; }
const HostCopyCalls& RealCopyCalls() { return kRealCalls; }

}  // namespace bt
