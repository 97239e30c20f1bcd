// Copying one host file safely.
//
// The content goes into a new temporary file beside the destination, created
// exclusively, which is renamed over the destination only when complete; so
// a crash or a full disk never leaves a half-written file under the final
// name, and every failure removes the temporary file. A copy that durably replaces
// a file is flushed to the disk before the rename and the folder after it, so
// that the old content is never lost to a power failure. The copy keeps the
// source's modification time, permission bits and user.DOSATTRIB.
//
// The temporary file is locked (flock) while its copy runs, so that a copy
// killed half-way leaves a file that nobody holds. The first copy into a
// folder removes such leftovers once they are clearly stale: unlocked, and
// untouched for kStaleTemporaryAge. A file another live copy is writing is
// locked or recently written, and is never removed.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <set>
#include <string>
#include <utility>

#include "platform/posix/open_files.h"
#include "platform/posix/written_file_systems.h"

namespace bt {

// The host calls that move a file's bytes and put it in place, reached
// through this table so that a test can make any one of them fail or
// misbehave. The defaults are the plain system calls.
struct HostCopyCalls {
  int (*open)(const char* path, int flags, mode_t mode);
  ssize_t (*read)(int fd, void* buffer, std::size_t size);
  ssize_t (*write)(int fd, const void* buffer, std::size_t size);
  // Returns 0 on success, -1 with errno (EOPNOTSUPP where it cannot clone).
  int (*clone)(int in, int out);
  ssize_t (*copyFileRange)(int in, int out, std::size_t size);
  int (*fsync)(int fd);
  int (*rename)(const char* from, const char* to);
  int (*close)(int fd);
  // Gives the open unnamed file fd (O_TMPFILE) the name `to`; fails with
  // EEXIST when the name exists.
  int (*link)(int fd, const char* to);
};

// The table in use; a test replaces entries and puts them back.
HostCopyCalls& CopyCalls();
const HostCopyCalls& RealCopyCalls();

// How long an unlocked temporary file must have been left untouched (its
// status change time, which the copy's own metadata updates move and no
// program can set back) before a copy removes it as the leftover of a copy
// that never finished.
constexpr std::chrono::seconds kStaleTemporaryAge{600};

// What a copy learnt about pairs of file systems, so that later copies skip
// the calls those cannot serve; and who else has files open for writing.
struct CopyMethods {
  std::set<std::pair<dev_t, dev_t>> noClone;
  std::set<std::pair<dev_t, dev_t>> noCopyRange;
  OpenFilesMonitor openFiles;
  // Host folders already cleared of stale temporary files.
  std::set<std::string> sweptFolders;
  std::chrono::seconds staleTemporaryAge = kStaleTemporaryAge;
  // Where copies went since the last flush.
  WrittenFileSystems written;
};

struct CopiedFile {
  bool replaced = false;  // an existing file (or link) was replaced
  dev_t device = 0;       // the file system the copy went to
};

// Removes the temporary files of hostFolder that nobody holds locked and
// that have been untouched for at least minimumAge; returns how many. Never
// throws: a leftover that cannot be removed stays, hidden from listings.
int RemoveStaleTemporaryFiles(const std::string& hostFolder,
                              std::chrono::seconds minimumAge = kStaleTemporaryAge);

// Copies the host file source to the host path destination, replacing an
// existing file. Throws AppError: 53 (76) when the source (its folder) is
// missing, 76 when the destination folder is missing, 70 when the source
// and destination are one file, when the destination is read-only or cannot
// be written, 75 when the destination is a folder or the source is not a
// plain file, 61 when the disk is full; 70 also when another process has the
// source or the destination open for writing (a database in use). With
// durableReplace, a replaced file is on the disk when the call returns.
// With followLink, a destination that is a link to a file has that file
// replaced, the link kept; without, the link itself is replaced.
CopiedFile CopyHostFile(const std::string& source, const std::string& destination, bool durableReplace,
                        bool followLink, CopyMethods& methods);

}  // namespace bt
