// Sections: the system calls; paths and messages; the checks on both ends;
// putting the copy in place; CopyOneFile itself.
#include "platform/windows/win32_file_copy.h"

#include <vector>

#include "platform/error.h"
#include "platform/wide_text.h"
#include "platform/windows/final_path.h"
#include "platform/windows/win32_errors.h"
#include "platform/windows/win32_temporary_file.h"

namespace bt {
namespace {

// --- The system calls -------------------------------------------------------

HANDLE RealCreateFile(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  return ::CreateFileW(path, access, share, nullptr, disposition, flags, nullptr);
}
BOOL RealReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read) {
  return ::ReadFile(file, buffer, size, read, nullptr);
}
BOOL RealWriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* written) {
  return ::WriteFile(file, buffer, size, written, nullptr);
}
BOOL RealReplaceFile(const wchar_t* replaced, const wchar_t* replacement, const wchar_t* backup) {
  return ::ReplaceFileW(replaced, replacement, backup, REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                        nullptr, nullptr);
}
void RealSleep(DWORD milliseconds) { ::Sleep(milliseconds); }
// Through functions of our own: the table's entries use the compiler's
// calling convention, which the 32-bit system's own (stdcall) is not.
BOOL RealFlushFileBuffers(HANDLE file) { return ::FlushFileBuffers(file); }
BOOL RealMoveFileEx(const wchar_t* from, const wchar_t* to, DWORD flags) { return ::MoveFileExW(from, to, flags); }
BOOL RealCloseHandle(HANDLE handle) { return ::CloseHandle(handle); }
void RealSystemTime(FILETIME* now) { ::GetSystemTimeAsFileTime(now); }

constexpr Win32CopyCalls kRealCalls{RealCreateFile,       RealReadFile,   RealWriteFile,
                                    RealFlushFileBuffers, RealMoveFileEx, RealReplaceFile,
                                    RealCloseHandle,      RealSleep,      RealSystemTime};
Win32CopyCalls calls = kRealCalls;

// A replacement refused for a moment (a virus scanner or an indexer looking
// at the new file) is tried again for about two seconds before it counts.
constexpr int kReplaceAttempts = 40;
constexpr DWORD kReplacePause = 50;

bool IsPassingRefusal(DWORD code) {
  return code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED || code == ERROR_LOCK_VIOLATION ||
         code == ERROR_UNABLE_TO_REMOVE_REPLACED || code == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
         code == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
}

// --- Paths and messages ------------------------------------------------------

std::wstring FolderOf(const std::wstring& path) {
  const auto separator = path.rfind(L'\\');
  return separator == std::wstring::npos ? path : path.substr(0, separator);
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string CopyDetail(const Win32CopyRequest& request) {
  return "Ao copiar " + Quoted(request.sourceText) + " para " + Quoted(request.destinationText);
}

// The Windows path of a file beside the destination (or beside what a link
// there leads to), for the user's detail.
std::string WindowsTextOf(const std::wstring& host, const Win32CopyRequest& request) {
  std::string name;
  for (wchar_t c : host.substr(host.rfind(L'\\') + 1)) name += static_cast<char>(c);  // our own names: ASCII
  if (FolderOf(host) == FolderOf(request.destination)) {
    const auto separator = request.destinationText.find_last_of('\\');
    return request.destinationText.substr(0, separator == std::string::npos ? 0 : separator) + "\\" + name;
  }
  std::wstring folder = FolderOf(host);
  if (folder.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    folder = L"\\\\" + folder.substr(8);
  } else if (folder.rfind(L"\\\\?\\", 0) == 0) {
    folder.erase(0, 4);
  }
  return WideToUtf8(folder) + "\\" + name;
}

AppError Refusal(const Win32CopyRequest& request, const char* reason, std::string_view call, const std::wstring& path,
                 DWORD code) {
  return SystemFailure(kErrPermissionDenied, CopyDetail(request) + ": " + reason, call, path, code);
}

constexpr const char* kHeldForWriting = "outro programa está com o arquivo aberto para gravação";
constexpr const char* kReadOnly = "o arquivo de destino é somente leitura";
constexpr const char* kSameFile = "a origem e o destino são o mesmo arquivo";

// --- The checks on both ends ------------------------------------------------

// Open as a reader that lets others read only: refused while another
// program has the file open for writing.
void RequireNoWriter(const std::wstring& path, const Win32CopyRequest& request) {
  CopyHandle probe(calls.createFile(path.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0));
  if (probe.valid()) return;
  const DWORD code = ::GetLastError();
  if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) {
    throw Refusal(request, kHeldForWriting, "CreateFileW", path, code);
  }
  throw SystemFailure(CopyDetail(request), "CreateFileW", path, code);
}

