#include "platform/posix/letter_case_folders.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace bt {
namespace {

constexpr long kExt4 = 0xEF53;
constexpr long kXfs = 0x58465342;
constexpr long kBtrfs = 0x9123683E;
constexpr long kTmpfs = 0x01021994;
constexpr long kF2fs = 0xF2F52010;

}  // namespace

bool FolderKeepsLetterCase(const std::string& hostFolder) {
  struct statfs fs {};
  if (::statfs(hostFolder.c_str(), &fs) != 0) return false;
  const long type = static_cast<long>(fs.f_type);
  if (type == kXfs || type == kBtrfs) return true;
  if (type != kExt4 && type != kTmpfs && type != kF2fs) return false;
  // These may fold case folder by folder.
  const int fd = ::open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  int flags = 0;
  const int asked = ::ioctl(fd, FS_IOC_GETFLAGS, &flags);
  ::close(fd);
  // A file system that keeps no such flags folds nothing.
  if (asked != 0) return type == kTmpfs;
  return (flags & FS_CASEFOLD_FL) == 0;
}

}  // namespace bt
