// The FileSystem over a drive table. Sections: failures for the user; the
// operations on one path; copying; listing; the drives. Where Windows paths
// are on the host: host_locator.h; which entries the last listings
// delivered: listed_entries.h.
#include "platform/linux/linux_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <thread>

#include "platform/linux/copy_pool.h"
#include "platform/linux/destination_names.h"
#include "platform/linux/dos_attributes.h"
#include "platform/linux/file_copy.h"
#include "platform/linux/folder_identity.h"
#include "platform/linux/folder_lock.h"
#include "platform/linux/folder_listing.h"
#include "platform/linux/host_errors.h"
#include "platform/linux/host_locator.h"
#include "platform/linux/host_path_resolver.h"
#include "platform/linux/letter_case_folders.h"
#include "platform/linux/listed_entries.h"
#include "platform/linux/listing_handles.h"

namespace bt {
namespace {

// --- Failures for the user -------------------------------------------------

// What was being done, in the user's words and with Windows paths only; the
// host's own account stays in the host detail.
std::string Quoted(const std::string& windowsPath) { return "\"" + windowsPath + "\""; }

// The failure told as "<action>" or "<action>: <reason>", where the reason is
// what the layers below said in Portuguese, if anything.
AppError During(const std::string& action, const AppError& error) {
  return error.WithDetail(error.detail().empty() ? action : action + ": " + error.detail());
}

// The folder part of a Windows path text.
std::string WindowsFolderOf(const std::string& path) {
  const auto separator = path.find_last_of("\\/");
  return separator == std::string::npos ? path : path.substr(0, separator);
}

class LinuxFileSystem final : public FileSystem {
 public:
  LinuxFileSystem(DriveTable drives, std::string workingFolder, int copyWorkers)
      : locator_(std::move(drives), std::move(workingFolder)), pool_(copyWorkers) {}

  // --- The operations on one path ------------------------------------------

  std::uint32_t GetAttributes(const std::string& path) override {
    try {
      const Located at = Locate(path);
      struct stat st {};
      const std::string& host = at.host.path;
      if (::lstat(host.c_str(), &st) != 0) Fail(at.drive, HostError(errno, "examine", host));
      std::uint32_t link = 0;
      if (S_ISLNK(st.st_mode)) {
        // What the link leads to, marked as a link, as Windows shows one.
        link = kAttrReparsePoint;
        if (::stat(host.c_str(), &st) != 0) {
          if (at.windows.folderOnly) Fail(at.drive, HostError(errno, "examine", host));
          return kAttrReparsePoint | kAttrArchive;
        }
      }
      // A text ending in "\" names a folder only.
      if (at.windows.folderOnly && !S_ISDIR(st.st_mode)) {
        Fail(at.drive, HostError(ENOTDIR, "examine", FolderOnlyHostPath(at)));
      }
      return DosAttributes(at.host.path, at.host.name, st) | link;
    } catch (const AppError& error) {
      throw During("Ao examinar " + Quoted(path), error);
    }
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
    resolver().HoldFolders();  // a copy into the new folder follows
    try {
      const Located at = Locate(path);
      if (at.windows.names.empty()) {
        throw AppError(kErrPathFileAccess, "a pasta raiz de uma unidade sempre existe",
                       "\"" + at.host.path + "\" is a drive's root folder");
      }
      const FolderNameCache::Change change =
          resolver().cache().BeginChange(at.host.folder, at.host.folderMatched);
      const OpenFolderRef parent = resolver().Folder(at.host.folder);
      const EntryAt made = EntryIn(parent.get(), at.host.path);
      if (::mkdirat(made.folder, made.name.c_str(), 0777) != 0) {
        const int error = errno;
        // EEXIST is 58 elsewhere; creating a folder that exists is 75, as
        // MkDir reports it. A missing parent is always a missing path.
        const int number = error == EEXIST ? kErrPathFileAccess : ErrorNumberOf(error, kErrPathNotFound);
        Fail(at.drive, HostErrorNumbered(number, error, "create the folder", at.host.path));
      }
      resolver().cache().EndChange(change, at.host.name);
      resolver().cache().Created(at.host.path);
      NoteWritten(at, parent.get(), WindowsFolderOf(path));
    } catch (const AppError& error) {
      throw During("Ao criar a pasta " + Quoted(path), error);
    }
  }