struct Destination {
  std::wstring path;  // where the content goes: the link's target when followed
  bool exists = false;
  bool replacingLink = false;
  DWORD attributes = 0;
  bool replacing() const { return exists && !replacingLink; }
};

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

Destination ExamineDestination(const Win32CopyRequest& request) {
  Destination to{request.destination};
  const DWORD attributes = ::GetFileAttributesW(to.path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD code = ::GetLastError();
    if (code == ERROR_FILE_NOT_FOUND) return to;
    throw SystemFailure(ErrorNumberOfCode(code, kErrPathNotFound), CopyDetail(request), "GetFileAttributesW", to.path,
                        code);
  }
  to.exists = true;
  to.attributes = attributes;
  if (IsLink(attributes)) {
    if (!request.followLink) {
      to.replacingLink = true;
      return to;
    }
    const std::wstring target = FinalPath(to.path);
    if (target.empty()) {
      to.replacingLink = true;  // a link that leads nowhere is itself replaced
      return to;
    }
    to.path = target;
    to.attributes = ::GetFileAttributesW(target.c_str());
  }
  if (to.attributes & FILE_ATTRIBUTE_DIRECTORY) {
    throw SystemFailure(kErrPathFileAccess, CopyDetail(request), "GetFileAttributesW", to.path, ERROR_DIRECTORY);
  }
  return to;
}

// What an existing destination must pass before anything replaces it.
void RequireReplaceable(const Destination& to, const BY_HANDLE_FILE_INFORMATION& source,
                        const Win32CopyRequest& request) {
  FileIdentity destination;
  if (IdentityOf(to.path, &destination) &&
      destination == FileIdentity{source.dwVolumeSerialNumber, source.nFileIndexHigh, source.nFileIndexLow}) {
    throw Refusal(request, kSameFile, "GetFileInformationByHandle", to.path, ERROR_ACCESS_DENIED);
  }
  if (to.attributes & FILE_ATTRIBUTE_READONLY) {
    throw Refusal(request, kReadOnly, "GetFileAttributesW", to.path, ERROR_ACCESS_DENIED);
  }
  // The program holding it would go on writing into the replaced file.
  RequireNoWriter(to.path, request);
}

void CopyBytes(HANDLE in, const Win32TemporaryFile& out, const Win32CopyRequest& request) {
  thread_local std::vector<char> buffer(std::size_t{1} << 20);
  for (;;) {
    DWORD got = 0;
    if (!calls.readFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got)) {
      throw SystemFailure(CopyDetail(request), "ReadFile", request.source, ::GetLastError());
    }
    if (got == 0) return;
    for (DWORD done = 0; done < got;) {
      DWORD put = 0;
      if (!calls.writeFile(out.get(), buffer.data() + done, got - done, &put) || put == 0) {
        const DWORD code = put == 0 && ::GetLastError() == ERROR_SUCCESS ? ERROR_WRITE_FAULT : ::GetLastError();
        throw SystemFailure(CopyDetail(request), "WriteFile", out.path(), code);
      }
      done += put;
    }
  }
}

// The attributes a copy gives its file, which it sets itself: the system's
// replacement keeps no attributes that can be relied on (Wine's keeps the
// hidden temporary file's). Those a program can set; 0 would mean "leave
// them as they are".
constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Exactly those of the file replaced.
DWORD ReplacedAttributes(DWORD replaced) {
  const DWORD kept = replaced & kSettable;
  return kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
}

// The source's, and a new file is one not backed up yet, as Windows marks it.
DWORD NewFileAttributes(DWORD source) {
  return (source & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) | FILE_ATTRIBUTE_ARCHIVE;
}

// The source's modification time and the attributes the file is to have,
// set while the file is still held, so that it takes the name with them.
void KeepMetadata(const BY_HANDLE_FILE_INFORMATION& source, const Win32TemporaryFile& out, DWORD attributes,
                  const Win32CopyRequest& request) {
  FILE_BASIC_INFO basic{};
  basic.LastWriteTime.LowPart = source.ftLastWriteTime.dwLowDateTime;
  basic.LastWriteTime.HighPart = static_cast<LONG>(source.ftLastWriteTime.dwHighDateTime);
  basic.FileAttributes = attributes;
  if (!::SetFileInformationByHandle(out.get(), FileBasicInfo, &basic, sizeof basic)) {
    throw SystemFailure(CopyDetail(request), "SetFileInformationByHandle", out.path(), ::GetLastError());
  }
}

