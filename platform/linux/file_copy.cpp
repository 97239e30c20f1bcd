// Sections: the host calls; moving the bytes (clone, copy_file_range,
// read/write); keeping the metadata; what stands at the destination and
// whether it may be replaced; CopyHostFile itself.
#include "platform/linux/file_copy.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "platform/error.h"
#include "platform/linux/dos_attributes.h"
#include "platform/linux/host_errors.h"
#include "platform/linux/host_path_resolver.h"

namespace bt {
namespace {


std::string FolderOf(const std::string& hostPath) {
  const auto slash = hostPath.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : hostPath.substr(0, slash);
}

// --- Moving the bytes -------------------------------------------------------

bool IsUnsupported(int error) {
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == ENOTTY ||
         error == EBADF;
}

// Which of the two files an error of a call that reads one and writes the
// other concerns: a full disk or a read-only file system is the
// destination's, anything else the source's as far as can be told.
[[noreturn]] void ThrowTransferError(int error, const std::string& source, const std::string& destination) {
  if (error == ENOSPC || error == EDQUOT || error == EROFS || error == EFBIG) {
    throw HostError(error, "write", destination);
  }
  throw HostErrorNumbered(ErrorNumberOf(error), error, "copy \"" + source + "\" to", destination);
}

bool TryClone(int in, int out) { return CopyCalls().clone(in, out) == 0; }

// Copies with copy_file_range up to size bytes; false when the file systems
// cannot serve the call and nothing has been copied.
bool TryCopyRange(int in, int out, off_t size, const std::string& source, const std::string& destination) {
  constexpr off_t kChunk = off_t{1} << 30;
  off_t copied = 0;
  // Up to the size the source had; the read that follows finds its real end.
  while (copied < size) {
    const ssize_t n = CopyCalls().copyFileRange(in, out, static_cast<std::size_t>(std::min(size - copied, kChunk)));
    if (n > 0) {
      copied += n;
      continue;
    }
    if (n == 0) return true;
    if (errno == EINTR) continue;
    // The file offsets moved with what was copied; read/write goes on from there.
    if (IsUnsupported(errno)) return copied > 0;
    ThrowTransferError(errno, source, destination);
  }
  return true;
}

// Reads to the end of the source from its current offset.
void CopyByReadWrite(int in, int out, const std::string& source, const std::string& destination) {
  thread_local std::vector<char> buffer(std::size_t{256} << 10);
  for (;;) {
    const ssize_t got = CopyCalls().read(in, buffer.data(), buffer.size());
    if (got == 0) return;
    if (got < 0) {
      if (errno == EINTR) continue;
      throw HostError(errno, "read", source);
    }
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = CopyCalls().write(out, buffer.data() + done, static_cast<std::size_t>(got - done));
      if (put < 0) {
        if (errno == EINTR) continue;
        throw HostError(errno, "write", destination);
      }
      done += put;
    }
  }
}

void CopyContent(int in, const struct stat& sourceStat, const TemporaryFile& out, dev_t destinationDevice,
                 const std::string& source, CopyMethods& methods) {
  const std::pair<dev_t, dev_t> devices{sourceStat.st_dev, destinationDevice};
  const auto learnt = [&](std::set<std::pair<dev_t, dev_t>>& cannot) {
    const std::lock_guard lock(methods.mutex);
    return cannot.contains(devices);
  };
  const auto learn = [&](std::set<std::pair<dev_t, dev_t>>& cannot) {
    const std::lock_guard lock(methods.mutex);
    cannot.insert(devices);
  };
  if (!learnt(methods.noClone)) {
    if (TryClone(in, out.fd())) return;
    learn(methods.noClone);
  }
  // A file whose size reads as 0 may still have content (the kernel's own
  // files); copy_file_range would copy nothing from it.
  if (sourceStat.st_size > 0 && !learnt(methods.noCopyRange)) {
    if (!TryCopyRange(in, out.fd(), sourceStat.st_size, source, out.path())) learn(methods.noCopyRange);
  }
  // Also after copy_file_range: one more read confirms the end.
  CopyByReadWrite(in, out.fd(), source, out.path());
}

// --- Keeping the source's metadata -----------------------------------------

// --- Keeping the metadata --------------------------------------------------

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

// What stands at the destination before the copy takes its name.
struct Destination {
  std::string path;     // where the copy goes: the target of a followed link
  bool exists = false;
  bool isLink = false;  // a link that is replaced itself
  struct stat st {};    // the file replaced, when it is one

