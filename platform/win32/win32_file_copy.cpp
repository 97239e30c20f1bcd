// Sections: the system calls; the temporary file and its stale leftovers;
// the checks on both ends; CopyOneFile itself.
#include "platform/win32/win32_file_copy.h"

#include <memory>
#include <random>
#include <vector>

#include "platform/error.h"
#include "platform/temporary_names.h"
#include "platform/win32/win32_errors.h"

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
BOOL RealReplaceFile(const wchar_t* replaced, const wchar_t* replacement) {
  return ::ReplaceFileW(replaced, replacement, nullptr,
                        REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr);
}
void RealSleep(DWORD milliseconds) { ::Sleep(milliseconds); }

constexpr Win32CopyCalls kRealCalls{RealCreateFile, RealReadFile,    RealWriteFile, ::FlushFileBuffers,
                                    ::MoveFileExW,  RealReplaceFile, ::CloseHandle, RealSleep};
Win32CopyCalls calls = kRealCalls;

class Handle {
 public:
  explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~Handle() {
    if (valid()) calls.closeHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }
  // Closes now; false when the system reports a failure (a write it could
  // only complete here).
  bool Close() {
    const BOOL closed = calls.closeHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed != FALSE;
  }

 private:
  HANDLE handle_;
};

// A replacement refused for a moment (a virus scanner or an indexer looking
// at the new file) is tried again for about two seconds before it counts.
constexpr int kReplaceAttempts = 40;
constexpr DWORD kReplacePause = 50;

bool IsPassingRefusal(DWORD code) {
  return code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED || code == ERROR_LOCK_VIOLATION ||
         code == ERROR_UNABLE_TO_REMOVE_REPLACED || code == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

// --- The temporary file and its stale leftovers -----------------------------

constexpr ULONGLONG kStaleAge = 10ULL * 60 * 10'000'000;  // ten minutes in 100 ns steps

std::wstring FolderOf(const std::wstring& path) {
  const auto separator = path.rfind(L'\\');
  return separator == std::wstring::npos ? path : path.substr(0, separator);
}

std::uint64_t RandomNumber() {
  thread_local std::mt19937_64 generator{[] {
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) ^ device();
  }()};
  return generator();
}

// DeleteFileW refuses a read-only file: a copy of a read-only source.
bool RemoveFile(const std::wstring& path) {
  if (::DeleteFileW(path.c_str())) return true;
  return ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) && ::DeleteFileW(path.c_str());
}

ULONGLONG Ticks(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The file being written, hidden and held by this copy alone (no sharing, so
// a later copy can tell a live one from a leftover); removed unless it took
// the destination's name.
class TemporaryFile {
 public:
  TemporaryFile(const std::wstring& folder, const CopyRequest& request) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      path_ = folder + L'\\' + WideOf(TemporaryCopyName(RandomNumber()));
      file_ = std::make_unique<Handle>(calls.createFile(path_.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0,
                                                        CREATE_NEW, FILE_ATTRIBUTE_HIDDEN));
      if (file_->valid()) return;
      const DWORD code = ::GetLastError();
      if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
        // The folder missing is a missing path, whatever the code says.
        throw SystemFailure(ErrorNumberOfCode(code, kErrPathNotFound), CopyDetail(request), "CreateFileW", path_,
                            code);
      }
    }
    throw SystemFailure(CopyDetail(request), "CreateFileW", path_, ERROR_FILE_EXISTS);
  }
  ~TemporaryFile() {
    file_.reset();
    if (!published_) RemoveFile(path_);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  HANDLE get() const { return file_->get(); }
  const std::wstring& path() const { return path_; }
  bool Close() { return file_->Close(); }
  void Published() { published_ = true; }

  static std::wstring WideOf(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }
  static std::string CopyDetail(const CopyRequest& request) {
    return "Ao copiar " + Quoted(request.sourceText) + " para " + Quoted(request.destinationText);
  }

 private:
  std::wstring path_;
  std::unique_ptr<Handle> file_;
  bool published_ = false;
};

std::string Detail(const CopyRequest& request) { return TemporaryFile::CopyDetail(request); }

AppError Refusal(const CopyRequest& request, const char* reason, std::string_view call, const std::wstring& path,
                 DWORD code) {
  return SystemFailure(kErrPermissionDenied, Detail(request) + ": " + reason, call, path, code);
}

constexpr const char* kHeldForWriting = "outro programa está com o arquivo aberto para gravação";
constexpr const char* kReadOnly = "o arquivo de destino é somente leitura";
constexpr const char* kSameFile = "a origem e o destino são o mesmo arquivo";

