// Sections: the host calls; the temporary file and its stale leftovers;
// moving the bytes (clone, copy_file_range, read/write); keeping the
// source's metadata; CopyHostFile itself.
#include "platform/posix/file_copy.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

#include "platform/error.h"
#include "platform/posix/dos_attributes.h"
#include "platform/posix/host_errors.h"
#include "platform/posix/host_path_resolver.h"
#include "platform/temporary_names.h"

namespace bt {
namespace {

// --- The host calls ---------------------------------------------------------

int RealOpen(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
int RealClone(int in, int out) { return ::ioctl(out, FICLONE, in); }
ssize_t RealCopyFileRange(int in, int out, std::size_t size) {
  return ::copy_file_range(in, nullptr, out, nullptr, size, 0);
}

// Through /proc, which any user may do; AT_EMPTY_PATH as a fallback needs
// the capability to read any file's name.
int RealLink(int fd, const char* to) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to, AT_SYMLINK_FOLLOW) == 0) return 0;
  if (errno != ENOENT) return -1;
  return ::linkat(fd, "", AT_FDCWD, to, AT_EMPTY_PATH);
}
constexpr HostCopyCalls kRealCalls{RealOpen, ::read,   ::write, RealClone, RealCopyFileRange,
                                   ::fsync,  ::rename, ::close, RealLink};
HostCopyCalls hostCalls = kRealCalls;

// --- The temporary file and its stale leftovers ----------------------------

std::string FolderOf(const std::string& hostPath) {
  const auto slash = hostPath.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : hostPath.substr(0, slash);
}

std::uint64_t RandomNumber() {
  thread_local std::mt19937_64 generator{[] {
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) ^ device();
  }()};
  return generator();
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) hostCalls.close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  // Closes now, reporting the failure a write-back may only show here.
  int Close() {
    const int result = hostCalls.close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

// The file being written, with no name yet where the host allows it
// (O_TMPFILE: it vanishes by itself if the copy fails or the process dies),
// else under a hidden temporary name, removed unless renamed into place.
class TemporaryFile {
 public:
  // unnamed: the destination does not exist, so the file can be given its
  // final name by a link instead of a rename.
  // mode: the permission bits the file is created with (less the umask).
  TemporaryFile(const std::string& folder, bool unnamed, mode_t mode) : folder_(folder) {
    if (unnamed) {
      // Named for messages only: a missing folder is then a missing path.
      path_ = JoinHostPath(folder, "(unnamed temporary file)");
      const int fd = hostCalls.open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
      if (fd >= 0) {
        file_ = std::make_unique<FileDescriptor>(fd);
        unnamed_ = true;
        return;
      }
      // Not offered by this file system: the named way below.
      if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        throw HostError(errno, "create a temporary file", path_);
      }
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
      path_ = JoinHostPath(folder, TemporaryCopyName(RandomNumber()));
      const int fd = hostCalls.open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
      if (fd >= 0) {
        file_ = std::make_unique<FileDescriptor>(fd);
        // Held until the file is closed or its process ends, so that a
        // leftover can be told from a copy still running. Where the host
        // cannot lock, no other copy can lock it either, and it is kept.
        ::flock(fd, LOCK_EX | LOCK_NB);
        return;
      }
      if (errno != EEXIST) break;
    }
    const int error = errno;
    throw HostError(error, "create a temporary file", path_);
  }
  ~TemporaryFile() {
    file_.reset();
    if (!renamed_ && !unnamed_) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int fd() const { return file_->get(); }
  const std::string& path() const { return path_; }
  void Close() {
    if (file_->Close() != 0) throw HostError(errno, "write", path_);
  }
  // Gives the complete file its final name: a link for an unnamed file, else
  // a rename over whatever is there.
  void PublishAs(const std::string& destination) {
    if (!unnamed_) {
      Close();
      RenameTo(destination);
      return;
    }
    if (hostCalls.link(fd(), destination.c_str()) != 0) {
      const int error = errno;
      if (error != EEXIST) throw HostError(error, "create", destination);
      // Someone made the file since it was looked at: replace it, as ever.
      LinkUnderTemporaryName();
      Close();
      RenameTo(destination);
      return;
    }
    renamed_ = true;
    // The name is there; a write-back failure that only the close reports
    // must not leave it behind with doubtful content.
    if (file_->Close() != 0) {
      const int error = errno;
      ::unlink(destination.c_str());
      throw HostError(error, "write", destination);
    }
  }

  void RenameTo(const std::string& destination) {
    if (hostCalls.rename(path_.c_str(), destination.c_str()) != 0) {
      const int error = errno;
      if (error == EISDIR) throw HostErrorNumbered(kErrPathFileAccess, error, "replace", destination);
      throw HostError(error, "replace", destination);
    }
    renamed_ = true;
  }

 private:
  void LinkUnderTemporaryName() {
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::string path = JoinHostPath(folder_, TemporaryCopyName(RandomNumber()));
      if (hostCalls.link(fd(), path.c_str()) == 0) {
        path_ = path;
        unnamed_ = false;
        ::flock(fd(), LOCK_EX | LOCK_NB);  // as a named temporary file is held
        return;
      }
      if (errno != EEXIST) break;
    }
    throw HostError(errno, "create a temporary file", JoinHostPath(folder_, "(temporary name)"));
  }

  std::string folder_;
  std::string path_;
  std::unique_ptr<FileDescriptor> file_;
  bool renamed_ = false;
  bool unnamed_ = false;
};

