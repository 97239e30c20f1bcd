// Copying one host file safely.
//
// The content goes into a new temporary file beside the destination, created
// exclusively, which is renamed over the destination only when complete; so
// a crash or a full disk never leaves a half-written file under the final
// name, and every failure removes the temporary file. A copy that durably replaces
// a file is flushed to the disk before the rename and the folder after it, so
// that the old content is never lost to a power failure. The copy keeps the
// source's modification time, permission bits and user.DOSATTRIB.
#pragma once

#include <sys/types.h>

#include <set>
#include <string>
#include <utility>

#include "platform/posix/open_files.h"

namespace bt {

// What a copy learnt about pairs of file systems, so that later copies skip
// the calls those cannot serve; and who else has files open for writing.
struct CopyMethods {
  std::set<std::pair<dev_t, dev_t>> noClone;
  std::set<std::pair<dev_t, dev_t>> noCopyRange;
  OpenFilesMonitor openFiles;
};

// Copies the host file source to the host path destination, replacing an
// existing file. Throws AppError: 53 (76) when the source (its folder) is
// missing, 76 when the destination folder is missing, 70 when the source
// and destination are one file, when the destination is read-only or cannot
// be written, 75 when the destination is a folder or the source is not a
// plain file, 61 when the disk is full; 70 also when another process has the
// source or the destination open for writing (a database in use). With
// durableReplace, a replaced file is on the disk when the call returns.
// Returns true when it replaced a file.
bool CopyHostFile(const std::string& source, const std::string& destination, bool durableReplace,
                  CopyMethods& methods);

}  // namespace bt
