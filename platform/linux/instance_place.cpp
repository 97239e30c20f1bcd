#include "platform/linux/instance_place.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace bt {
namespace {

// The prefix as it is on the disk; its text alone while it does not exist.
std::string RealPrefix(const std::string& prefix) {
  if (char* real = ::realpath(prefix.c_str(), nullptr)) {
    std::string text = real;
    std::free(real);
    return text;
  }
  std::string text = prefix;
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

// FNV-1a: a short, fixed name for a path of any length.
std::string HashText(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016" PRIx64, hash);
  return digits;
}

// Made when missing; a folder that is a link, is another user's, or that
// others may enter is refused (another user could otherwise take the
// place of the first program, or listen in its stead).
bool PrivateFolder(const std::string& folder) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st {};
  return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
         (st.st_mode & 077) == 0;
}

}  // namespace

std::optional<InstancePlace> InstancePlaceFor(const std::string& winePrefix,
                                              const std::function<const char*(const char*)>& environment) {
  const std::string uid = std::to_string(::geteuid());
  std::vector<std::string> folders;
  const char* runtime = environment("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') folders.push_back(std::string(runtime) + "/BackupTarvel");
  const char* temporary = environment("TMPDIR");
  if (temporary != nullptr && temporary[0] == '/') folders.push_back(std::string(temporary) + "/BackupTarvel-" + uid);
  folders.push_back("/tmp/BackupTarvel-" + uid);

  const std::string name = "/window-" + uid + "-" + HashText(RealPrefix(winePrefix));
  for (const std::string& folder : folders) {
    const std::string socket = folder + name + ".socket";
    if (socket.size() >= sizeof(sockaddr_un{}.sun_path) || !PrivateFolder(folder)) continue;
    return InstancePlace{folder + name + ".lock", socket};
  }
  return std::nullopt;
}

InstanceLock::~InstanceLock() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

InstanceLock::State InstanceLock::TryTake() {
  if (taken_) return State::kTaken;
  if (descriptor_ < 0) {
    // Not inherited: a program started by this one must not hold the place.
    descriptor_ = ::open(lockFile_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor_ < 0) return State::kUnavailable;
  }
  while (::flock(descriptor_, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    return errno == EWOULDBLOCK ? State::kHeldElsewhere : State::kUnavailable;
  }
  taken_ = true;
  return State::kTaken;
}

}  // namespace bt
