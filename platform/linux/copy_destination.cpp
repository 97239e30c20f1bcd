#include "platform/linux/copy_destination.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/error.h"
#include "platform/linux/host_errors.h"
#include "platform/linux/temporary_file.h"

namespace bt {
namespace {

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Whether a process other than this one writes to the file at hostPath
// (whose lstat is st), opened here for reading only to ask.
bool WrittenElsewhere(const EntryAt& at, const struct stat& st, OpenFilesMonitor& monitor,
                      OpenFilesMonitor::Freshness freshness) {
  FileDescriptor fd(::openat(at.folder, at.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat opened {};
  if (fd.get() >= 0 && ::fstat(fd.get(), &opened) == 0 && SameFile(opened, st)) {
    return monitor.WrittenElsewhere(fd.get(), opened, freshness);
  }
  return monitor.WrittenElsewhere(-1, st, freshness);
}

}  // namespace

Destination Examine(const std::string& requested, bool followLink, const OpenFolder* folder) {
  Destination destination;
  destination.path = requested;
  const EntryAt at = EntryIn(folder, requested);
  if (::fstatat(at.folder, at.name.c_str(), &destination.st, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno != ENOENT) throw HostError(errno, "examine", requested);
    return destination;
  }
  destination.exists = true;
  if (!S_ISLNK(destination.st.st_mode)) return destination;
  if (!followLink) {
    destination.isLink = true;
    return destination;
  }
  if (::fstatat(at.folder, at.name.c_str(), &destination.st, 0) != 0) {
    if (errno != ENOENT && errno != ELOOP) throw HostError(errno, "examine", requested);
    destination.isLink = true;
  } else if (S_ISREG(destination.st.st_mode)) {
    if (char* resolved = ::realpath(requested.c_str(), nullptr)) {
      destination.path = resolved;
      ::free(resolved);
    }
  }
  return destination;
}

mode_t CreationBits(const Destination& destination, const struct stat& sourceStat) {
  return (destination.ReplacesAFile() ? destination.st.st_mode : sourceStat.st_mode) & 0777;
}

void CheckReplaceable(const Destination& destination, const struct stat& sourceStat, const std::string& source,
                      const OpenFolder* folder, OpenFilesMonitor& monitor, OpenFilesMonitor::Freshness freshness) {
  if (!destination.ReplacesAFile()) return;
  const struct stat& st = destination.st;
  const std::string& path = destination.path;
  if (S_ISDIR(st.st_mode)) {
    throw HostErrorNumbered(kErrPathFileAccess, EISDIR, "replace", path).WithDetail("o destino é uma pasta");
  }
  if (SameFile(sourceStat, st)) {
    throw AppError(kErrPermissionDenied, "a origem e o destino são o mesmo arquivo",
                   "copy \"" + source + "\" onto \"" + path + "\": they are the same file");
  }
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    throw AppError(kErrPermissionDenied, "o arquivo de destino é somente leitura",
                   "replace \"" + path + "\": the file is read-only");
  }
  if (!S_ISREG(st.st_mode)) {
    throw AppError(kErrPathFileAccess, "o destino não é um arquivo comum",
                   "replace \"" + path + "\": not a plain file");
  }
  // The program holding it would go on writing into the replaced file.
  if (WrittenElsewhere(EntryIn(folder, path), st, monitor, freshness)) {
    throw AppError(kErrPermissionDenied, "outro programa está com o arquivo de destino aberto para gravação",
                   "replace \"" + path + "\": another program has it open for writing");
  }
}

void RefuseSourceBeingWritten(int in, const struct stat& sourceStat, const std::string& source,
                              OpenFilesMonitor& monitor, OpenFilesMonitor::Freshness freshness) {
  if (monitor.WrittenElsewhere(in, sourceStat, freshness)) {
    throw AppError(kErrPermissionDenied, "outro programa está com o arquivo de origem aberto para gravação",
                   "copy \"" + source + "\": another program is writing to it");
  }
}

}  // namespace bt
