#include "platform/linux/open_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace bt {
namespace {

int RealSetLease(int fd, int lease) { return ::fcntl(fd, F_SETLEASE, lease); }
int RealFileSystemType(int fd, long* type) {
  struct statfs fs {};
  if (::fstatfs(fd, &fs) != 0) return -1;
  *type = static_cast<long>(fs.f_type);
  return 0;
}
constexpr HostLeaseCalls kRealLeaseCalls{RealSetLease, RealFileSystemType};
HostLeaseCalls leaseCalls = kRealLeaseCalls;

// statfs's f_type of the file systems whose files another machine may hold,
// or that a program rather than the kernel serves.
constexpr std::uint32_t kNfs = 0x6969;
constexpr std::uint32_t kSmb = 0x517B;
constexpr std::uint32_t kCifs = 0xFF534D42;
constexpr std::uint32_t kSmb2 = 0xFE534D42;
constexpr std::uint32_t k9p = 0x01021997;
constexpr std::uint32_t kCeph = 0x00C36400;
constexpr std::uint32_t kFuse = 0x65735546;
constexpr std::uint32_t kAfs = 0x5346414F;
constexpr std::uint32_t kKernelAfs = 0x6B414653;
constexpr std::uint32_t kCoda = 0x73757245;
constexpr std::uint32_t kNcp = 0x564C;
constexpr std::uint32_t kGfs2 = 0x01161970;
constexpr std::uint32_t kOcfs2 = 0x7461636F;
constexpr std::uint32_t kLustre = 0x0BD00BD0;
constexpr std::uint32_t kGpfs = 0x47504653;
constexpr std::uint32_t kOrangeFs = 0x20030528;
constexpr std::uint32_t kVirtualBoxShared = 0x786F4256;

// Whether a refused read lease on a file system of this type may mean
// "none offered here" rather than "someone writes". A 32-bit magic number,
// which a signed f_type may hold sign-extended.
bool LeaseRefusalMayMeanNotOffered(long fileSystemType) {
  switch (static_cast<std::uint32_t>(fileSystemType)) {
    case kNfs: case kSmb: case kCifs: case kSmb2: case k9p: case kCeph: case kFuse: case kAfs:
    case kKernelAfs: case kCoda: case kNcp: case kGfs2: case kOcfs2: case kLustre: case kGpfs:
    case kOrangeFs: case kVirtualBoxShared:
      return true;
    default:
      return false;
  }
}

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

// The files a process maps shared and writable, from its maps: lines
// "start-end perms offset major:minor inode path", perms "rw-s" or "-w-s".
void AddWritableSharedMappings(const std::string& mapsPath, std::set<std::pair<dev_t, ino_t>>& writers) {
  std::ifstream in(mapsPath);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string range, perms, offset, device;
    unsigned long long inode = 0;
    if (!(fields >> range >> perms >> offset >> device >> inode) || inode == 0) continue;
    if (perms.size() < 4 || perms[1] != 'w' || perms[3] != 's') continue;
    const auto colon = device.find(':');
    if (colon == std::string::npos) continue;
    const unsigned major = static_cast<unsigned>(std::strtoul(device.substr(0, colon).c_str(), nullptr, 16));
    const unsigned minor = static_cast<unsigned>(std::strtoul(device.substr(colon + 1).c_str(), nullptr, 16));
    writers.insert({makedev(major, minor), static_cast<ino_t>(inode)});
  }
}

// Should a writer open the file in the moment a lease is held, the kernel
// tells the holder by SIGIO, whose default action ends the process: it is
// ignored from the first probe on, unless the program handles it already.
void IgnoreLeaseBreaks() {
  static const bool done = [] {
    struct sigaction current {};
    if (::sigaction(SIGIO, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
      struct sigaction ignore {};
      ignore.sa_handler = SIG_IGN;
      ::sigaction(SIGIO, &ignore, nullptr);
    }
    return true;
  }();
  (void)done;
}

}  // namespace

HostLeaseCalls& LeaseCalls() { return leaseCalls; }
const HostLeaseCalls& RealLeaseCalls() { return kRealLeaseCalls; }

OpenFilesMonitor::OpenFilesMonitor(Probe probe, std::chrono::milliseconds recent) : probe_(probe), recent_(recent) {
  if (probe_ == Probe::kLeaseFirst) IgnoreLeaseBreaks();
}

OpenFilesMonitor::LeaseSays OpenFilesMonitor::LeaseAnswer(int fd) {
  if (leaseCalls.setLease(fd, F_RDLCK) == 0) {
    leaseCalls.setLease(fd, F_UNLCK);
    return LeaseSays::kNobodyWrites;
  }
  // Any refusal but EAGAIN (not the owner, no leases on this file system)
  // says nothing. EAGAIN is a writer (or a writable shared mapping) where
  // the kernel keeps the leases itself, and may be nothing elsewhere.
  if (errno != EAGAIN) return LeaseSays::kCannotTell;
  long type = 0;
  if (leaseCalls.fileSystemType(fd, &type) != 0 || LeaseRefusalMayMeanNotOffered(type)) {
    return LeaseSays::kCannotTell;
  }
  return LeaseSays::kSomeoneWrites;
}

bool OpenFilesMonitor::WrittenElsewhere(int fd, const struct stat& st, Freshness freshness) {
  if (probe_ == Probe::kLeaseFirst && fd >= 0) {
    const LeaseSays answer = LeaseAnswer(fd);
    if (answer != LeaseSays::kCannotTell) return answer == LeaseSays::kSomeoneWrites;
  }
  return Scanned(st.st_dev, st.st_ino, freshness);
}

bool OpenFilesMonitor::Scanned(dev_t device, ino_t inode, Freshness freshness) {
  const std::lock_guard lock(mutex_);
  const auto now = std::chrono::steady_clock::now();
  if (!haveSnapshot_ || freshness == Freshness::kNow || now - taken_ > recent_) {
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
    AddWritableSharedMappings(base + "/maps", writers_);
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
