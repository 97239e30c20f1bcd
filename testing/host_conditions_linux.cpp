#include "testing/host_conditions.h"

#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <system_error>
#include <vector>

namespace bt::doubles {
namespace {

constexpr uid_t kNobody = 65534;

}  // namespace

// Changing the file-system user id away from 0 also drops the capabilities
// that let root pass permission checks; changing it back restores them.
OrdinaryUser::OrdinaryUser() {
  if (::geteuid() != 0) return;
  ::setfsgid(kNobody);
  ::setfsuid(kNobody);
  switched_ = true;
}

OrdinaryUser::~OrdinaryUser() {
  if (!switched_) return;
  ::setfsuid(0);
  ::setfsgid(0);
}

// The limit's signal is ignored, so that the write fails with EFBIG instead
// of ending the process.
FileSizeLimit::FileSizeLimit(unsigned long long bytes) {
  savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  savedSoft_ = limit.rlim_cur;
  limit.rlim_cur = bytes;
  if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
    throw std::system_error(errno, std::generic_category(), "setrlimit RLIMIT_FSIZE");
  }
}

FileSizeLimit::~FileSizeLimit() {
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  limit.rlim_cur = savedSoft_;
  ::setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, savedHandler_);
}

void SetExtendedAttribute(const std::string& hostPath, const std::string& name, const std::string& value) {
  if (::setxattr(hostPath.c_str(), name.c_str(), value.data(), value.size(), 0) != 0) {
    throw std::system_error(errno, std::generic_category(), "setxattr " + hostPath);
  }
}

std::optional<std::string> ExtendedAttribute(const std::string& hostPath, const std::string& name) {
  std::vector<char> value(4096);
  const ssize_t length = ::getxattr(hostPath.c_str(), name.c_str(), value.data(), value.size());
  if (length < 0) return std::nullopt;
  return std::string(value.data(), static_cast<std::size_t>(length));
}

}  // namespace bt::doubles
