// System error codes as the classic error numbers, and failures that keep
// both accounts: the Portuguese detail for the user, naming Windows paths as
// the caller wrote them, and the call, host path and code for the
// developers' log.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/error.h"

namespace bt {

// ERROR_FILE_NOT_FOUND gives notFound (53 for a file, 76 where a folder was
// looked for); ERROR_PATH_NOT_FOUND and bad names 76; sharing and lock
// violations, access denied and write protection 70; a full disk 61; a
// drive not ready or gone 71; an existing file or folder 58; device
// errors 57; lack of memory 7; anything else 75.
int ErrorNumberOfCode(std::uint32_t code, int notFound = kErrFileNotFound);

// An AppError for a failed system call: detail is the Portuguese text
// ("Ao examinar \"C:\\X\""), hostDetail "<call> <hostPath>: error <code>
// (<system message>)".
AppError SystemFailure(int number, std::string detail, std::string_view call, std::wstring_view hostPath,
                       std::uint32_t code);

// The same with the number chosen by ErrorNumberOfCode.
AppError SystemFailure(std::string detail, std::string_view call, std::wstring_view hostPath,
                       std::uint32_t code, int notFound = kErrFileNotFound);

// "\"C:\\X\"": a Windows path as the user's detail quotes it.
std::string Quoted(const std::string& windowsPath);

}  // namespace bt
