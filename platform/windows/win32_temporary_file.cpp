#include "platform/windows/win32_temporary_file.h"

#include <algorithm>
#include <vector>

#include "platform/error.h"
#include "platform/windows/win32_errors.h"
#include "platform/windows/win32_file_copy.h"

namespace bt {
namespace {

std::wstring WideOf(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::wstring NameIn(const std::wstring& folder, const std::string& name) { return folder + L'\\' + WideOf(name); }

// Removes a leftover only if nobody holds it: opened for this alone (a live
// copy holds its file unshared, so the open fails then), made writable
// through that handle if need be, and gone when the handle closes. Nothing
// is changed on a file someone holds.
bool RemoveUnheld(const std::wstring& path) {
  const HANDLE file = ::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILE_DISPOSITION_INFO dispose{TRUE};
  BOOL removed = ::SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof dispose);
  if (!removed) {
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    removed = ::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) &&
              ::SetFileInformationByHandle(file, FileDispositionInfo, &dispose, sizeof dispose);
  }
  ::CloseHandle(file);
  return removed != FALSE;
}

}  // namespace

CopyHandle::~CopyHandle() {
  if (valid()) CopyCallTable().closeHandle(handle_);
}

bool CopyHandle::Close() {
  const BOOL closed = CopyCallTable().closeHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  return closed != FALSE;
}

WallClock::time_point CopyClockNow() {
  FILETIME now{};
  CopyCallTable().systemTime(&now);
  constexpr ULONGLONG kUnixEpoch = 116'444'736'000'000'000ULL;  // 1970 in 100 ns steps since 1601
  const ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  const std::chrono::duration<long long, std::ratio<1, 10'000'000>> since(static_cast<long long>(ticks - kUnixEpoch));
  return WallClock::time_point(std::chrono::duration_cast<WallClock::duration>(since));
}

std::wstring NewTemporaryPath(const std::wstring& folder) {
  return NameIn(folder, TemporaryCopyName(TemporaryNameRandom(), CopyClockNow()));
}

std::wstring NewSetAsidePath(const std::wstring& folder) {
  return NameIn(folder, SetAsideName(TemporaryNameRandom(), CopyClockNow()));
}

Win32TemporaryFile::Win32TemporaryFile(const std::wstring& folder, const std::string& detail) : folder_(folder) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    created_ = CopyClockNow();
    path_ = NameIn(folder, TemporaryCopyName(TemporaryNameRandom(), created_));
    file_ = std::make_unique<CopyHandle>(CopyCallTable().createFile(
        path_.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN));
    if (file_->valid()) return;
    const DWORD code = ::GetLastError();
    if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
      // The folder missing is a missing path, whatever the code says.
      throw SystemFailure(ErrorNumberOfCode(code, kErrPathNotFound), detail, "CreateFileW", path_, code);
    }
  }
  throw SystemFailure(detail, "CreateFileW", path_, ERROR_FILE_EXISTS);
}

Win32TemporaryFile::~Win32TemporaryFile() {
  file_.reset();
  if (!published_ && !kept_) RemoveCopyFile(path_);
}

void Win32TemporaryFile::RenewNameIfOld() {
  const WallClock::time_point now = CopyClockNow();
  if (now - created_ < kStaleTemporaryAge / 2) return;
  for (int attempt = 0; attempt < 10; ++attempt) {
    const std::wstring renamed = NameIn(folder_, TemporaryCopyName(TemporaryNameRandom(), now));
    // A full path: a bare name would be taken relative to the working folder.
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + renamed.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(renamed.size() * sizeof(wchar_t));
    std::copy(renamed.begin(), renamed.end(), rename->FileName);
    if (::SetFileInformationByHandle(get(), FileRenameInfo, rename, static_cast<DWORD>(buffer.size()))) {
      path_ = renamed;
      created_ = now;
      return;
    }
    const DWORD code = ::GetLastError();
    if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS) return;
  }
}

// DeleteFileW refuses a read-only file: a copy of a read-only source.
bool RemoveCopyFile(const std::wstring& path) {
  if (::DeleteFileW(path.c_str())) return true;
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
         ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) && ::DeleteFileW(path.c_str());
}

int RemoveStaleWin32TemporaryFiles(const std::wstring& folder) {
  WIN32_FIND_DATAW entry{};
  const HANDLE find = ::FindFirstFileExW((folder + L"\\.BackupTarvel-*.tmp").c_str(), FindExInfoBasic, &entry,
                                         FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return 0;
  const WallClock::time_point now = CopyClockNow();
  int removed = 0;
  do {
    std::string name;
    for (const wchar_t* c = entry.cFileName; *c != L'\0'; ++c) name += *c < 0x80 ? static_cast<char>(*c) : '?';
    if (IsStaleTemporaryCopyName(name, now) && RemoveUnheld(folder + L'\\' + entry.cFileName)) ++removed;
  } while (::FindNextFileW(find, &entry));
  ::FindClose(find);
  return removed;
}

}  // namespace bt