  void RemoveFile(const std::string& path) override {
    try {
      const Located at = Locate(path);
      if (at.windows.names.empty() || at.windows.folderOnly) {
        throw AppError(kErrPathFileAccess, "o caminho não é um nome de arquivo",
                       "\"" + at.host.path + "\" is not a file name");
      }
      struct stat st {};
      if (::lstat(at.host.path.c_str(), &st) != 0) Fail(at.drive, HostError(errno, "examine", at.host.path));
      if (S_ISDIR(st.st_mode)) {
        throw HostErrorNumbered(kErrPathFileAccess, EISDIR, "remove", at.host.path).WithDetail("é uma pasta");
      }
      if (::unlink(at.host.path.c_str()) != 0) Fail(at.drive, HostError(errno, "remove", at.host.path));
      resolver().cache().Forget(at.host.folder);
    } catch (const AppError& error) {
      throw During("Ao remover " + Quoted(path), error);
    }
  }

  void RemoveEmptyFolder(const std::string& path) override {
    try {
      const Located at = Locate(path);
      if (at.windows.names.empty()) {
        throw AppError(kErrPathFileAccess, "a pasta raiz de uma unidade não pode ser removida",
                       "\"" + at.host.path + "\" is a drive's root folder");
      }
      struct stat st {};
      if (::lstat(at.host.path.c_str(), &st) != 0) {
        Fail(at.drive, HostErrorNumbered(ErrorNumberOf(errno, kErrPathNotFound), errno, "examine", at.host.path));
      }
      if (!S_ISDIR(st.st_mode)) {
        throw HostErrorNumbered(kErrPathFileAccess, ENOTDIR, "remove the folder", at.host.path)
            .WithDetail("não é uma pasta");
      }
      if (::rmdir(at.host.path.c_str()) != 0) {
        const int error = errno;
        // A folder that still holds something stays, whoever put it there.
        const int number = (error == ENOTEMPTY || error == EEXIST) ? kErrPathFileAccess
                                                                    : ErrorNumberOf(error, kErrPathNotFound);
        Fail(at.drive, HostErrorNumbered(number, error, "remove the folder", at.host.path));
      }
      createdOn_.erase(at.host.path);
      resolver().Removed(at.host.path);
      resolver().cache().Forget(at.host.path);
      resolver().cache().Forget(at.host.folder);
    } catch (const AppError& error) {
      throw During("Ao remover a pasta " + Quoted(path), error);
    }
  }

  void RenameFolder(const std::string& path, const std::string& newName) override {
    try {
      const Located from = Locate(path);
      if (from.windows.names.empty()) {
        throw AppError(kErrPathFileAccess, "a pasta raiz de uma unidade não pode ser renomeada",
                       "\"" + from.host.path + "\" is a drive's root folder");
      }
      struct stat st {};
      if (::lstat(from.host.path.c_str(), &st) != 0) {
        Fail(from.drive, HostErrorNumbered(ErrorNumberOf(errno, kErrPathNotFound), errno, "examine", from.host.path));
      }
      if (!S_ISDIR(st.st_mode)) {
        throw HostErrorNumbered(kErrPathFileAccess, ENOTDIR, "rename", from.host.path).WithDetail("não é uma pasta");
      }
      if (newName.empty() || newName == "." || newName == ".." || newName.find_first_of("\\/") != std::string::npos) {
        throw AppError(kErrPathFileAccess, "o novo nome " + Quoted(newName) + " não é um nome de pasta",
                       "\"" + newName + "\" is not a bare name");
      }
      const Located to = Locate(WindowsFolderOf(path) + "\\" + newName);
      if (to.host.exists) {
        throw HostErrorNumbered(kErrFileExists, EEXIST, "rename to", to.host.path).WithDetail("o nome já existe");
      }
      // The name is checked above; RENAME_NOREPLACE also keeps an entry made
      // meanwhile, where the file system offers it (FUSE may not).
      if (::renameat2(AT_FDCWD, from.host.path.c_str(), AT_FDCWD, to.host.path.c_str(), RENAME_NOREPLACE) != 0) {
        const int error = errno;
        if (error != EINVAL || ::rename(from.host.path.c_str(), to.host.path.c_str()) != 0) {
          Fail(from.drive, HostError(error == EINVAL ? errno : error, "rename", from.host.path));
        }
      }
      // Both names changed in the parent: it is read again when next needed,
      // and a folder held open under the old name is let go.
      resolver().Removed(from.host.path);
      resolver().cache().Forget(from.host.path);
      resolver().cache().Forget(from.host.folder);
      createdOn_.erase(from.host.path);
    } catch (const AppError& error) {
      throw During("Ao renomear a pasta " + Quoted(path) + " para " + Quoted(newName), error);
    }
  }

