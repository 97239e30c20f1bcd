// The FileSystem over a drive table. Sections: locating a Windows path on
// the host; the operations on one path; copying; listing; the drives.
#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <map>
#include <memory>

#include "platform/posix/dos_attributes.h"
#include "platform/posix/file_copy.h"
#include "platform/posix/folder_identity.h"
#include "platform/posix/folder_listing.h"
#include "platform/posix/host_errors.h"
#include "platform/posix/host_path_resolver.h"
#include "platform/windows_path.h"
#include "platform/posix/working_folder.h"

namespace bt {
namespace {

// A Windows path found on the host.
struct Located {
  const DriveMapping* drive = nullptr;
  WindowsPath windows;
  HostPath host;
};

std::string CurrentWorkingFolder() {
  std::string buffer(4096, '\0');
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return "/";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.c_str();
}

// The folder part of a Windows path text.
std::string WindowsFolderOf(const std::string& path) {
  const auto separator = path.find_last_of("\\/");
  return separator == std::string::npos ? path : path.substr(0, separator);
}

// The same failure with the Windows path it concerns in front of its detail.
AppError About(const std::string& windowsText, const AppError& error) {
  return AppError(error.number(), windowsText + ": " + error.detail());
}

class PosixFileSystem final : public FileSystem {
 public:
  PosixFileSystem(DriveTable drives, std::string workingFolder) : drives_(std::move(drives)) {
    if (workingFolder.empty()) workingFolder = CurrentWorkingFolder();
    if (auto path = WindowsPathOfHostFolder(drives_, workingFolder)) current_[path->drive] = *path;
  }

  std::uint32_t GetAttributes(const std::string& path) override {
    const Located at = Locate(path);
    struct stat st {};
    const std::string& host = at.host.path;
    if (::lstat(host.c_str(), &st) != 0) Fail(path, at.drive, HostError(errno, "examine", host));
    std::uint32_t link = 0;
    if (S_ISLNK(st.st_mode)) {
      // What the link leads to, marked as a link, as Windows shows one.
      link = kAttrReparsePoint;
      if (::stat(host.c_str(), &st) != 0) {
        if (at.windows.folderOnly) Fail(path, at.drive, HostError(errno, "examine", host));
        return kAttrReparsePoint | kAttrArchive;
      }
    }
    // A text ending in "\" names a folder only.
    if (at.windows.folderOnly && !S_ISDIR(st.st_mode)) {
      Fail(path, at.drive, HostError(ENOTDIR, "examine", FolderOnlyHostPath(at)));
    }
    return DosAttributes(at.host.path, at.host.name, st) | link;
  }