// --- The checks on both ends ------------------------------------------------

// Open as a reader that lets others read only: refused while another
// program has the file open for writing.
void RequireNoWriter(const std::wstring& path, const CopyRequest& request) {
  Handle probe(calls.createFile(path.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0));
  if (probe.valid()) return;
  const DWORD code = ::GetLastError();
  if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) {
    throw Refusal(request, kHeldForWriting, "CreateFileW", path, code);
  }
  throw SystemFailure(Detail(request), "CreateFileW", path, code);
}

// The file a link leads to, as a "\\?\" path; empty when it leads nowhere.
std::wstring FinalPathOf(const std::wstring& path) {
  Handle file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.valid()) return {};
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetFinalPathNameByHandleW(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    buffer.resize(length + 1);
  }
}

struct Destination {
  std::wstring path;  // where the content goes: the link's target when followed
  bool exists = false;
  bool replacingLink = false;
  DWORD attributes = 0;
};

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

Destination ExamineDestination(const CopyRequest& request) {
  Destination to{request.destination};
  const DWORD attributes = ::GetFileAttributesW(to.path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD code = ::GetLastError();
    if (code == ERROR_FILE_NOT_FOUND) return to;
    throw SystemFailure(ErrorNumberOfCode(code, kErrPathNotFound), Detail(request), "GetFileAttributesW", to.path,
                        code);
  }
  to.exists = true;
  to.attributes = attributes;
  if (IsLink(attributes)) {
    if (!request.followLink) {
      to.replacingLink = true;
      return to;
    }
    const std::wstring target = FinalPathOf(to.path);
    if (target.empty()) {
      to.replacingLink = true;  // a link that leads nowhere is itself replaced
      return to;
    }
    to.path = target;
    to.attributes = ::GetFileAttributesW(target.c_str());
  }
  if (to.attributes & FILE_ATTRIBUTE_DIRECTORY) {
    throw SystemFailure(kErrPathFileAccess, Detail(request), "GetFileAttributesW", to.path, ERROR_DIRECTORY);
  }
  return to;
}

void CopyBytes(HANDLE in, const TemporaryFile& out, const CopyRequest& request) {
  thread_local std::vector<char> buffer(std::size_t{1} << 20);
  for (;;) {
    DWORD got = 0;
    if (!calls.readFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got)) {
      throw SystemFailure(Detail(request), "ReadFile", request.source, ::GetLastError());
    }
    if (got == 0) return;
    for (DWORD done = 0; done < got;) {
      DWORD put = 0;
      if (!calls.writeFile(out.get(), buffer.data() + done, got - done, &put) || put == 0) {
        const DWORD code = put == 0 && ::GetLastError() == ERROR_SUCCESS ? ERROR_WRITE_FAULT : ::GetLastError();
        throw SystemFailure(Detail(request), "WriteFile", out.path(), code);
      }
      done += put;
    }
  }
}

// The source's modification time, and for a new file its attributes; a
// replaced file keeps its own through ReplaceFileW.
void KeepMetadata(const BY_HANDLE_FILE_INFORMATION& source, const TemporaryFile& out, bool replacing,
                   const CopyRequest& request) {
  FILE_BASIC_INFO basic{};
  basic.LastWriteTime.LowPart = source.ftLastWriteTime.dwLowDateTime;
  basic.LastWriteTime.HighPart = static_cast<LONG>(source.ftLastWriteTime.dwHighDateTime);
  constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                          FILE_ATTRIBUTE_ARCHIVE;
  const DWORD kept = source.dwFileAttributes & kKept;
  // A new file is one not backed up yet, as Windows marks it.
  basic.FileAttributes = replacing ? FILE_ATTRIBUTE_HIDDEN : (kept | FILE_ATTRIBUTE_ARCHIVE);
  if (!::SetFileInformationByHandle(out.get(), FileBasicInfo, &basic, sizeof basic)) {
    throw SystemFailure(Detail(request), "SetFileInformationByHandle", out.path(), ::GetLastError());
  }
}