  // --- Copying ---------------------------------------------------------------

  using FileSystem::CopyWholeFile;
  void CopyWholeFile(const std::string& source, const std::string& destination, Durability durability,
                     DestinationLinks links) override {
    const DriveMapping* drives[2] = {};
    const std::string action = "Ao copiar " + Quoted(source) + " para " + Quoted(destination);
    // A copy of the past that failed is reported first: it came earlier.
    Pooled([&] { pool_.ThrowKnownFailure(); });
    std::function<void()> background;
    resolver().HoldFolders();  // the next copies go into the same folders
    try {
      DosAttribValue sourceDosAttrib;
      const Located from = LocateSource(source, &sourceDosAttrib);
      drives[0] = from.drive;
      Located to = Locate(destination);
      drives[1] = to.drive;
      if (to.windows.names.empty() || to.windows.folderOnly) {
        throw AppError(kErrPathFileAccess, "o destino não é um nome de arquivo",
                       "\"" + to.host.path + "\" is not a file name");
      }
      SettleName(from, to);
      const FolderNameCache::Change change =
          resolver().cache().BeginChange(to.host.folder, to.host.folderMatched);
      // No EndChange on failure: nothing was added, and the temporary file
      // came and went, so the folder's list is read again when next needed.
      CopyRequest request{from.host.path,
                          to.host.path,
                          durability == Durability::kNow,
                          links == DestinationLinks::kFollow,
                          std::move(sourceDosAttrib),
                          !to.host.exists,
                          resolver().Folder(from.host.folder),
                          resolver().Folder(to.host.folder)};
      if (InBackground(durability, to)) {
        // The name is the copy's from now: a failure forgets every name.
        resolver().cache().EndChange(change, to.host.name);
        background = [this, request = std::move(request), windowsFolder = WindowsFolderOf(destination), action,
                      drives] {
          try {
            const CopiedFile copied = CopyHostFile(request, methods_);
            methods_.written.Note(copied.device, copied.folder, windowsFolder);
          } catch (const AppError& error) {
            throw During(action, AsDriveNotReady(drives, error));
          }
        };
      } else {
        const CopiedFile copied = CopyHostFile(request, methods_);
        methods_.written.Note(copied.device, copied.folder, WindowsFolderOf(destination));
        if (!copied.replaced && NameMayBeAltered(to.host.name)) RequireExactName(to);
        resolver().cache().EndChange(change, to.host.name);
        return;
      }
    } catch (const AppError& error) {
      throw During(action, AsDriveNotReady(drives, error));
    }
    // Outside the above: what Submit throws is an earlier copy's failure,
    // told already.
    Pooled([&] { pool_.Submit(std::move(background)); });
  }

  void FlushWrites() override {
    // What the operation made, it has finished with; the next may find
    // other drives mounted in the same places.
    createdOn_.clear();
    letterCase_.Forget();
    resolver().ReleaseFolders();
    try {
      FinishCopies();
    } catch (...) {
      // What was written before the failure is flushed all the same.
      try {
        methods_.written.Flush();
      } catch (...) {
      }
      throw;
    }
    methods_.written.Flush();
  }

  void FinishCopies() override {
    Pooled([&] { pool_.Finish(); });
  }

  bool LiesWithin(const std::string& path, const std::string& folder) override {
    try {
      const Located inner = Locate(path);
      const Located outer = Locate(folder);
      return HostFolderLiesWithin(inner.host.path, outer.host.path);
    } catch (const AppError&) {
      return false;
    }
  }

  bool KeepsLetterCase(const std::string& folder) override {
    try {
      const Located at = Locate(folder);
      return letterCase_.KeepsLetterCase(at.host.path);
    } catch (const AppError&) {
      return false;
    }
  }

