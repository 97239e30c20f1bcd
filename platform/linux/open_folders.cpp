#include "platform/linux/open_folders.h"

#include <limits.h>
#include <unistd.h>

namespace bt {
namespace {

// Open folders kept at most: a tree copy needs the few on its way down.
constexpr std::size_t kMaxOpen = 64;

// The parent of an absolute host path, and the last name; false for "/"
// and for a path that is not absolute.
bool SplitLast(const std::string& hostPath, std::string* parent, std::string* name) {
  const auto slash = hostPath.rfind('/');
  if (slash == std::string::npos || slash + 1 >= hostPath.size() || hostPath[0] != '/') return false;
  *parent = slash == 0 ? "/" : hostPath.substr(0, slash);
  *name = hostPath.substr(slash + 1);
  return true;
}

bool Below(const std::string& path, const std::string& folder) {
  return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
         (path[folder.size()] == '/' || folder == "/");
}

}  // namespace

OpenFolder::~OpenFolder() { ::close(fd_); }

EntryAt EntryIn(const OpenFolder* folder, const std::string& hostPath) {
  if (folder != nullptr) {
    const std::string& held = folder->path();
    const std::size_t start = held == "/" ? 1 : held.size() + 1;
    if (hostPath.size() > start && Below(hostPath, held) && hostPath.find('/', start) == std::string::npos) {
      return EntryAt{folder->fd(), hostPath.substr(start)};
    }
  }
  return EntryAt{AT_FDCWD, hostPath};
}

OpenFolderRef OpenFolders::Open(const std::string& hostFolder) {
  if (hostFolder.empty() || hostFolder.size() + 1 + NAME_MAX >= PATH_MAX) return nullptr;
  const auto known = open_.find(hostFolder);
  if (known != open_.end()) return known->second;

  constexpr int kFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
  int fd = -1;
  std::string parent;
  std::string name;
  const auto parentOpen = SplitLast(hostFolder, &parent, &name) ? open_.find(parent) : open_.end();
  if (parentOpen != open_.end()) {
    fd = ::openat(parentOpen->second->fd(), name.c_str(), kFlags);
  } else {
    fd = ::open(hostFolder.c_str(), kFlags);
  }
  if (fd < 0) return nullptr;
  if (open_.size() >= kMaxOpen) open_.clear();
  auto folder = std::make_shared<const OpenFolder>(hostFolder, fd);
  open_.emplace(hostFolder, folder);
  return folder;
}

void OpenFolders::Forget(const std::string& hostFolder) {
  std::erase_if(open_, [&](const auto& entry) { return entry.first == hostFolder || Below(entry.first, hostFolder); });
}

}  // namespace bt