  bool OrdinaryFileExists(const std::string& path) override {
    try {
      const Located at = Locate(path);
      struct stat st {};
      if (at.windows.folderOnly || ::stat(at.host.path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
      }
      return (DosAttributes(at.host.path, at.host.name, st) & (kAttrHidden | kAttrSystem)) == 0;
    } catch (...) {
      return false;
    }
  }

  void CreateFolder(const std::string& path) override {
    const Located at = Locate(path);
    if (at.windows.names.empty()) {
      throw AppError(kErrPathFileAccess, path + ": a drive's root folder exists already");
    }
    const FolderNameCache::Change change = resolver_.cache().BeginChange(at.host.folder, at.host.folderMatched);
    if (::mkdir(at.host.path.c_str(), 0777) != 0) {
      const int error = errno;
      // EEXIST is 58 elsewhere; creating a folder that exists is 75, as
      // MkDir reports it. A missing parent is always a missing path.
      const int number = error == EEXIST ? kErrPathFileAccess : ErrorNumberOf(error, kErrPathNotFound);
      Fail(path, at.drive, HostErrorNumbered(number, error, "create the folder", at.host.path));
    }
    resolver_.cache().EndChange(change, at.host.name);
    struct stat st {};
    if (::stat(at.host.path.c_str(), &st) == 0) methods_.written.Note(st.st_dev, at.host.folder, WindowsFolderOf(path));
  }

  using FileSystem::CopyWholeFile;
  void CopyWholeFile(const std::string& source, const std::string& destination,
                     Durability durability, DestinationLinks links) override {
    const Located from = Locate(source);
    Located to = Locate(destination);
    if (to.windows.names.empty() || to.windows.folderOnly) {
      throw AppError(kErrPathFileAccess, destination + ": not a file name");
    }
    KeepCaseVariantsApart(from, to);
    const FolderNameCache::Change change = resolver_.cache().BeginChange(to.host.folder, to.host.folderMatched);
    try {
      const CopiedFile copied = CopyHostFile(from.host.path, to.host.path, durability == Durability::kNow,
                                             links == DestinationLinks::kFollow, methods_);
      methods_.written.Note(copied.device, to.host.folder, WindowsFolderOf(destination));
    } catch (const AppError& error) {
      // No EndChange: nothing was added, and the temporary file came and
      // went, so the folder's list is read again when next needed.
      for (const DriveMapping* drive : {from.drive, to.drive}) {
        if (!DriveReady(*drive)) throw About(source + " -> " + destination, DriveNotReady(*drive));
      }
      throw About(source + " -> " + destination, error);
    }
    resolver_.cache().EndChange(change, to.host.name);
  }

  FindHandle FindFirstFileA(const std::string& pattern, FindData* record) override;
  int FindNextFileA(FindHandle handle, FindData* record) override;

  void FlushWrites() override { methods_.written.Flush(); }

  bool LiesWithin(const std::string& path, const std::string& folder) override {
    try {
      const Located inner = Locate(path);
      const Located outer = Locate(folder);
      return HostFolderLiesWithin(inner.host.path, outer.host.path);
    } catch (const AppError&) {
      return false;
    }
  }
  void FindClose(FindHandle handle) override { listings_.erase(handle); }
  std::optional<AppError> LastFindFailure() const override { return lastFindFailure_; }

  std::vector<DriveInfo> Drives() override {
    std::vector<DriveInfo> drives;
    for (const DriveMapping& drive : drives_) drives.push_back({drive.letter, drive.label});
    return drives;
  }

  std::string CurrentFolder(char driveLetter) override {
    const DriveMapping* drive = DriveOf(driveLetter);
    if (drive == nullptr) {
      throw AppError(kErrDeviceUnavailable, std::string("no drive ") + driveLetter + ":");
    }
    if (!DriveReady(*drive)) throw DriveNotReady(*drive);
    return CurrentFolderText(drive->letter);
  }

 private:
  // --- Locating a Windows path on the host ---------------------------------

  const DriveMapping* DriveOf(char letter) const {
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    for (const DriveMapping& drive : drives_) {
      if (drive.letter == letter) return &drive;
    }
    return nullptr;
  }

  // A drive opens when its host folder is a folder this process may read.
  static bool DriveReady(const DriveMapping& drive) {
    struct stat st {};
    return ::stat(drive.hostRoot.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           ::access(drive.hostRoot.c_str(), R_OK | X_OK) == 0;
  }

  // A drive found ready is taken as ready for a moment without looking
  // again: a tree copy asks for every file. A drive gone meanwhile still
  // shows, as the failure of the call is checked again (Fail).
  void RequireDriveReady(const DriveMapping& drive, const std::string& path) {
    const auto now = std::chrono::steady_clock::now();
    auto& until = readyUntil_[drive.letter];
    if (now < until) return;
    if (!DriveReady(drive)) throw About(path, DriveNotReady(drive));
    until = now + std::chrono::seconds(1);
  }

  static AppError DriveNotReady(const DriveMapping& drive) {
    return AppError(kErrDiskNotReady, std::string("drive ") + drive.letter + ": \"" + drive.hostRoot +
                                          "\" is missing or cannot be read");
  }

  // The current folder; the root again once the folder has gone.
  std::string CurrentFolderText(char letter) {
    const auto it = current_.find(letter);
    if (it == current_.end()) return std::string{letter, ':', '\\'};
    try {
      const Located at = Locate(FormatWindowsPath(it->second), false);
      struct stat st {};
      if (::stat(at.host.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return FormatWindowsPath(it->second);
    } catch (const AppError&) {
    }
    return std::string{letter, ':', '\\'};
  }

  Located Locate(const std::string& path, bool relativeAllowed = true) {
    Located at;
    const CurrentFolderOf current = [this](char letter) { return CurrentFolderText(letter); };
    at.windows = ParseWindowsPath(path, relativeAllowed ? current : CurrentFolderOf{});
    at.drive = DriveOf(at.windows.drive);
    if (at.drive == nullptr) throw AppError(kErrPathNotFound, path + ": there is no such drive");
    RequireDriveReady(*at.drive, path);
    try {
      at.host = resolver_.Resolve(at.drive->hostRoot, at.windows.names);
    } catch (const AppError& error) {
      throw About(path, error);
    }
    return at;
  }

  // A destination found only by ignoring letter case is replaced, as on
  // Windows (a restore replaces "Vendrial.mdb" when asked for
  // "vendrial.mdb"). But when the source's own folder holds that very name
  // beside the source, the source folder tells the two apart, and a copy of
  // it must not let one replace the other: the given name is written.
  static void KeepCaseVariantsApart(const Located& from, Located& to) {
    if (to.host.givenName.empty() || from.host.folder.empty() || from.host.name == to.host.name) return;
    struct stat st {};
    if (::lstat(JoinHostPath(from.host.folder, to.host.name).c_str(), &st) != 0) return;
    to.host.name = to.host.givenName;
    to.host.givenName.clear();
    to.host.path = JoinHostPath(to.host.folder, to.host.name);
  }

  // With a trailing "/" when the text named a folder, so that the host
  // refuses a file there.
  static std::string FolderOnlyHostPath(const Located& at) {
    if (at.windows.folderOnly && !at.windows.names.empty()) return at.host.path + '/';
    return at.host.path;
  }

  // A failure on a drive that has stopped opening since (a disk taken out
  // during the call) is reported as that.
  [[noreturn]] static void Fail(const std::string& path, const DriveMapping* drive, const AppError& error) {
    if (!DriveReady(*drive)) throw About(path, DriveNotReady(*drive));
    throw About(path, error);
  }

  DriveTable drives_;
  std::map<char, WindowsPath> current_;
  std::map<char, std::chrono::steady_clock::time_point> readyUntil_;
  HostPathResolver resolver_;
  CopyMethods methods_;
  std::map<FindHandle, std::unique_ptr<FolderListing>> listings_;
  FindHandle nextHandle_ = 1;
  std::optional<AppError> lastFindFailure_;
};

// --- Listing ----------------------------------------------------------------

bool MatchesEverything(std::string_view pattern) { return pattern == "*" || pattern == "*.*"; }

FindHandle PosixFileSystem::FindFirstFileA(const std::string& pattern, FindData* record) {
  lastFindFailure_.reset();
  // "<folder>\<pattern>"; "C:*.*" lists the drive's current folder.
  std::size_t split = pattern.find_last_of("\\/");
  std::string folder;
  std::string name;
  if (split != std::string::npos) {
    folder = pattern.substr(0, split + 1);
    name = pattern.substr(split + 1);
  } else if (pattern.size() >= 2 && pattern[1] == ':') {
    folder = pattern.substr(0, 2);
    name = pattern.substr(2);
  } else {
    lastFindFailure_ = AppError(kErrPathNotFound, pattern + ": not a full path with a drive letter");
    return kInvalidHandle;
  }
  const bool everything = MatchesEverything(name);
  if (!everything &&
      (name.empty() || name == "." || name == ".." || name.find_first_of("*?") != std::string::npos)) {
    throw AppError(kErrInvalidCall, pattern + ": only \"*\", \"*.*\" and plain names are listed");
  }

  std::unique_ptr<FolderListing> listing;
  try {
    const Located at = Locate(folder);
    try {
      if (everything) {
        listing = FolderListing::All(at.host.path);
      } else {
        const HostPath entry = resolver_.Resolve(at.host.path, {name});
        listing = FolderListing::One(at.host.path, entry.name);
      }
    } catch (const AppError& error) {
      Fail(pattern, at.drive, error);
    }
    if (!listing->Next(record)) return kInvalidHandle;  // the folder exists; nothing matched
  } catch (const AppError& error) {
    lastFindFailure_ = error;
    return kInvalidHandle;
  }
  const FindHandle handle = nextHandle_++;
  listings_.emplace(handle, std::move(listing));
  return handle;
}

int PosixFileSystem::FindNextFileA(FindHandle handle, FindData* record) {
  const auto it = listings_.find(handle);
  lastFindFailure_.reset();
  if (it == listings_.end()) return 0;
  // A listing that breaks off must not pass for a complete one.
  try {
    return it->second->Next(record) ? 1 : 0;
  } catch (const AppError& error) {
    lastFindFailure_ = error;
    return 0;
  }
}

}  // namespace

std::unique_ptr<FileSystem> MakePosixFileSystem(DriveTable drives, std::string workingFolder) {
  return std::make_unique<PosixFileSystem>(std::move(drives), std::move(workingFolder));
}

}  // namespace bt