  bool ReplacesAFile() const { return exists && !isLink; }
};

// The permission bits the copy is created with: those of the file it
// replaces, else the source's (the umask then takes its share, as for cp).
mode_t CreationBits(const Destination& destination, const struct stat& sourceStat) {
  return (destination.ReplacesAFile() ? destination.st.st_mode : sourceStat.st_mode) & 0777;
}

// A file that replaces another takes its place wholly: the owner and the
// permission bits of the one replaced, not of a backup on a stick mounted
// with 0777 for everything. Changing the owner needs privileges the
// process may lack; the file is then the process's own, as cp leaves it.
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

// --- What stands at the destination ----------------------------------------

Destination Examine(const std::string& requested, bool followLink) {
  Destination destination;
  destination.path = requested;
  if (::lstat(requested.c_str(), &destination.st) != 0) {
    if (errno != ENOENT) throw HostError(errno, "examine", requested);
    return destination;
  }
  destination.exists = true;
  if (!S_ISLNK(destination.st.st_mode)) return destination;
  if (!followLink) {
    destination.isLink = true;
    return destination;
  }
  // A link to a file: the file it leads to is replaced and the link kept,
  // as a program writing through the link would do. One leading nowhere is
  // itself replaced.
  if (::stat(requested.c_str(), &destination.st) != 0) {
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

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Whether a process other than this one writes to the file at hostPath
// (whose lstat is st), opened here for reading only to ask.
bool WrittenElsewhere(const std::string& hostPath, const struct stat& st, OpenFilesMonitor& monitor,
                      OpenFilesMonitor::Freshness freshness) {
  FileDescriptor fd(::open(hostPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat opened {};
  if (fd.get() >= 0 && ::fstat(fd.get(), &opened) == 0 && SameFile(opened, st)) {
    return monitor.WrittenElsewhere(fd.get(), opened, freshness);
  }
  return monitor.WrittenElsewhere(-1, st, freshness);
}

// Refuses to replace what must not be: a folder, the source itself, a
// read-only file, a file another program has open for writing.
void CheckReplaceable(const Destination& destination, const struct stat& sourceStat, const std::string& source,
                      OpenFilesMonitor& monitor, OpenFilesMonitor::Freshness freshness) {
  if (!destination.ReplacesAFile()) return;
  const struct stat& st = destination.st;
  const std::string& path = destination.path;
  if (S_ISDIR(st.st_mode)) {
    throw HostErrorNumbered(kErrPathFileAccess, EISDIR, "replace", path).WithDetail("o destino é uma pasta");
  }
  // Compared on the opened source, so that a file swapped in since the
  // path was looked at cannot slip through.
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
  if (WrittenElsewhere(path, st, monitor, freshness)) {
    throw AppError(kErrPermissionDenied, "outro programa está com o arquivo de destino aberto para gravação",
                   "replace \"" + path + "\": another program has it open for writing");
  }
}

// A copy of a file in the middle of being written is no copy at all.
void RefuseSourceBeingWritten(int in, const struct stat& sourceStat, const std::string& source,
                              OpenFilesMonitor& monitor, OpenFilesMonitor::Freshness freshness) {
  if (monitor.WrittenElsewhere(in, sourceStat, freshness)) {
    throw AppError(kErrPermissionDenied, "outro programa está com o arquivo de origem aberto para gravação",
                   "copy \"" + source + "\": another program is writing to it");
  }
}

void FlushFolder(const std::string& folder) {
  // The file is complete under its final name by now; a folder that cannot
  // be flushed (some file systems refuse) leaves nothing to undo.
  FileDescriptor dir(CopyCalls().open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
  if (dir.get() >= 0) CopyCalls().fsync(dir.get());
}

}  // namespace


// --- CopyHostFile -----------------------------------------------------------

CopiedFile CopyHostFile(const CopyRequest& request, CopyMethods& methods) {
  const std::string& source = request.source;
  const std::string& requestedDestination = request.destination;
  const bool durableReplace = request.durableReplace;
  const bool followLink = request.followLink;
  using Freshness = OpenFilesMonitor::Freshness;
  // The database and the options file are looked at afresh; for the many
  // photos of a tree a look a moment old serves where leases do not.
  const Freshness freshness = durableReplace ? Freshness::kNow : Freshness::kRecent;

  // O_NONBLOCK: opening a FIFO must not hang the copy (a regular file's
  // reads ignore the flag).
  FileDescriptor in(CopyCalls().open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0));
  if (in.get() < 0) throw HostError(errno, "open", source);
  struct stat sourceStat {};
  if (::fstat(in.get(), &sourceStat) != 0) throw HostError(errno, "examine", source);
  if (S_ISDIR(sourceStat.st_mode)) throw HostErrorNumbered(kErrPermissionDenied, EISDIR, "open", source);
  if (!S_ISREG(sourceStat.st_mode)) {
    throw AppError(kErrPathFileAccess, "a origem não é um arquivo comum", "copy \"" + source + "\": not a plain file");
  }
  RefuseSourceBeingWritten(in.get(), sourceStat, source, methods.openFiles, freshness);

  Destination destination;
  destination.path = requestedDestination;
  if (!request.destinationFree) destination = Examine(requestedDestination, followLink);
  CheckReplaceable(destination, sourceStat, source, methods.openFiles, freshness);

  const std::string folder = FolderOf(destination.path);
  bool firstInFolder = false;
  {
    const std::lock_guard lock(methods.mutex);
    firstInFolder = methods.sweptFolders.insert(folder).second;
  }
  if (firstInFolder) RemoveStaleTemporaryFiles(folder, methods.staleTemporaryAge);
  const mode_t createdBits = CreationBits(destination, sourceStat);
  TemporaryFile out(folder, !destination.exists, createdBits);
  struct stat outStat {};
  if (::fstat(out.fd(), &outStat) != 0) throw HostError(errno, "examine", out.path());
  CopyContent(in.get(), sourceStat, out, outStat.st_dev, source, methods);
  KeepMetadata(in.get(), sourceStat, request.sourceDosAttrib, out);

  // Makes the copy ready to stand in for the file it replaces.
  const auto prepareReplacement = [&](const Destination& replaced) {
    if (!replaced.ReplacesAFile()) return;
    AdoptReplacedOwnership(out, createdBits, replaced.st);
    if (durableReplace && CopyCalls().fsync(out.fd()) != 0) throw HostError(errno, "write", out.path());
  };
  prepareReplacement(destination);

  // Just before the copy takes the name, afresh: a program that began to
  // write meanwhile would make the copy inconsistent or lose its writes
  // into the replaced file.
  RefuseSourceBeingWritten(in.get(), sourceStat, source, methods.openFiles, freshness);
  CheckReplaceable(destination, sourceStat, source, methods.openFiles, freshness);

  if (!destination.exists && !out.TakeNewName(destination.path)) {
    // Something took the name since it was looked at: it is replaced like
    // anything found there at first, after the same checks.
    destination = Examine(requestedDestination, followLink);
    if (FolderOf(destination.path) != folder) {
      throw AppError(kErrPathFileAccess, "o destino mudou durante a cópia",
                     "replace \"" + requestedDestination + "\": it became a link elsewhere while copying");
    }
    CheckReplaceable(destination, sourceStat, source, methods.openFiles, freshness);
    prepareReplacement(destination);
    out.ReplaceAt(destination.path);
  } else if (destination.exists) {
    out.ReplaceAt(destination.path);
  }
  if (destination.ReplacesAFile() && durableReplace) FlushFolder(folder);
  return CopiedFile{destination.exists, outStat.st_dev, folder};
}

}  // namespace bt