  std::unique_ptr<OperationLock> LockForOperation(const std::string& folder,
                                                  std::chrono::milliseconds wait) override {
    std::string host;
    try {
      host = Locate(folder).host.path;
    } catch (const AppError&) {
      return std::make_unique<OperationLock>();  // no such drive: the operation says so itself
    }
    return LockHostFolder(host, wait);
  }

  // --- Listing -------------------------------------------------------------

  FindHandle FindFirstFileA(const std::string& pattern, FindData* record) override;
  int FindNextFileA(FindHandle handle, FindData* record) override;
  void FindClose(FindHandle handle) override { listings_.Close(handle); }
  std::optional<AppError> LastFindFailure() const override { return lastFindFailure_; }

  // --- The drives ------------------------------------------------------------

  std::vector<DriveInfo> Drives() override {
    std::vector<DriveInfo> drives;
    for (const DriveMapping& drive : locator_.drives()) drives.push_back({drive.letter, drive.label});
    return drives;
  }

  std::string CurrentFolder(char driveLetter) override {
    const DriveMapping* drive = locator_.DriveOf(driveLetter);
    if (drive == nullptr) {
      const std::string letter{driveLetter, ':'};
      throw AppError(kErrDeviceUnavailable, "a unidade " + letter + " não existe", "no drive " + letter);
    }
    if (!DriveReady(*drive)) throw DriveNotReady(*drive);
    return locator_.CurrentFolderText(drive->letter);
  }

 private:
  Located Locate(const std::string& path) { return locator_.Locate(path); }
  HostPathResolver& resolver() { return locator_.resolver(); }

  // The file system of a folder just made, noted for the flush. A folder
  // made here a moment ago is on its parent's file system (no mount point
  // can be on it yet): a tree of new folders is not looked at again for each.
  void NoteWritten(const Located& made, const OpenFolder* parent, const std::string& windowsFolder) {
    dev_t device = 0;
    const auto known = createdOn_.find(made.host.folder);
    struct stat st {};
    if (known != createdOn_.end()) {
      device = known->second;
    } else if (parent ? ::fstat(parent->fd(), &st) == 0 : ::stat(made.host.folder.c_str(), &st) == 0) {
      device = st.st_dev;
    } else {
      return;
    }
    methods_.written.Note(device, made.host.folder, windowsFolder);
    if (createdOn_.size() >= 4096) createdOn_.clear();
    createdOn_[made.host.path] = device;
  }

  // Copies of a tree's files run beside the next ones, where the name they
  // take is sure to be theirs: on a drive that tells letter case apart, so
  // that two names differing only in case cannot meet in one file (on a
  // drive that does not, the name checks need each copy done before the
  // next), and for a name no drive alters.
  bool InBackground(Durability durability, const Located& to) {
    if (!pool_.background() || durability != Durability::kAtFlush || NameMayBeAltered(to.host.name)) return false;
    return letterCase_.KeepsLetterCase(to.host.folder);
  }

  // Runs a call on the pool; a failure of a copy made in the background
  // leaves the names the cache took for its copies in doubt.
  template <typename Call>
  void Pooled(Call&& call) {
    try {
      call();
    } catch (...) {
      resolver().cache().ForgetAll();
      throw;
    }
  }

  // The source of a tree copy is, as a rule, an entry one of the last two
  // listings delivered a moment ago (the copy lists a folder, and may list
  // its destination, before it copies the folder's files): where it is on
  // the host and its user.DOSATTRIB are known.
  Located LocateSource(const std::string& source, DosAttribValue* dosAttrib) {
    const ListedEntry* listed = listed_.Find(source);
    if (listed == nullptr) return Locate(source);
    locator_.RequireDriveReady(*listed->drive);
    Located at;
    at.drive = listed->drive;
    at.host.folder = listed->hostFolder;
    at.host.name = listed->hostName;
    at.host.path = JoinHostPath(at.host.folder, at.host.name);
    at.host.exists = true;
    *dosAttrib = listed->dosAttrib;
    return at;
  }

  // Notes the entry a listing just delivered.
  void NoteListed(const OpenListingInfo& listing, const FindData& record, const FolderListing& folder) {
    listed_.Note(listing.windowsFolder + record.cFileName,
                 ListedEntry{listing.drive, listing.hostFolder, folder.hostName(), folder.dosAttrib()});
  }

