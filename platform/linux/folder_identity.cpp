#include "platform/linux/folder_identity.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bt {
namespace {

// hostPath without its last name; "/" stays "/".
std::string ParentText(const std::string& hostPath) {
  std::string parent = hostPath;
  while (parent.size() > 1 && parent.back() == '/') parent.pop_back();
  const auto slash = parent.rfind('/');
  if (slash == std::string::npos) return "/";
  parent.resize(slash == 0 ? 1 : slash);
  return parent;
}

// The nearest existing folder on the way to hostPath, opened as a place
// only (O_PATH), which needs no permission to read it; -1 when even the root
// cannot be opened.
int OpenNearestFolder(std::string hostPath) {
  for (;;) {
    const int fd = ::open(hostPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 || hostPath == "/") return fd;
    hostPath = ParentText(hostPath);
  }
}

}  // namespace

bool HostFolderLiesWithin(const std::string& hostPath, const std::string& hostFolder) {
  struct stat outer {};
  if (::stat(hostFolder.c_str(), &outer) != 0 || !S_ISDIR(outer.st_mode)) return false;

  int fd = OpenNearestFolder(hostPath);
  bool within = false;
  // Up through "..", which leads to the real parent whatever way the path
  // came down, until the root, whose parent is itself.
  for (int steps = 0; fd >= 0 && steps < 4096; ++steps) {
    struct stat here {};
    if (::fstat(fd, &here) != 0) break;
    if (here.st_dev == outer.st_dev && here.st_ino == outer.st_ino) {
      within = true;
      break;
    }
    const int parent = ::openat(fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
    struct stat up {};
    const bool atRoot = parent < 0 || ::fstat(parent, &up) != 0 ||
                        (up.st_dev == here.st_dev && up.st_ino == here.st_ino);
    ::close(fd);
    fd = parent;
    if (atRoot) break;
  }
  if (fd >= 0) ::close(fd);
  return within;
}

}  // namespace bt
