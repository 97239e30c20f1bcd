// Host failures as the system's classic error numbers.
#pragma once

#include <string>
#include <string_view>

#include "platform/error.h"

namespace bt {

// The classic number for an errno value: ENOENT gives notFoundNumber (53 for
// a missing file, 76 for a missing folder), ENOTDIR 76; EACCES, EPERM,
// EROFS, EBUSY, ETXTBSY 70; ENOSPC, EDQUOT 61; EEXIST 58; EIO 57;
// ENOMEDIUM, ENXIO, ENODEV 71; ENOMEM 7; anything else 75.
int ErrorNumberOf(int hostErrno, int notFoundNumber = kErrFileNotFound);

// An AppError for a failed host call, with "<action> <hostPath>: <cause>"
// as its host detail and no Portuguese detail yet: the file system that
// knows the Windows paths adds it. A missing entry gives 53 when its folder
// exists, else 76.
AppError HostError(int hostErrno, std::string_view action, const std::string& hostPath);

// The same with the number chosen by the caller.
AppError HostErrorNumbered(int number, int hostErrno, std::string_view action,
                           const std::string& hostPath);

// True when hostPath's parent is an existing folder.
bool ParentFolderExists(const std::string& hostPath);

}  // namespace bt
