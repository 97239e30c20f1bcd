#include "platform/linux/temporary_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

#include "platform/error.h"
#include "platform/linux/host_calls.h"
#include "platform/linux/host_errors.h"
#include "platform/linux/host_path_resolver.h"
#include "platform/temporary_names.h"

namespace bt {
namespace {

std::string NewTemporaryName() { return TemporaryCopyName(TemporaryNameRandom(), WallClock::now()); }

// The status change time moves with every write and every metadata change
// the copy makes, and no program can set it back. One far ahead of the
// clock was made under a clock set wrong, as a name stamped so is.
bool UntouchedFor(const timespec& changed, std::chrono::seconds age) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const auto ahead = std::chrono::seconds(changed.tv_sec - now.tv_sec);
  return now.tv_sec - changed.tv_sec >= age.count() || ahead > kFutureStampTolerance;
}

// Removes the leftover name of folder if it is still the file examined and
// nobody holds it. Its age is that of its name; it must also have been left
// untouched that long, which covers the moment between the close and the
// rename of a copy that took longer than the age.
bool RemoveIfStale(int folder, const char* name, std::chrono::seconds age) {
  if (!IsStaleTemporaryCopyName(name, WallClock::now(), age)) return false;
  struct stat before {};
  if (::fstatat(folder, name, &before, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(before.st_mode) ||
      !UntouchedFor(before.st_ctim, age)) {
    return false;
  }
  const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  bool removed = false;
  struct stat held {};
  // Locked by us, so no copy can be writing it: a live copy holds its lock
  // from the moment it creates the file.
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && held.st_ino == before.st_ino &&
      held.st_dev == before.st_dev && UntouchedFor(held.st_ctim, age)) {
    struct stat now {};
    removed = ::fstatat(folder, name, &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_ino == held.st_ino &&
              now.st_dev == held.st_dev && ::unlinkat(folder, name, 0) == 0;
  }
  ::close(fd);
  return removed;
}

// A name the destination's drive refuses (FAT-family drives refuse ":" and
// the like, some with EINVAL, exFAT through FUSE with ENOENT) is no missing
// file: its folder is there. Such drives offer no unnamed files, so the
// refusal comes at the rename of a named one to a new name.
AppError NameError(int error, std::string_view action, const std::string& destination) {
  if ((error == EINVAL || error == ENOENT) && ParentFolderExists(destination)) {
    return HostErrorNumbered(kErrPathFileAccess, error, action, destination)
        .WithDetail("a unidade de destino não aceita este nome");
  }
  return HostError(error, action, destination);
}

}  // namespace

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) CopyCalls().close(fd_);
}

int FileDescriptor::Close() {
  const int result = CopyCalls().close(fd_);
  fd_ = -1;
  return result;
}

TemporaryFile::TemporaryFile(const std::string& folder, bool unnamed, mode_t mode, const OpenFolder* open)
    : folder_(folder), open_(open != nullptr && open->path() == folder ? open : nullptr) {
  if (unnamed) {
    // Named for messages only: a missing folder is then a missing path.
    path_ = JoinHostPath(folder, "(unnamed temporary file)");
    const int fd = open_ != nullptr ? CopyCalls().open(open_->fd(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode)
                                    : CopyCalls().open(AT_FDCWD, folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
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
    path_ = JoinHostPath(folder, NewTemporaryName());
    const EntryAt at = At(path_);
    const int fd = CopyCalls().open(at.folder, at.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
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

TemporaryFile::~TemporaryFile() {
  file_.reset();
  if (!placed_ && !unnamed_) ::unlink(path_.c_str());
}

void TemporaryFile::Close() {
  if (file_->Close() != 0) throw HostError(errno, "write", path_);
}

bool TemporaryFile::TakeNewName(const std::string& destination) {
  const EntryAt to = At(destination);
  if (unnamed_) {
    if (CopyCalls().link(fd(), to.folder, to.name.c_str()) != 0) {
      const int error = errno;
      if (error == EEXIST) return false;
      throw HostError(error, "create", destination);
    }
  } else if (const EntryAt from = At(path_);
             CopyCalls().renameNoReplace(from.folder, from.name.c_str(), to.folder, to.name.c_str()) != 0) {
    const int error = errno;
    if (error == EEXIST) return false;
    if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP) throw NameError(error, "create", destination);
    struct stat st {};
    if (::fstatat(to.folder, to.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return false;
    if (CopyCalls().rename(from.folder, from.name.c_str(), to.folder, to.name.c_str()) != 0) {
      throw NameError(errno, "create", destination);
    }
  }
  placed_ = true;
  // The name is there; a write-back failure that only the close reports
  // must not leave it behind with doubtful content.
  if (file_->Close() != 0) {
    const int error = errno;
    ::unlink(destination.c_str());
    throw HostError(error, "write", destination);
  }
  return true;
}

void TemporaryFile::ReplaceAt(const std::string& destination) {
  if (unnamed_) GiveTemporaryName();
  if (file_->get() >= 0) Close();
  Rename(destination);
}

void TemporaryFile::Rename(const std::string& destination) {
  const EntryAt from = At(path_);
  const EntryAt to = At(destination);
  if (CopyCalls().rename(from.folder, from.name.c_str(), to.folder, to.name.c_str()) != 0) {
    const int error = errno;
    if (error == EISDIR) throw HostErrorNumbered(kErrPathFileAccess, error, "replace", destination);
    throw HostError(error, "replace", destination);
  }
  placed_ = true;
}

void TemporaryFile::GiveTemporaryName() {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string path = JoinHostPath(folder_, NewTemporaryName());
    const EntryAt at = At(path);
    if (CopyCalls().link(fd(), at.folder, at.name.c_str()) == 0) {
      path_ = path;
      unnamed_ = false;
      ::flock(fd(), LOCK_EX | LOCK_NB);  // as a named temporary file is held
      return;
    }
    if (errno != EEXIST) break;
  }
  throw HostError(errno, "create a temporary file", JoinHostPath(folder_, "(temporary name)"));
}

int RemoveStaleTemporaryFiles(const std::string& hostFolder, std::chrono::seconds minimumAge,
                              const OpenFolder* open) {
  DIR* dir = nullptr;
  if (open != nullptr && open->path() == hostFolder) {
    const int fd = ::openat(open->fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (dir == nullptr && fd >= 0) ::close(fd);
  } else {
    dir = ::opendir(hostFolder.c_str());
  }
  if (dir == nullptr) return 0;
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    if (RemoveIfStale(::dirfd(dir), entry->d_name, minimumAge)) {
      ++removed;
    }
  }
  ::closedir(dir);
  return removed;
}

}  // namespace bt