void Publish(TemporaryFile& out, const Destination& to, const CopyRequest& request) {
  if (!to.exists || to.replacingLink) {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (to.replacingLink ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!calls.moveFileEx(out.path().c_str(), to.path.c_str(), flags)) {
      throw SystemFailure(Detail(request), "MoveFileExW", to.path, ::GetLastError());
    }
    out.Published();
    return;
  }
  for (int attempt = 1;; ++attempt) {
    RequireNoWriter(to.path, request);
    if (calls.replaceFile(to.path.c_str(), out.path().c_str())) break;
    const DWORD code = ::GetLastError();
    if (code == ERROR_NOT_SUPPORTED || code == ERROR_INVALID_FUNCTION || code == ERROR_CALL_NOT_IMPLEMENTED) {
      // A file system without the call: the attributes are kept by hand.
      ::SetFileAttributesW(out.path().c_str(), to.attributes & ~FILE_ATTRIBUTE_READONLY);
      if (!calls.moveFileEx(out.path().c_str(), to.path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        throw SystemFailure(Detail(request), "MoveFileExW", to.path, ::GetLastError());
      }
      break;
    }
    if (!IsPassingRefusal(code) || attempt == kReplaceAttempts) {
      throw SystemFailure(Detail(request), "ReplaceFileW", to.path, code);
    }
    calls.sleep(kReplacePause);
  }
  out.Published();
}

void FlushFile(const std::wstring& path, const CopyRequest& request) {
  Handle file(calls.createFile(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               OPEN_EXISTING, 0));
  if (!file.valid() || !calls.flushFileBuffers(file.get())) {
    throw SystemFailure(Detail(request), "FlushFileBuffers", path, ::GetLastError());
  }
}

}  // namespace

Win32CopyCalls& CopyCallTable() { return calls; }
const Win32CopyCalls& RealCopyCallTable() { return kRealCalls; }

bool IdentityOf(const std::wstring& path, FileIdentity* identity) {
  Handle file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file.valid() || !::GetFileInformationByHandle(file.get(), &info)) return false;
  *identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return true;
}

int RemoveStaleTemporaryFiles(const std::wstring& folder) {
  WIN32_FIND_DATAW entry{};
  const HANDLE find = ::FindFirstFileExW((folder + L"\\.BackupTarvel-*.tmp").c_str(), FindExInfoBasic, &entry,
                                         FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return 0;
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  int removed = 0;
  do {
    std::string name;
    for (const wchar_t* c = entry.cFileName; *c != L'\0'; ++c) name += *c < 0x80 ? static_cast<char>(*c) : '?';
    // A live copy holds its file unshared, so the removal fails for it.
    if (IsTemporaryCopyName(name) && Ticks(now) - Ticks(entry.ftLastWriteTime) >= kStaleAge &&
        RemoveFile(folder + L'\\' + entry.cFileName)) {
      ++removed;
    }
  } while (::FindNextFileW(find, &entry));
  ::FindClose(find);
  return removed;
}

// --- CopyOneFile ------------------------------------------------------------

CopyOutcome CopyOneFile(const CopyRequest& request, std::set<std::wstring>& sweptFolders) {
  Handle in(calls.createFile(request.source.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN));
  if (!in.valid()) {
    const DWORD code = ::GetLastError();
    if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) {
      throw Refusal(request, kHeldForWriting, "CreateFileW", request.source, code);
    }
    throw SystemFailure(Detail(request), "CreateFileW", request.source, code);
  }
  BY_HANDLE_FILE_INFORMATION source{};
  if (!::GetFileInformationByHandle(in.get(), &source)) {
    throw SystemFailure(Detail(request), "GetFileInformationByHandle", request.source, ::GetLastError());
  }

  const Destination to = ExamineDestination(request);
  if (to.exists && !to.replacingLink) {
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

  const std::wstring folder = FolderOf(to.path);
  if (sweptFolders.insert(folder).second) RemoveStaleTemporaryFiles(folder);
  TemporaryFile out(folder, request);
  CopyBytes(in.get(), out, request);
  const bool replacing = to.exists && !to.replacingLink;
  KeepMetadata(source, out, replacing, request);
  // A read-only copy cannot be opened for writing later to be flushed.
  const bool flushNow = (replacing && request.durableReplace) || (source.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
  if (flushNow && !calls.flushFileBuffers(out.get())) {
    throw SystemFailure(Detail(request), "FlushFileBuffers", out.path(), ::GetLastError());
  }
  if (!out.Close()) throw SystemFailure(Detail(request), "CloseHandle", out.path(), ::GetLastError());
  Publish(out, to, request);
  // ReplaceFileW renames without writing through: the replaced name is
  // flushed with its file.
  if (replacing && request.durableReplace) FlushFile(to.path, request);
  return CopyOutcome{to.path, flushNow};
}

}  // namespace bt