  // Which entry the copy takes: see destination_names.h.
  void SettleName(const Located& from, Located& to) {
    const std::string name = SettleDestinationName(resolver().cache(), from.host, to.host);
    if (name == to.host.name) return;
    to.host.name = name;
    to.host.givenName.clear();
    to.host.path = JoinHostPath(to.host.folder, name);
    to.host.exists = false;
  }

  // A new file whose name the drive may store under another form: if it did,
  // the copy is taken back (it may not stand under a name nobody asked for)
  // and refused.
  void RequireExactName(const Located& to) {
    if (ListedExactly(resolver().cache(), to.host.folder, to.host.name)) return;
    ::unlink(to.host.path.c_str());
    throw AppError(kErrPathFileAccess, "a unidade de destino não aceita o nome \"" + to.windows.names.back() + "\"",
                   "\"" + to.host.path + "\" was stored under another name");
  }

  HostLocator locator_;
  LetterCaseFolders letterCase_;
  std::map<std::string, dev_t> createdOn_;  // folders made here, and their file system
  CopyMethods methods_;
  ListingHandles listings_;
  ListedEntries listed_;
  std::optional<AppError> lastFindFailure_;
  // Last, so that it goes first: copies still queued when the file system
  // is destroyed run to their end while the members they use are alive.
  CopyPool pool_;
};

// --- Listing ----------------------------------------------------------------

FindHandle LinuxFileSystem::FindFirstFileA(const std::string& pattern, FindData* record) {
  lastFindFailure_.reset();
  listed_.StartListing();
  const ListingPattern split = SplitListingPattern(pattern);
  const std::string& folder = split.folder;
  const std::string& name = split.name;
  const bool everything = split.everything;
  if (folder.empty()) {
    lastFindFailure_ = AppError(kErrPathNotFound, "Ao listar " + Quoted(pattern) + ": não é um caminho completo",
                                "\"" + pattern + "\" is not a full path with a drive letter");
    return kInvalidHandle;
  }
  if (!everything && !split.plain) {
    throw AppError(kErrInvalidCall, "Ao listar " + Quoted(pattern) + ": só \"*\", \"*.*\" e nomes simples",
                   "\"" + pattern + "\": only \"*\", \"*.*\" and plain names are listed");
  }

  std::unique_ptr<FolderListing> listing;
  OpenListingInfo info;
  try {
    const Located at = Locate(folder);
    info = OpenListingInfo{at.drive, folder, at.host.path};
    try {
      if (everything) {
        listing = FolderListing::All(at.host.path, resolver().Folder(at.host.path).get());
      } else {
        const HostPath entry = resolver().Resolve(at.host.path, {name});
        listing = FolderListing::One(at.host.path, entry.name);
      }
    } catch (const AppError& error) {
      Fail(at.drive, error);
    }
    if (!listing->Next(record)) return kInvalidHandle;  // the folder exists; nothing matched
  } catch (const AppError& error) {
    lastFindFailure_ = During("Ao listar a pasta " + Quoted(folder), error);
    return kInvalidHandle;
  }
  NoteListed(info, *record, *listing);
  return listings_.Add(OpenListing{std::move(listing), std::move(info)});
}

int LinuxFileSystem::FindNextFileA(FindHandle handle, FindData* record) {
  OpenListing* open = listings_.Find(handle);
  lastFindFailure_.reset();
  if (open == nullptr) return 0;
  // A listing that breaks off must not pass for a complete one.
  try {
    if (!open->listing->Next(record)) return 0;
    NoteListed(open->info, *record, *open->listing);
    return 1;
  } catch (const AppError& error) {
    lastFindFailure_ = During("Ao listar a pasta " + Quoted(open->info.windowsFolder), error);
    return 0;
  }
}

}  // namespace

std::unique_ptr<FileSystem> MakeLinuxFileSystem(DriveTable drives, std::string workingFolder, int copyWorkers) {
  return std::make_unique<LinuxFileSystem>(std::move(drives), std::move(workingFolder), copyWorkers);
}

int DefaultCopyWorkers() {
  // Two cores copy side by side; more threads than that only queue for the
  // same file system's locks.
  const unsigned cores = std::thread::hardware_concurrency();
  return cores >= 2 ? 2 : 0;
}

}  // namespace bt
