#include "platform/posix/open_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace bt {
namespace {

bool IsNumber(const char* name) {
  if (*name == '\0') return false;
  for (; *name; ++name) {
    if (*name < '0' || *name > '9') return false;
  }
  return true;
}

// The open flags of one descriptor, from the "flags:" line of its fdinfo.
bool OpenForWriting(const std::string& fdinfoPath) {
  std::ifstream in(fdinfoPath);
  std::string key;
  while (in >> key) {
    if (key == "flags:") {
      std::string octal;
      in >> octal;
      const long flags = std::strtol(octal.c_str(), nullptr, 8);
      return (flags & O_ACCMODE) == O_WRONLY || (flags & O_ACCMODE) == O_RDWR;
    }
    std::getline(in, key);
  }
  return false;
}

}  // namespace

bool OpenFilesMonitor::OpenForWritingElsewhere(dev_t device, ino_t inode) {
  const auto now = std::chrono::steady_clock::now();
  if (!haveSnapshot_ || now - taken_ > maxAge_) {
    Refresh();
    taken_ = now;
    haveSnapshot_ = true;
  }
  return writers_.count({device, inode}) != 0;
}

void OpenFilesMonitor::Refresh() {
  writers_.clear();
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return;
  const std::string self = std::to_string(getpid());
  while (dirent* process = readdir(proc)) {
    if (!IsNumber(process->d_name) || self == process->d_name) continue;
    const std::string base = std::string("/proc/") + process->d_name;
    DIR* fds = opendir((base + "/fd").c_str());
    if (fds == nullptr) continue;  // gone, or not ours to inspect
    while (dirent* fd = readdir(fds)) {
      if (!IsNumber(fd->d_name)) continue;
      struct stat target {};
      if (stat((base + "/fd/" + fd->d_name).c_str(), &target) != 0) continue;
      if (!S_ISREG(target.st_mode)) continue;
      if (OpenForWriting(base + "/fdinfo/" + fd->d_name)) {
        writers_.insert({target.st_dev, target.st_ino});
      }
    }
    closedir(fds);
  }
  closedir(proc);
}

}  // namespace bt
