#include "platform/linux/host_errors.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace bt {

int ErrorNumberOf(int hostErrno, int notFoundNumber) {
  switch (hostErrno) {
    case ENOENT: return notFoundNumber;
    case ENOTDIR: return kErrPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case ETXTBSY: return kErrPermissionDenied;
    case ENOSPC:
    case EDQUOT: return kErrDiskFull;
    case EEXIST: return kErrFileExists;
    case EIO: return kErrDeviceIo;
    case ENOMEDIUM:
    case ENXIO:
    case ENODEV: return kErrDiskNotReady;
    case ENOMEM: return kErrOutOfMemory;
    default: return kErrPathFileAccess;
  }
}

bool ParentFolderExists(const std::string& hostPath) {
  std::string parent = hostPath;
  while (parent.size() > 1 && parent.back() == '/') parent.pop_back();
  const auto slash = parent.rfind('/');
  if (slash == std::string::npos) return false;
  parent.resize(slash == 0 ? 1 : slash);
  struct stat st {};
  return stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

AppError HostErrorNumbered(int number, int hostErrno, std::string_view action,
                           const std::string& hostPath) {
  std::string detail(action);
  detail += " \"" + hostPath + "\": ";
  detail += std::strerror(hostErrno);
  return AppError(number, {}, detail);
}

AppError HostError(int hostErrno, std::string_view action, const std::string& hostPath) {
  const int notFound =
      hostErrno == ENOENT && !ParentFolderExists(hostPath) ? kErrPathNotFound : kErrFileNotFound;
  return HostErrorNumbered(ErrorNumberOf(hostErrno, notFound), hostErrno, action, hostPath);
}

}  // namespace bt
