#include "platform/linux/copy_metadata.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/linux/host_errors.h"

namespace bt {
namespace {

void CopyDosAttrib(int in, int out, const DosAttribValue& known, const std::string& destination) {
  using State = DosAttribValue::State;
  if (known.state == State::kAbsent) return;
  std::vector<char> value(known.bytes.begin(), known.bytes.end());
  ssize_t length = static_cast<ssize_t>(value.size());
  if (known.state == State::kUnknown) {
    value.resize(256);
    length = ::fgetxattr(in, kDosAttribXattr, value.data(), value.size());
  }
  if (length < 0 && errno == ERANGE) {
    length = ::fgetxattr(in, kDosAttribXattr, nullptr, 0);
    if (length > 0) {
      value.resize(static_cast<std::size_t>(length));
      length = ::fgetxattr(in, kDosAttribXattr, value.data(), value.size());
    }
  }
  if (length < 0) return;  // absent, or not supported where the source lives
  if (::fsetxattr(out, kDosAttribXattr, value.data(), static_cast<std::size_t>(length), 0) != 0 &&
      errno != ENOTSUP && errno != EOPNOTSUPP) {
    throw HostError(errno, "keep the attributes of", destination);
  }
}

// The process's umask, read without changing it; -1 where the host does not
// tell (then every copy sets its permissions explicitly).
int ProcessUmask() {
  static const int mask = [] {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
      if (key == "Umask:") {
        std::string octal;
        status >> octal;
        return static_cast<int>(std::strtol(octal.c_str(), nullptr, 8));
      }
      std::getline(status, key);
    }
    return -1;
  }();
  return mask;
}

}  // namespace

void AdoptReplacedOwnership(const TemporaryFile& out, mode_t createdBits, const struct stat& replaced) {
  if ((replaced.st_uid != ::geteuid() || replaced.st_gid != ::getegid()) &&
      ::fchown(out.fd(), replaced.st_uid, replaced.st_gid) != 0 && errno != EPERM) {
    throw HostError(errno, "give the owner of the replaced file to", out.path());
  }
  const mode_t bits = replaced.st_mode & 0777;
  const int mask = ProcessUmask();
  const bool exact = mask >= 0 && (createdBits & ~static_cast<mode_t>(mask)) == bits;
  if (!exact && ::fchmod(out.fd(), bits) != 0) throw HostError(errno, "set the permissions of", out.path());
}

void KeepMetadata(int in, const struct stat& sourceStat, const DosAttribValue& dosAttrib, const TemporaryFile& out) {
  CopyDosAttrib(in, out.fd(), dosAttrib, out.path());
  // Last, since writing moves the modification time.
  const timespec times[2] = {{0, UTIME_OMIT}, sourceStat.st_mtim};
  if (::futimens(out.fd(), times) != 0) throw HostError(errno, "set the time of", out.path());
}

}  // namespace bt
