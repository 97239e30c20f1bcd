#include "platform/linux/working_folder.h"

#include <cstdlib>

#include "platform/linux/host_names.h"

namespace bt {
namespace {

std::optional<std::string> RealPath(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::nullopt;
  std::string text(resolved);
  std::free(resolved);
  return text;
}

// The part of path below root ("" for root itself); nullopt when root does
// not contain path.
std::optional<std::string> Below(const std::string& root, const std::string& path) {
  if (root == "/") return path.substr(1);
  if (path == root) return std::string();
  if (path.size() > root.size() && path.starts_with(root) && path[root.size()] == '/') {
    return path.substr(root.size() + 1);
  }
  return std::nullopt;
}

}  // namespace

std::optional<WindowsPath> WindowsPathOfHostFolder(const DriveTable& drives, const std::string& hostFolder) {
  const std::optional<std::string> folder = RealPath(hostFolder);
  if (!folder) return std::nullopt;
  std::optional<WindowsPath> best;
  std::size_t bestRootLength = 0;
  for (const DriveMapping& drive : drives) {
    const std::optional<std::string> root = RealPath(drive.hostRoot);
    if (!root) continue;
    const std::optional<std::string> rest = Below(*root, *folder);
    if (!rest || (best && root->size() <= bestRootLength)) continue;
    WindowsPath path;
    path.drive = drive.letter;
    std::size_t start = 0;
    while (start < rest->size()) {
      std::size_t end = rest->find('/', start);
      if (end == std::string::npos) end = rest->size();
      if (end > start) path.names.push_back(HostNameToWindows(rest->substr(start, end - start)));
      start = end + 1;
    }
    best = path;
    bestRootLength = root->size();
  }
  return best;
}

}  // namespace bt
