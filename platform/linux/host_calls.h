// The host calls that move a file's bytes, put it in place and flush it,
// reached through one table at the bottom of the Linux layer, so that a test
// can make any one of them fail or misbehave: the copy, its temporary file
// and the flush before success all call through it.
#pragma once

#include <sys/types.h>

#include <cstddef>

namespace bt {

// The defaults are the plain system calls. A name is relative to the open
// folder given beside it (see open_folders.h), or a whole path with
// AT_FDCWD, as for the system's *at calls.
struct HostCopyCalls {
  int (*open)(int folder, const char* name, int flags, mode_t mode);
  ssize_t (*read)(int fd, void* buffer, std::size_t size);
  ssize_t (*write)(int fd, const void* buffer, std::size_t size);
  // Returns 0 on success, -1 with errno (EOPNOTSUPP where it cannot clone).
  int (*clone)(int in, int out);
  ssize_t (*copyFileRange)(int in, int out, std::size_t size);
  int (*fsync)(int fd);
  int (*rename)(int fromFolder, const char* from, int toFolder, const char* to);
  // The same, but failing with EEXIST when `to` exists (and EINVAL where
  // the file system cannot tell).
  int (*renameNoReplace)(int fromFolder, const char* from, int toFolder, const char* to);
  int (*close)(int fd);
  // Gives the open unnamed file fd (O_TMPFILE) the name `to`; fails with
  // EEXIST when the name exists.
  int (*link)(int fd, int toFolder, const char* to);
  // Flushes the whole file system that holds fd (the flush before success).
  int (*syncfs)(int fd);
};

// The link's way for a process the kernel refuses to let name an open file
// from its descriptor alone (an ordinary user on kernels before 6.10):
// through /proc/self/fd. The table's link takes it once refused.
int LinkThroughProc(int fd, int toFolder, const char* to);

// The table in use; a test replaces entries and puts them back.
HostCopyCalls& CopyCalls();
const HostCopyCalls& RealCopyCalls();

}  // namespace bt
