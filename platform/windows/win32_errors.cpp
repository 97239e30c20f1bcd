#include "platform/windows/win32_errors.h"

#include <windows.h>

#include "platform/wide_text.h"

namespace bt {
namespace {

// Not in every SDK's headers.
constexpr std::uint32_t kErrorDiskQuotaExceeded = 1295;

// The system's own message, in English where Windows has it.
std::string SystemMessage(std::uint32_t code) {
  wchar_t* buffer = nullptr;
  const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  DWORD length = ::FormatMessageW(flags, nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                  reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (length == 0) {
    length = ::FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  }
  if (length == 0 || buffer == nullptr) return {};
  std::wstring text(buffer, length);
  ::LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  return WideToUtf8(text, LoneSurrogates::kReplace);
}

}  // namespace

int ErrorNumberOfCode(std::uint32_t code, int notFound) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND: return notFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return kErrPathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_USER_MAPPED_FILE: return kErrPermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case kErrorDiskQuotaExceeded: return kErrDiskFull;
    case ERROR_NOT_READY:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_NO_MEDIA_IN_DRIVE:
    case ERROR_MEDIA_CHANGED:
    case ERROR_UNRECOGNIZED_MEDIA: return kErrDiskNotReady;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return kErrFileExists;
    case ERROR_CRC:
    case ERROR_SEEK:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE: return kErrDeviceIo;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return kErrOutOfMemory;
    default: return kErrPathFileAccess;
  }
}

AppError SystemFailure(int number, std::string detail, std::string_view call, std::wstring_view hostPath,
                       std::uint32_t code) {
  std::string host(call);
  host += " \"" + WideToUtf8(hostPath, LoneSurrogates::kReplace) + "\": error " + std::to_string(code);
  const std::string message = SystemMessage(code);
  if (!message.empty()) host += " (" + message + ")";
  return AppError(number, std::move(detail), std::move(host));
}

AppError SystemFailure(std::string detail, std::string_view call, std::wstring_view hostPath,
                       std::uint32_t code, int notFound) {
  return SystemFailure(ErrorNumberOfCode(code, notFound), std::move(detail), call, hostPath, code);
}

std::string Quoted(const std::string& windowsPath) { return "\"" + windowsPath + "\""; }

}  // namespace bt
