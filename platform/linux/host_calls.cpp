#include "platform/linux/host_calls.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

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

// Through /proc, which any user may do; AT_EMPTY_PATH as a fallback needs
// the capability to read any file's name.
int RealLink(int fd, int toFolder, const char* to) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), toFolder, to, AT_SYMLINK_FOLLOW) == 0) return 0;
  if (errno != ENOENT) return -1;
  return ::linkat(fd, "", toFolder, to, AT_EMPTY_PATH);
}
constexpr HostCopyCalls kRealCalls{RealOpen, ::read,     ::write,             RealClone, RealCopyFileRange,
                                   ::fsync,  RealRename, RealRenameNoReplace, ::close,   RealLink,
                                   ::syncfs};
HostCopyCalls hostCalls = kRealCalls;

}  // namespace

HostCopyCalls& CopyCalls() { return hostCalls; }
const HostCopyCalls& RealCopyCalls() { return kRealCalls; }

}  // namespace bt
