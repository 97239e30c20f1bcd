// Copying one host file safely.
//
// The content goes into a temporary file beside the destination (see
// temporary_file.h), which takes the destination's name only when complete;
// so a crash or a full disk never leaves a half-written file under the
// final name, and every failure leaves the destination as it was. A copy
// that durably replaces a file is flushed to the disk before it takes the
// name and the folder after, so that the old content is never lost to a
// power failure. The copy keeps the source's modification time and
// user.DOSATTRIB; a file that replaces another keeps the permission bits
// and owner of the one it replaces, a new one gets the source's bits less
// the umask, as cp gives them.
#pragma once

#include <sys/types.h>

#include <string>

#include "platform/linux/copy_methods.h"
#include "platform/linux/dos_attributes.h"
#include "platform/linux/host_calls.h"
#include "platform/linux/open_folders.h"
#include "platform/linux/temporary_file.h"

namespace bt {

struct CopiedFile {
  bool replaced = false;  // an existing file (or link) was replaced
  dev_t device = 0;       // the file system the copy went to
  // The host folder the copy was written in: for a followed link, that of
  // the file it leads to, which may be on another disk than the link.
  std::string folder;
};

// Copies the host file source to the host path destination, replacing an
// existing file. Throws AppError: 53 (76) when the source (its folder) is
// missing, 76 when the destination folder is missing, 70 when the source
// and destination are one file, when the destination is read-only or cannot
// be written, 75 when the destination is a folder or the source is not a
// plain file, 61 when the disk is full; 70 also when another process has the
// source or the destination open for writing (a database in use), looked at
// before the copy and again just before it takes the destination's name.
// With durableReplace, a replaced file is on the disk when the call returns.
// With followLink, a destination that is a link to a file has that file
// replaced, the link kept; without, the link itself is replaced.
struct CopyRequest {
  std::string source;       // host paths
  std::string destination;
  bool durableReplace = true;
  bool followLink = true;
  // What was found out a moment ago, so that the copy need not ask again:
  // the source's user.DOSATTRIB (read by the listing that met it), and that
  // the destination's name was free (the lookup that settled it). A name
  // taken since is met when the copy takes it, and handled then.
  DosAttribValue sourceDosAttrib;
  bool destinationFree = false;
  // The open folders that hold the source and the destination, where the
  // caller has them: the copy's calls then go relative to them.
  OpenFolderRef sourceFolder;
  OpenFolderRef destinationFolder;
};
CopiedFile CopyHostFile(const CopyRequest& request, CopyMethods& methods);

inline CopiedFile CopyHostFile(const std::string& source, const std::string& destination, bool durableReplace,
                               bool followLink, CopyMethods& methods) {
  return CopyHostFile(CopyRequest{source, destination, durableReplace, followLink, {}, false, nullptr, nullptr}, methods);
}

}  // namespace bt