bool OlderThan(const timespec& changed, std::chrono::seconds age) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return now.tv_sec - changed.tv_sec >= age.count();
}

// Removes the leftover name of folder if it is still the file examined and
// nobody holds it.
bool RemoveIfStale(int folder, const char* name, std::chrono::seconds age) {
  struct stat before {};
  if (::fstatat(folder, name, &before, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(before.st_mode) ||
      !OlderThan(before.st_ctim, age)) {
    return false;
  }
  const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  bool removed = false;
  struct stat held {};
  // Locked by us, so no copy can be writing it: a live copy holds its lock
  // from the moment it creates the file.
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && held.st_ino == before.st_ino &&
      held.st_dev == before.st_dev && OlderThan(held.st_ctim, age)) {
    struct stat now {};
    removed = ::fstatat(folder, name, &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_ino == held.st_ino &&
              now.st_dev == held.st_dev && ::unlinkat(folder, name, 0) == 0;
  }
  ::close(fd);
  return removed;
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

bool TryClone(int in, int out) { return hostCalls.clone(in, out) == 0; }

// Copies with copy_file_range up to size bytes; false when the file systems
// cannot serve the call and nothing has been copied.
bool TryCopyRange(int in, int out, off_t size, const std::string& source, const std::string& destination) {
  constexpr off_t kChunk = off_t{1} << 30;
  off_t copied = 0;
  // Up to the size the source had; the read that follows finds its real end.
  while (copied < size) {
    const ssize_t n = hostCalls.copyFileRange(in, out, static_cast<std::size_t>(std::min(size - copied, kChunk)));
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
    const ssize_t got = hostCalls.read(in, buffer.data(), buffer.size());
    if (got == 0) return;
    if (got < 0) {
      if (errno == EINTR) continue;
      throw HostError(errno, "read", source);
    }
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = hostCalls.write(out, buffer.data() + done, static_cast<std::size_t>(got - done));
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
  if (!methods.noClone.contains(devices)) {
    if (TryClone(in, out.fd())) return;
    methods.noClone.insert(devices);
  }
  // A file whose size reads as 0 may still have content (the kernel's own
  // files); copy_file_range would copy nothing from it.
  if (sourceStat.st_size > 0 && !methods.noCopyRange.contains(devices)) {
    if (!TryCopyRange(in, out.fd(), sourceStat.st_size, source, out.path())) methods.noCopyRange.insert(devices);
  }
  // Also after copy_file_range: one more read confirms the end.
  CopyByReadWrite(in, out.fd(), source, out.path());
}

// --- Keeping the source's metadata -----------------------------------------

void CopyDosAttrib(int in, int out, const std::string& destination) {
  std::vector<char> value(256);
  ssize_t length = ::fgetxattr(in, kDosAttribXattr, value.data(), value.size());
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

void KeepMetadata(int in, const struct stat& sourceStat, const TemporaryFile& out) {
  CopyDosAttrib(in, out.fd(), out.path());
  // The file was created with the source's bits; only a umask that took
  // some away calls for setting them again.
  const mode_t bits = sourceStat.st_mode & 0777;
  const int mask = ProcessUmask();
  if ((mask < 0 || (bits & static_cast<mode_t>(mask)) != 0) && ::fchmod(out.fd(), bits) != 0) {
    throw HostError(errno, "set the permissions of", out.path());
  }
  // Last, since writing moves the modification time.
  const timespec times[2] = {{0, UTIME_OMIT}, sourceStat.st_mtim};
  if (::futimens(out.fd(), times) != 0) throw HostError(errno, "set the time of", out.path());
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

[[noreturn]] void ThrowSameFile(const std::string& source, const std::string& destination) {
  throw AppError(kErrPermissionDenied,
                 "copy \"" + source + "\" onto \"" + destination + "\": they are the same file");
}

void FlushFolder(const std::string& folder) {
  // The file is complete under its final name by now; a folder that cannot
  // be flushed (some file systems refuse) leaves nothing to undo.
  FileDescriptor dir(hostCalls.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
  if (dir.get() >= 0) hostCalls.fsync(dir.get());
}

}  // namespace

HostCopyCalls& CopyCalls() { return hostCalls; }
const HostCopyCalls& RealCopyCalls() { return kRealCalls; }

int RemoveStaleTemporaryFiles(const std::string& hostFolder, std::chrono::seconds minimumAge) {
  DIR* dir = ::opendir(hostFolder.c_str());
  if (dir == nullptr) return 0;
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    if (IsTemporaryCopyName(entry->d_name) && RemoveIfStale(::dirfd(dir), entry->d_name, minimumAge)) {
      ++removed;
    }
  }
  ::closedir(dir);
  return removed;
}

// --- CopyHostFile -----------------------------------------------------------

CopiedFile CopyHostFile(const std::string& source, const std::string& requestedDestination,
                        bool durableReplace, bool followLink, CopyMethods& methods) {
  // O_NONBLOCK: opening a FIFO must not hang the copy (a regular file's
  // reads ignore the flag).
  FileDescriptor in(hostCalls.open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0));
  if (in.get() < 0) throw HostError(errno, "open", source);
  struct stat sourceStat {};
  if (::fstat(in.get(), &sourceStat) != 0) throw HostError(errno, "examine", source);
  if (S_ISDIR(sourceStat.st_mode)) throw HostErrorNumbered(kErrPermissionDenied, EISDIR, "open", source);
  if (!S_ISREG(sourceStat.st_mode)) {
    throw AppError(kErrPathFileAccess, "copy \"" + source + "\": not a plain file");
  }
  // A copy of a file in the middle of being written is no copy at all.
  if (methods.openFiles.OpenForWritingElsewhere(sourceStat.st_dev, sourceStat.st_ino)) {
    throw AppError(kErrPermissionDenied, "copy \"" + source + "\": another program is writing to it");
  }

  // A destination that is a link to a file: the file it leads to is replaced
  // and the link kept, as a program writing through the link would do.
  std::string destination = requestedDestination;
  struct stat destinationStat {};
  bool exists = false;
  bool replacingLink = false;
  if (::lstat(destination.c_str(), &destinationStat) == 0) {
    exists = true;
    replacingLink = S_ISLNK(destinationStat.st_mode) && !followLink;
    if (S_ISLNK(destinationStat.st_mode) && followLink) {
      if (::stat(destination.c_str(), &destinationStat) != 0) {
        if (errno != ENOENT && errno != ELOOP) throw HostError(errno, "examine", destination);
        exists = false;  // a link leading nowhere is itself replaced
      } else if (S_ISREG(destinationStat.st_mode)) {
        if (char* resolved = ::realpath(destination.c_str(), nullptr)) {
          destination = resolved;
          ::free(resolved);
        }
      }
    }
  } else if (errno != ENOENT) {
    throw HostError(errno, "examine", destination);
  }
  if (exists && !replacingLink) {
    if (S_ISDIR(destinationStat.st_mode)) {
      throw HostErrorNumbered(kErrPathFileAccess, EISDIR, "replace", destination);
    }
    // Compared on the opened source, so that a file swapped in since the
    // path was looked at cannot slip through.
    if (SameFile(sourceStat, destinationStat)) ThrowSameFile(source, destination);
    if ((destinationStat.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
      throw AppError(kErrPermissionDenied, "replace \"" + destination + "\": the file is read-only");
    }
    if (!S_ISREG(destinationStat.st_mode)) {
      throw AppError(kErrPathFileAccess, "replace \"" + destination + "\": not a plain file");
    }
    // The program holding it would go on writing into the replaced file.
    if (methods.openFiles.OpenForWritingElsewhere(destinationStat.st_dev, destinationStat.st_ino)) {
      throw AppError(kErrPermissionDenied,
                     "replace \"" + destination + "\": another program has it open for writing");
    }
  }

  const std::string folder = FolderOf(destination);
  if (methods.sweptFolders.insert(folder).second) RemoveStaleTemporaryFiles(folder, methods.staleTemporaryAge);
  TemporaryFile out(folder, !exists, sourceStat.st_mode & 0777);
  struct stat outStat {};
  if (::fstat(out.fd(), &outStat) != 0) throw HostError(errno, "examine", out.path());
  CopyContent(in.get(), sourceStat, out, outStat.st_dev, source, methods);
  KeepMetadata(in.get(), sourceStat, out);
  const bool flush = exists && durableReplace;
  if (flush && hostCalls.fsync(out.fd()) != 0) throw HostError(errno, "write", out.path());
  out.PublishAs(destination);
  if (flush) FlushFolder(folder);
  return CopiedFile{exists, outStat.st_dev};
}

}  // namespace bt