void FlushFile(const std::wstring& path, const Win32CopyRequest& request) {
  CopyHandle file(calls.createFile(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   OPEN_EXISTING, 0));
  if (!file.valid() || !calls.flushFileBuffers(file.get())) {
    throw SystemFailure(CopyDetail(request), "FlushFileBuffers", path, ::GetLastError());
  }
}

// --- Putting the copy in place ----------------------------------------------

// Gives a new file its name. False when a file has taken the name meanwhile:
// nothing changed then.
bool PlaceNew(Win32TemporaryFile& out, const Destination& to, const Win32CopyRequest& request) {
  // Only a link is replaced here, and only by itself: it leads nowhere or is
  // not to be followed.
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (to.replacingLink ? MOVEFILE_REPLACE_EXISTING : 0);
  if (!calls.moveFileEx(out.path().c_str(), to.path.c_str(), flags)) {
    const DWORD code = ::GetLastError();
    if (!to.replacingLink && (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS)) return false;
    throw SystemFailure(CopyDetail(request), "MoveFileExW", to.path, code);
  }
  out.Published();
  return true;
}

// Renames, tried again for a moment as a replacement is; false when it
// could not be done.
bool MoveBack(const std::wstring& from, const std::wstring& to) {
  for (int attempt = 1;; ++attempt) {
    if (calls.moveFileEx(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
    if (!IsPassingRefusal(::GetLastError()) || attempt == kReplaceAttempts) return false;
    calls.sleep(kReplacePause);
  }
}

// What the destination's name holds once a failed replacement is put right.
enum class Afterwards { kNothingChanged, kNewInPlace };

// After a failed ReplaceFileW, what stands where is looked at rather than
// trusted to the code returned. Where the name was left free (1177: the old
// file under the backup name; 1176 without one: the old file gone), it is
// given back the old file, or else the new one. Throws, leaving every
// surviving copy where it is and saying where, when neither can have it.
Afterwards Recover(Win32TemporaryFile& out, const Destination& to, const std::wstring& setAside, DWORD code,
                   const Win32CopyRequest& request) {
  if (Exists(to.path)) return Afterwards::kNothingChanged;  // the old file, untouched (or a file of someone else)
  const bool oldAside = Exists(setAside);
  const bool newThere = Exists(out.path());
  if (oldAside && MoveBack(setAside, to.path)) return Afterwards::kNothingChanged;
  if (newThere && MoveBack(out.path(), to.path)) {
    out.Published();
    return Afterwards::kNewInPlace;
  }
  std::string where;
  if (oldAside) {
    where = "o arquivo anterior está agora em " + Quoted(WindowsTextOf(setAside, request));
  } else {
    where = "o arquivo anterior foi removido pelo sistema";
  }
  if (newThere) {
    out.Keep();
    where += " e a cópia nova em " + Quoted(WindowsTextOf(out.path(), request));
  }
  throw SystemFailure(CopyDetail(request) + ": " + where, "ReplaceFileW", to.path, code);
}

// Puts the complete, closed file in the place of an existing one that has
// passed the checks. The replaced file is set aside until the new one
// stands under the name (and, for a durable replace, is on the disk).
void Replace(Win32TemporaryFile& out, const Destination& to, DWORD attributes, const Win32CopyRequest& request) {
  const std::wstring folder = FolderOf(to.path);
  std::wstring setAside;
  for (int attempt = 1;; ++attempt) {
    RequireNoWriter(to.path, request);
    setAside = NewSetAsidePath(folder);
    if (calls.replaceFile(to.path.c_str(), out.path().c_str(), setAside.c_str())) {
      out.Published();
      break;
    }
    const DWORD code = ::GetLastError();
    if (code == ERROR_NOT_SUPPORTED || code == ERROR_INVALID_FUNCTION || code == ERROR_CALL_NOT_IMPLEMENTED) {
      // A file system without the call: one rename over the old file.
      setAside.clear();
      if (!calls.moveFileEx(out.path().c_str(), to.path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        throw SystemFailure(CopyDetail(request), "MoveFileExW", to.path, ::GetLastError());
      }
      out.Published();
      break;
    }
    if (Recover(out, to, setAside, code, request) == Afterwards::kNewInPlace) break;
    if (!IsPassingRefusal(code) || attempt == kReplaceAttempts) {
      throw SystemFailure(CopyDetail(request), "ReplaceFileW", to.path, code);
    }
    calls.sleep(kReplacePause);
  }
  // The new file stands under the name. Until it has its attributes and,
  // for a durable replace, is on the disk, the old one is kept aside; should
  // either fail, the old one is put back, so that the destination is as it
  // was before the call.
  try {
    const DWORD now = ::GetFileAttributesW(to.path.c_str());
    if (now == INVALID_FILE_ATTRIBUTES ||
        ((now & kSettable) != (attributes & kSettable) && !::SetFileAttributesW(to.path.c_str(), attributes))) {
      throw SystemFailure(CopyDetail(request), "SetFileAttributesW", to.path, ::GetLastError());
    }
    // ReplaceFileW renames without writing through: the replaced name is
    // flushed with its file.
    if (request.durableReplace) FlushFile(to.path, request);
  } catch (const AppError& failure) {
    if (setAside.empty() || !Exists(setAside)) throw;
    if (!calls.moveFileEx(setAside.c_str(), to.path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      throw failure.WithDetail(failure.detail() + "; o arquivo anterior está agora em " +
                               Quoted(WindowsTextOf(setAside, request)));
    }
    throw;
  }
  // The old file is no longer needed. Should it stay held, it becomes a
  // temporary file, which a later copy sweeps once stale.
  if (!setAside.empty() && Exists(setAside) && !RemoveCopyFile(setAside)) {
    calls.moveFileEx(setAside.c_str(), NewTemporaryPath(folder).c_str(), 0);
  }
}

}  // namespace

Win32CopyCalls& CopyCallTable() { return calls; }
const Win32CopyCalls& RealCopyCallTable() { return kRealCalls; }

bool IdentityOf(const std::wstring& path, FileIdentity* identity) {
  CopyHandle file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file.valid() || !::GetFileInformationByHandle(file.get(), &info)) return false;
  *identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return true;
}

// --- CopyOneFile ------------------------------------------------------------

CopyOutcome CopyOneFile(const Win32CopyRequest& request, std::set<std::wstring>& sweptFolders) {
  CopyHandle in(calls.createFile(request.source.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN));
  if (!in.valid()) {
    const DWORD code = ::GetLastError();
    if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) {
      throw Refusal(request, kHeldForWriting, "CreateFileW", request.source, code);
    }
    throw SystemFailure(CopyDetail(request), "CreateFileW", request.source, code);
  }
  BY_HANDLE_FILE_INFORMATION source{};
  if (!::GetFileInformationByHandle(in.get(), &source)) {
    throw SystemFailure(CopyDetail(request), "GetFileInformationByHandle", request.source, ::GetLastError());
  }

  Destination to = ExamineDestination(request);
  if (to.replacing()) RequireReplaceable(to, source, request);

  const std::wstring folder = FolderOf(to.path);
  if (sweptFolders.insert(folder).second) RemoveStaleWin32TemporaryFiles(folder);
  Win32TemporaryFile out(folder, CopyDetail(request));
  CopyBytes(in.get(), out, request);
  DWORD attributes = to.replacing() ? ReplacedAttributes(to.attributes) : NewFileAttributes(source.dwFileAttributes);
  KeepMetadata(source, out, attributes, request);
  // A replacement must be on the disk before it takes the name, or a power
  // cut could leave the name on a file without its content. A read-only
  // copy cannot be opened for writing later to be flushed.
  bool flushed = (to.replacing() && request.durableReplace) || (source.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
  if (flushed && !calls.flushFileBuffers(out.get())) {
    throw SystemFailure(CopyDetail(request), "FlushFileBuffers", out.path(), ::GetLastError());
  }
  out.RenewNameIfOld();
  if (!out.Close()) throw SystemFailure(CopyDetail(request), "CloseHandle", out.path(), ::GetLastError());

  if (!to.replacing()) {
    if (PlaceNew(out, to, request)) return CopyOutcome{to.path, flushed};
    // A file took the name meanwhile: it is replaced as any existing file
    // is, after the same checks, never blindly.
    to = ExamineDestination(request);
    if (!to.replacing()) {
      throw SystemFailure(kErrFileExists, CopyDetail(request), "MoveFileExW", to.path, ERROR_ALREADY_EXISTS);
    }
    RequireReplaceable(to, source, request);
    attributes = ReplacedAttributes(to.attributes);
    if (!::SetFileAttributesW(out.path().c_str(), attributes)) {
      throw SystemFailure(CopyDetail(request), "SetFileAttributesW", out.path(), ::GetLastError());
    }
    if (request.durableReplace && !flushed) {
      FlushFile(out.path(), request);
      flushed = true;
    }
  }
  Replace(out, to, attributes, request);
  return CopyOutcome{to.path, flushed || request.durableReplace};
}

}  // namespace bt
