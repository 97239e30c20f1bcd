// The FileSystem over the system's own calls. Sections: locating a Windows
// path; the operations on one path; copying and flushing; containment;
// listing; the drives.
#include "platform/windows/win32_file_system.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "platform/temporary_names.h"
#include "platform/wide_text.h"
#include "platform/windows/final_path.h"
#include "platform/windows/folder_mutex.h"
#include "platform/windows/win32_drives.h"
#include "platform/windows/win32_errors.h"
#include "platform/windows/win32_file_copy.h"
#include "platform/windows_path.h"

namespace bt {
namespace {

// The bits the system reads; the others (normal, temporary, compressed,
// offline, not indexed ...) say nothing to it.
constexpr DWORD kReadBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Windows' own tools drop a trailing dot or blank from the names they are
// given, so a file whose name ends in one can be neither opened nor removed
// by them: the program never makes such a name. (It reads one: through
// "\\?\" paths, names are taken exactly as listed, so that "foto." is never
// read as "foto".)
bool WindowsToolsCannotOpen(const std::string& name) {
  return !name.empty() && (name.back() == '.' || name.back() == ' ');
}

AppError RefusedName(const std::string& detail, const std::string& name, const std::wstring& host) {
  return SystemFailure(kErrPathFileAccess, detail + ": a unidade de destino não aceita o nome " + Quoted(name),
                       "a name ending in a dot or a blank", host, ERROR_INVALID_NAME);
}

std::string FolderText(const std::string& windowsPath) {
  const auto separator = windowsPath.find_last_of("\\/");
  if (separator == std::string::npos) return windowsPath;
  return windowsPath.substr(0, separator == 2 ? 3 : separator);
}

// Whether a reparse point is a link (symbolic link or junction) rather than
// a file of some storage service that merely uses one.
bool IsLinkAt(const std::wstring& host) {
  WIN32_FIND_DATAW data{};
  const HANDLE find = ::FindFirstFileExW(host.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return false;
  ::FindClose(find);
  return data.dwReserved0 == IO_REPARSE_TAG_SYMLINK || data.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT;
}

// The attributes of what a link leads to; nullopt when it leads nowhere.
std::optional<DWORD> TargetAttributes(const std::wstring& host) {
  const HANDLE file = ::CreateFileW(host.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const BOOL ok = ::GetFileInformationByHandle(file, &info);
  ::CloseHandle(file);
  if (!ok) return std::nullopt;
  return info.dwFileAttributes;
}

// Attributes as the system reads them: links followed and marked, the
// other bits dropped; nullopt for a link that leads nowhere.
std::optional<DWORD> AsRead(const std::wstring& host, DWORD attributes) {
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsLinkAt(host)) {
    const std::optional<DWORD> target = TargetAttributes(host);
    if (!target) return std::nullopt;
    return (*target & kReadBits) | FILE_ATTRIBUTE_REPARSE_POINT;
  }
  return attributes & kReadBits;
}

// "\\?\C:\a\b" -> "\\?\C:\a"; empty at the root.
std::wstring ParentOf(const std::wstring& host) {
  const auto separator = host.rfind(L'\\');
  if (separator == std::wstring::npos || separator < 7) return {};
  if (host.size() > separator + 1) {
    // Keep the root's own separator: "\\?\C:\a" -> "\\?\C:\".
    return host.substr(0, host[separator - 1] == L':' ? separator + 1 : separator);
  }
  return {};
}

struct Listing {
  HANDLE find = INVALID_HANDLE_VALUE;
  std::wstring folder;      // the host folder
  std::string folderText;   // the Windows folder, for messages
  // Its final path, for links leading back; read only when a listing meets
  // a link, as it costs a walk of the whole path.
  mutable std::wstring folderFinal;
};

class Win32FileSystem final : public FileSystem {
 public:
  // machine: the system's own drives; else only `folders`.
  Win32FileSystem(bool machine, std::vector<FolderDrive> folders, std::string workingFolder)
      : machine_(machine), folders_(std::move(folders)), workingFolder_(std::move(workingFolder)) {
    std::sort(folders_.begin(), folders_.end(),
              [](const FolderDrive& a, const FolderDrive& b) { return a.letter < b.letter; });
  }
  ~Win32FileSystem() override {
    for (auto& [handle, listing] : listings_) ::FindClose(listing.find);
  }

  // --- The operations on one path -------------------------------------------

  std::uint32_t GetAttributes(const std::string& path) override {
    const std::string detail = "Ao examinar " + Quoted(path);
    const Located at = Locate(path, detail);
    const DWORD attributes = ::GetFileAttributesW(at.host.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) throw SystemFailure(detail, "GetFileAttributesW", at.host, ::GetLastError());
    const std::optional<DWORD> read = AsRead(at.host, attributes);
    if (!read && !at.windows.folderOnly) return kAttrReparsePoint | kAttrArchive;
    // A text ending in "\" names a folder only.
    if (!read || (at.windows.folderOnly && !(*read & FILE_ATTRIBUTE_DIRECTORY))) {
      throw SystemFailure(kErrPathNotFound, detail, "GetFileAttributesW", at.host, ERROR_DIRECTORY);
    }
    return *read;
  }

  bool OrdinaryFileExists(const std::string& path) override {
    try {
      const Located at = Locate(path, {});
      const DWORD attributes = ::GetFileAttributesW(at.host.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES || at.windows.folderOnly) return false;
      const std::optional<DWORD> read = AsRead(at.host, attributes);
      return read && (*read & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
    } catch (...) {
      return false;
    }
  }

  void CreateFolder(const std::string& path) override {
    const std::string detail = "Ao criar a pasta " + Quoted(path);
    const Located at = Locate(path, detail);
    if (at.windows.names.empty()) {
      throw AppError(kErrPathFileAccess, detail, "CreateDirectoryW: a drive's root folder exists already");
    }
    if (WindowsToolsCannotOpen(at.windows.names.back())) throw RefusedName(detail, at.windows.names.back(), at.host);
    if (!::CreateDirectoryW(at.host.c_str(), nullptr)) {
      const DWORD code = ::GetLastError();
      // Creating a folder that exists is 75, as MkDir reports it; a missing
      // parent is always a missing path.
      const int number = code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS
                             ? kErrPathFileAccess
                             : ErrorNumberOfCode(code, kErrPathNotFound);
      throw SystemFailure(number, detail, "CreateDirectoryW", at.host, code);
    }
    createdFolders_.insert(at.host);
  }

  void RemoveFile(const std::string& path) override {
    const std::string detail = "Ao remover " + Quoted(path);
    const Located at = Locate(path, detail);
    if (at.windows.names.empty() || at.windows.folderOnly) {
      throw SystemFailure(kErrPathFileAccess, detail, "DeleteFileW", at.host, ERROR_DIRECTORY);
    }
    const DWORD attributes = ::GetFileAttributesW(at.host.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) throw SystemFailure(detail, "GetFileAttributesW", at.host, ::GetLastError());
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      throw SystemFailure(kErrPathFileAccess, detail, "DeleteFileW", at.host, ERROR_DIRECTORY);
    }
    // A copy of a read-only source is read-only itself, which DeleteFileW refuses.
    if (attributes & FILE_ATTRIBUTE_READONLY) ::SetFileAttributesW(at.host.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    const BOOL removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ::RemoveDirectoryW(at.host.c_str())
                                                                : ::DeleteFileW(at.host.c_str());
    if (!removed) {
      const DWORD code = ::GetLastError();
      if (attributes & FILE_ATTRIBUTE_READONLY) ::SetFileAttributesW(at.host.c_str(), attributes);
      throw SystemFailure(detail, "DeleteFileW", at.host, code);
    }
  }

  void RemoveEmptyFolder(const std::string& path) override {
    const std::string detail = "Ao remover a pasta " + Quoted(path);
    const Located at = Locate(path, detail);
    if (at.windows.names.empty()) {
      throw SystemFailure(kErrPathFileAccess, detail, "RemoveDirectoryW", at.host, ERROR_ACCESS_DENIED);
    }
    const DWORD attributes = ::GetFileAttributesW(at.host.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      throw SystemFailure(detail, "GetFileAttributesW", at.host, ::GetLastError(), kErrPathNotFound);
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      throw SystemFailure(kErrPathFileAccess, detail, "RemoveDirectoryW", at.host, ERROR_DIRECTORY);
    }
    if (!::RemoveDirectoryW(at.host.c_str())) {
      const DWORD code = ::GetLastError();
      // A folder that still holds something stays, whoever put it there.
      const int number = code == ERROR_DIR_NOT_EMPTY ? kErrPathFileAccess : ErrorNumberOfCode(code, kErrPathNotFound);
      throw SystemFailure(number, detail, "RemoveDirectoryW", at.host, code);
    }
    createdFolders_.erase(at.host);
  }

  void RenameFolder(const std::string& path, const std::string& newName) override {
    const std::string detail = "Ao renomear a pasta " + Quoted(path) + " para " + Quoted(newName);
    const Located from = Locate(path, detail);
    if (from.windows.names.empty()) {
      throw SystemFailure(kErrPathFileAccess, detail, "MoveFileExW", from.host, ERROR_ACCESS_DENIED);
    }
    const DWORD attributes = ::GetFileAttributesW(from.host.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      throw SystemFailure(detail, "GetFileAttributesW", from.host, ::GetLastError(), kErrPathNotFound);
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      throw SystemFailure(kErrPathFileAccess, detail, "MoveFileExW", from.host, ERROR_DIRECTORY);
    }
    if (newName.empty() || newName == "." || newName == ".." || newName.find_first_of("\\/") != std::string::npos ||
        WindowsToolsCannotOpen(newName)) {
      throw RefusedName(detail, newName, from.host);
    }
    const Located to = Locate(path + "\\..\\" + newName, detail);
    // Without MOVEFILE_REPLACE_EXISTING: an entry of that name is never replaced.
    if (!::MoveFileExW(from.host.c_str(), to.host.c_str(), 0)) {
      const DWORD code = ::GetLastError();
      throw SystemFailure(detail, "MoveFileExW", from.host, code, kErrPathNotFound);
    }
    createdFolders_.erase(from.host);
  }

  // --- Copying and flushing -------------------------------------------------

  using FileSystem::CopyWholeFile;
  void CopyWholeFile(const std::string& source, const std::string& destination, Durability durability,
                     DestinationLinks links) override {
    const std::string detail = "Ao copiar " + Quoted(source) + " para " + Quoted(destination);
    const Located from = Locate(source, detail);
    const Located to = Locate(destination, detail);
    if (to.windows.names.empty() || to.windows.folderOnly) {
      throw SystemFailure(kErrPathFileAccess, detail, "CopyWholeFile", to.host, ERROR_DIRECTORY);
    }
    if (WindowsToolsCannotOpen(to.windows.names.back())) throw RefusedName(detail, to.windows.names.back(), to.host);
    KeepCaseVariantsApart(from, to, detail);
    Win32CopyRequest request{from.host, to.host, source, destination, durability == Durability::kNow,
                             links == DestinationLinks::kFollow};
    const CopyOutcome outcome = CopyOneFile(request, sweptFolders_);
    if (!outcome.flushed) unflushed_.emplace_back(outcome.written, FolderText(destination));
    const auto separator = outcome.written.rfind(L'\\');
    if (separator != std::wstring::npos) writtenFolders_.insert(outcome.written.substr(0, separator));
  }

  // Per file: flushing a whole volume needs an administrator.
  void FlushWrites() override {
    while (!unflushed_.empty()) {
      const auto& [host, folderText] = unflushed_.back();
      const HANDLE file = ::CreateFileW(host.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
      DWORD code = ERROR_SUCCESS;
      if (file == INVALID_HANDLE_VALUE) {
        code = ::GetLastError();
      } else {
        if (!::FlushFileBuffers(file)) code = ::GetLastError();
        ::CloseHandle(file);
      }
      // A file removed since by someone else has nothing left to flush.
      if (code != ERROR_SUCCESS && code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND) {
        throw SystemFailure("Ao gravar no disco os arquivos copiados para " + Quoted(folderText),
                            "FlushFileBuffers", host, code);
      }
      unflushed_.pop_back();
    }
    // The folders' new names; where the file system cannot flush a folder,
    // its journal already holds them.
    writtenFolders_.insert(createdFolders_.begin(), createdFolders_.end());
    for (const std::wstring& folder : writtenFolders_) {
      const HANDLE handle = ::CreateFileW(folder.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS, nullptr);
      if (handle == INVALID_HANDLE_VALUE) continue;
      ::FlushFileBuffers(handle);
      ::CloseHandle(handle);
    }
    writtenFolders_.clear();
    createdFolders_.clear();
  }

  // --- Containment ----------------------------------------------------------

  bool LiesWithin(const std::string& path, const std::string& folder) override {
    try {
      FileIdentity outer;
      if (!IdentityOf(Locate(folder, {}).host, &outer)) return false;
      std::wstring at = Locate(path, {}).host;
      // The nearest existing folder on the way, then each real parent.
      std::wstring final;
      while (!at.empty() && (final = FinalPath(at)).empty()) at = ParentOf(at);
      for (std::wstring step = final; !step.empty(); step = ParentOf(step)) {
        FileIdentity identity;
        if (IdentityOf(step, &identity) && identity == outer) return true;
      }
      return false;
    } catch (...) {
      return false;
    }
  }

  // Windows itself takes two names differing only in letter case for one.
  bool KeepsLetterCase(const std::string&) override { return false; }
  std::unique_ptr<OperationLock> LockForOperation(const std::string& folder,
                                                  std::chrono::milliseconds wait) override {
    std::wstring host;
    try {
      host = Locate(folder, {}).host;
    } catch (const AppError&) {
      return std::make_unique<OperationLock>();  // no such drive: the operation says so itself
    }
    return LockFolderMutex(host, wait);
  }

  // --- Listing --------------------------------------------------------------

  FindHandle FindFirstFileA(const std::string& pattern, FindData* record) override;
  int FindNextFileA(FindHandle handle, FindData* record) override;
  void FindClose(FindHandle handle) override {
    const auto it = listings_.find(handle);
    if (it == listings_.end()) return;
    ::FindClose(it->second.find);
    listings_.erase(it);
  }
  std::optional<AppError> LastFindFailure() const override { return lastFindFailure_; }

  // --- The drives -----------------------------------------------------------

  std::vector<DriveInfo> Drives() override {
    if (machine_) return MachineDrives();
    std::vector<DriveInfo> drives;
    for (const FolderDrive& drive : folders_) drives.push_back({drive.letter, drive.hint});
    return drives;
  }

  std::string CurrentFolder(char driveLetter) override {
    const char letter = UpperDriveLetter(driveLetter);
    const std::string root{letter, ':', '\\'};
    const std::string detail = "Ao examinar " + Quoted(root);
    if (!HasDrive(letter)) throw AppError(kErrDeviceUnavailable, detail, std::string("no drive ") + letter + ":");
    const std::wstring rootHost = HostRoot(letter);
    const DWORD attributes = ::GetFileAttributesW(rootHost.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD code = ::GetLastError();
      // A listed drive whose root cannot be found has no medium in it.
      int number = ErrorNumberOfCode(code, kErrDiskNotReady);
      if (number == kErrPathNotFound) number = kErrDiskNotReady;
      throw SystemFailure(number, detail, "GetFileAttributesW", rootHost, code);
    }
    const std::string current = CurrentFolderText(letter);
    if (current.size() <= 3) return root;
    // The root again once the folder has gone.
    try {
      if (GetAttributes(current) & kAttrDirectory) return current;
    } catch (const AppError&) {
    }
    return root;
  }

 private:
  // --- Locating a Windows path ----------------------------------------------

  struct Located {
    WindowsPath windows;
    std::wstring host;  // "\\?\..."
  };

  bool HasDrive(char letter) const {
    if (machine_) return (::GetLogicalDrives() & (DWORD{1} << (letter - 'A'))) != 0;
    return FolderDriveOf(letter) != nullptr;
  }

  const FolderDrive* FolderDriveOf(char letter) const {
    for (const FolderDrive& drive : folders_) {
      if (drive.letter == letter) return &drive;
    }
    return nullptr;
  }

  // The host path of a drive's root, with its separator.
  std::wstring HostRoot(char letter) const {
    if (machine_) return std::wstring(L"\\\\?\\") + static_cast<wchar_t>(letter) + L":\\";
    std::wstring root = Utf8ToWide(FolderDriveOf(letter)->root);
    while (!root.empty() && root.back() == L'\\') root.pop_back();
    if (root.rfind(L"\\\\?\\", 0) == 0) return root + L'\\';
    if (root.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + root.substr(2) + L'\\';
    return L"\\\\?\\" + root + L'\\';
  }

  // The drive's current folder as a Windows path ("C:\" or "C:\Copias").
  std::string CurrentFolderText(char letter) const {
    if (!machine_) {
      if (workingFolder_.size() > 3 && UpperDriveLetter(workingFolder_[0]) == letter) return workingFolder_;
      return std::string{letter, ':', '\\'};
    }
    const wchar_t drive[] = {static_cast<wchar_t>(letter), L':', L'\0'};
    const DWORD size = ::GetFullPathNameW(drive, 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD length = size == 0 ? 0 : ::GetFullPathNameW(drive, size, full.data(), nullptr);
    if (length == 0 || length >= size) return std::string{letter, ':', '\\'};
    full.resize(length);
    if (full.rfind(L"\\\\?\\", 0) == 0) full.erase(0, 4);
    // Windows may give a current folder with its separator; only a root
    // keeps one here.
    while (full.size() > 3 && full.back() == L'\\') full.pop_back();
    return WideToUtf8(full);
  }

  // Throws 76 for a text that is not a full path on one of the drives, 71
  // when a drive over a folder has lost its folder (a disk taken out).
  Located Locate(const std::string& path, const std::string& detail) {
    Located at;
    try {
      at.windows = ParseWindowsPath(path, [this](char letter) { return CurrentFolderText(letter); });
    } catch (const AppError& error) {
      throw AppError(error.number(), detail, error.detail());
    }
    if (!HasDrive(at.windows.drive)) {
      throw AppError(kErrPathNotFound, detail, path + ": there is no such drive");
    }
    at.host = HostRoot(at.windows.drive);
    if (!machine_ && ::GetFileAttributesW(at.host.c_str()) == INVALID_FILE_ATTRIBUTES) {
      throw SystemFailure(kErrDiskNotReady, detail, "GetFileAttributesW", at.host, ::GetLastError());
    }
    bool first = true;
    for (const std::string& name : at.windows.names) {
      if (!first) at.host += L'\\';
      at.host += Utf8ToWide(name);
      first = false;
    }
    return at;
  }

  // A destination found only by ignoring letter case ("Vendrial.mdb" for
  // "vendrial.mdb") is replaced, as ever on Windows. But when the source's
  // own folder holds that stored name as another file (a folder that tells
  // case apart), this drive cannot keep the two apart: refused, rather than
  // let one replace the other.
  static void KeepCaseVariantsApart(const Located& from, const Located& to, const std::string& detail) {
    if (from.windows.names.empty() || to.windows.names.empty()) return;
    WIN32_FIND_DATAW stored{};
    const HANDLE find = ::FindFirstFileExW(to.host.c_str(), FindExInfoBasic, &stored, FindExSearchNameMatch,
                                           nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return;
    ::FindClose(find);
    const std::wstring storedName = stored.cFileName;
    const std::wstring givenName = Utf8ToWide(to.windows.names.back());
    const std::wstring sourceName = Utf8ToWide(from.windows.names.back());
    if (storedName == givenName || storedName == sourceName) return;
    const std::wstring twin = from.host.substr(0, from.host.rfind(L'\\') + 1) + storedName;
    FileIdentity twinId;
    FileIdentity sourceId;
    if (!IdentityOf(twin, &twinId) || !IdentityOf(from.host, &sourceId) || twinId == sourceId) return;
    throw SystemFailure(kErrFileExists, detail + ": " + Quoted(WideToUtf8(storedName)) + " e " +
                                            Quoted(to.windows.names.back()) +
                                            " seriam um só arquivo no destino",
                        "FindFirstFileExW", to.host, ERROR_ALREADY_EXISTS);
  }

  // Fills *record from an entry; false when the entry is left out: the
  // files copies keep for a moment (names that pass the check of
  // temporary_names.h; a user's file merely named like one is listed), links
  // that lead nowhere, and folders that lead back to the listed folder or
  // above it (a loop for a tree copy).
  bool Accept(const Listing& listing, const WIN32_FIND_DATAW& data, FindData* record) const {
    const std::string name = WideToUtf8(data.cFileName);
    if (IsOwnWorkingName(name) || name.size() >= kFindNameBytes) return false;
    DWORD attributes = data.dwFileAttributes & kReadBits;
    const bool dots = name == "." || name == "..";
    if (!dots && (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
        (data.dwReserved0 == IO_REPARSE_TAG_SYMLINK || data.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT)) {
      const std::wstring host = listing.folder + L'\\' + data.cFileName;
      const std::optional<DWORD> target = TargetAttributes(host);
      if (!target) return false;
      attributes = (*target & kReadBits) | FILE_ATTRIBUTE_REPARSE_POINT;
      if (*target & FILE_ATTRIBUTE_DIRECTORY) {
        const std::wstring final = FinalPath(host);
        if (listing.folderFinal.empty()) listing.folderFinal = FinalPath(listing.folder);
        if (!final.empty() && listing.folderFinal.rfind(final, 0) == 0 &&
            (listing.folderFinal.size() == final.size() || listing.folderFinal[final.size()] == L'\\' ||
             final.back() == L'\\')) {
          return false;
        }
      }
    }
    record->dwFileAttributes = attributes;
    std::copy(name.begin(), name.end(), record->cFileName);
    record->cFileName[name.size()] = '\0';
    return true;
  }

  bool machine_;
  std::vector<FolderDrive> folders_;
  std::string workingFolder_;
  std::set<std::wstring> sweptFolders_;
  std::vector<std::pair<std::wstring, std::string>> unflushed_;  // host file, Windows folder
  std::set<std::wstring> writtenFolders_;
  std::set<std::wstring> createdFolders_;
  std::map<FindHandle, Listing> listings_;
  FindHandle nextHandle_ = 1;
  std::optional<AppError> lastFindFailure_;
};

// --- Listing ----------------------------------------------------------------

FindHandle Win32FileSystem::FindFirstFileA(const std::string& pattern, FindData* record) {
  lastFindFailure_.reset();
  const ListingPattern split = SplitListingPattern(pattern);
  const std::string& folder = split.folder;
  const std::string& name = split.name;
  const std::string detail = "Ao listar a pasta " + Quoted(folder.empty() ? pattern : folder);
  if (folder.empty()) {
    lastFindFailure_ = AppError(kErrPathNotFound, detail, pattern + ": not a full path with a drive letter");
    return kInvalidHandle;
  }
  const bool everything = split.everything;
  if (!everything && !split.plain) {
    throw AppError(kErrInvalidCall, detail, pattern + ": only \"*\", \"*.*\" and plain names are listed");
  }
  Listing listing;
  try {
    const Located at = Locate(folder, detail);
    listing.folder = at.host;
    if (listing.folder.back() == L'\\') listing.folder.pop_back();
    listing.folderText = FormatWindowsPath(at.windows);
    const std::wstring search = listing.folder + L'\\' + (everything ? std::wstring(L"*") : Utf8ToWide(name));
    WIN32_FIND_DATAW data{};
    listing.find = ::FindFirstFileExW(search.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                      FIND_FIRST_EX_LARGE_FETCH);
    if (listing.find == INVALID_HANDLE_VALUE) {
      const DWORD code = ::GetLastError();
      // Nothing matched in a folder that exists: no failure.
      const DWORD folderAttributes = ::GetFileAttributesW(at.host.c_str());
      if ((code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES) && folderAttributes != INVALID_FILE_ATTRIBUTES &&
          (folderAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return kInvalidHandle;
      }
      throw SystemFailure(ErrorNumberOfCode(code, kErrPathNotFound), detail, "FindFirstFileExW", search, code);
    }
    const FindHandle handle = nextHandle_++;
    auto& stored = listings_.emplace(handle, std::move(listing)).first->second;
    if (Accept(stored, data, record)) return handle;
    if (FindNextFileA(handle, record)) return handle;
    const std::optional<AppError> failure = lastFindFailure_;
    FindClose(handle);
    lastFindFailure_ = failure;
    return kInvalidHandle;
  } catch (const AppError& error) {
    if (listing.find != INVALID_HANDLE_VALUE) ::FindClose(listing.find);
    lastFindFailure_ = error;
    return kInvalidHandle;
  }
}

int Win32FileSystem::FindNextFileA(FindHandle handle, FindData* record) {
  lastFindFailure_.reset();
  const auto it = listings_.find(handle);
  if (it == listings_.end()) return 0;
  WIN32_FIND_DATAW data{};
  for (;;) {
    if (!::FindNextFileW(it->second.find, &data)) {
      const DWORD code = ::GetLastError();
      // A listing that breaks off must not pass for a complete one.
      if (code != ERROR_NO_MORE_FILES) {
        lastFindFailure_ = SystemFailure(ErrorNumberOfCode(code, kErrPathNotFound),
                                         "Ao listar a pasta " + Quoted(it->second.folderText), "FindNextFileW",
                                         it->second.folder, code);
      }
      return 0;
    }
    if (Accept(it->second, data, record)) return 1;
  }
}

}  // namespace

std::unique_ptr<FileSystem> MakeWin32FileSystem() {
  // An empty floppy or card reader answers "not ready" instead of asking
  // the user to insert a disk.
  const UINT previous = ::SetErrorMode(SEM_FAILCRITICALERRORS);
  ::SetErrorMode(previous | SEM_FAILCRITICALERRORS);
  return std::make_unique<Win32FileSystem>(true, std::vector<FolderDrive>{}, std::string{});
}

std::unique_ptr<FileSystem> MakeWin32FileSystemOver(std::vector<FolderDrive> drives, std::string workingFolder) {
  const UINT previous = ::SetErrorMode(SEM_FAILCRITICALERRORS);
  ::SetErrorMode(previous | SEM_FAILCRITICALERRORS);
  return std::make_unique<Win32FileSystem>(false, std::move(drives), std::move(workingFolder));
}

}  // namespace bt
