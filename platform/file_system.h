// The file-system operations of the system, on Windows path texts.
//
// Paths are full Windows paths ("C:\Dir\file", "\" separators, UTF-8 text);
// letter case is ignored when a path is resolved, as on Windows. Every
// failing operation throws AppError with the classic number (53 file not
// found, 58 file exists, 61 disk full, 70 permission denied, 71 disk not
// ready, 75 path/file access error, 76 path not found), a Portuguese detail
// naming the Windows paths concerned, and the host's own cause in its host
// detail. The listing calls alone report failure by their result.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/error.h"

namespace bt {

constexpr std::uint32_t kAttrReadOnly = 0x01;
constexpr std::uint32_t kAttrHidden = 0x02;
constexpr std::uint32_t kAttrSystem = 0x04;
constexpr std::uint32_t kAttrDirectory = 0x10;
constexpr std::uint32_t kAttrArchive = 0x20;
// The entry is itself a link (a symbolic link, a junction); the other bits
// describe what it leads to, or a file when it leads nowhere.
constexpr std::uint32_t kAttrReparsePoint = 0x400;

// Names cross as UTF-8, so a name of up to 255 characters may need more
// bytes than Windows' MAX_PATH (260); a host name of 255 bytes whose every
// byte is carried as a private-use character takes 765.
constexpr std::size_t kFindNameBytes = 1024;

// The two fields of WIN32_FIND_DATAA that the system reads.
struct FindData {
  std::uint32_t dwFileAttributes = 0;
  char cFileName[kFindNameBytes] = {};  // the name, up to the first NUL
};

using FindHandle = std::intptr_t;
constexpr FindHandle kInvalidHandle = -1;

// When a copy must be safe from a power cut. Either way the destination's
// final name appears only with the whole content.
enum class Durability {
  // A replaced file is on the disk before the call returns: for files whose
  // loss nothing else would make good, the database and the options file.
  kNow,
  // On the disk after the next FlushWrites of its file system: for the many
  // files of a tree, where a flush per file would cost more than the copy.
  kAtFlush,
};

// What a copy does with a link it finds at its destination.
enum class DestinationLinks {
  // Followed: the installation's own links (a database or a "Fotos" kept on
  // another disk) lead to what is to be replaced.
  kFollow,
  // Never followed: a backup set holds only what the program made, so a link
  // there was planted by someone else. A link in the place of the file is
  // replaced itself, its target untouched. (A link in the place of a folder
  // is the caller's to refuse: GetAttributes shows it.)
  kReplace,
};

// One drive of the drive list.
struct DriveInfo {
  char letter = 'C';  // upper case
  std::string hint;   // what the drive is: a volume label or its host folder
};

// The user's detail of the 70 that LockForOperation throws.
inline constexpr const char* kOperationUnderWay =
    "Outra cópia de segurança ou restauração do Tarvel 2.0 está em andamento neste computador; "
    "tente novamente quando ela terminar.";

// Held while the object lives (FileSystem::LockForOperation). One made by
// its default constructor holds nothing.
class OperationLock {
 public:
  OperationLock() = default;
  virtual ~OperationLock() = default;
  OperationLock(const OperationLock&) = delete;
  OperationLock& operator=(const OperationLock&) = delete;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The attribute bits of an existing file or folder, links followed, with
  // kAttrReparsePoint added when the last name is itself a link; a link
  // that leads nowhere is kAttrReparsePoint | kAttrArchive. Throws 53 or 76
  // when the path does not exist, 71 when its drive cannot be opened.
  virtual std::uint32_t GetAttributes(const std::string& path) = 0;

  // True when path names a file that is neither a folder, hidden nor system.
  // Never throws.
  virtual bool OrdinaryFileExists(const std::string& path) = 0;

  // Creates one folder whose parent exists. Throws 75 when it exists
  // already, 76 when the parent is missing. Nothing is created on failure.
  virtual void CreateFolder(const std::string& path) = 0;

  // Copies one whole file to the full destination path, replacing an
  // existing file whatever the letter case of its name. The destination's
  // final name appears only with the whole content: on failure the
  // destination is as it was before the call. A file that replaces another
  // keeps the permissions (and, where the host allows, the owner) of the one
  // it replaces; a new file gets the source's, as the host's defaults allow.
  // Refuses (70) a source or an existing destination that another program
  // has open for writing, as Windows refuses to share it, checked again just
  // before the copy takes the destination's name. Refuses (58) a copy onto
  // a file that the destination's drive cannot tell from another file of
  // the source's folder (names differing only in letter case on a drive
  // that ignores it), rather than let one replace the other.
  virtual void CopyWholeFile(const std::string& source, const std::string& destination,
                             Durability durability, DestinationLinks links) = 0;
  void CopyWholeFile(const std::string& source, const std::string& destination,
                     Durability durability = Durability::kNow) {
    CopyWholeFile(source, destination, durability, DestinationLinks::kFollow);
  }

  // Takes back what a failed operation made. Removes one file (a link at
  // path is removed itself, never what it leads to). Throws 53 when it is
  // missing, 75 when path names a folder.
  virtual void RemoveFile(const std::string& path) = 0;
  // Removes one folder that holds nothing. Throws 75 when it holds anything
  // or is no folder, 76 when it is missing; nothing is removed then.
  virtual void RemoveEmptyFolder(const std::string& path) = 0;
  // Gives the folder at path the name newName (a bare name) in the folder
  // that holds it, in one step: the folder is found under one name or the
  // other, never half of it under each. Never replaces anything: throws 58
  // when an entry of that name exists there (letter case ignored), 76 when
  // path is missing, 75 when path is a drive's root, a file or a link (a
  // link is never renamed, nor what it leads to).
  virtual void RenameFolder(const std::string& path, const std::string& newName) = 0;

  // Makes durable every file and folder written through this object since
  // the last call, on every file system they went to, after waiting for the
  // copies still running (FinishCopies). An operation calls it before it
  // reports success, and before it reports a failure.
  virtual void FlushWrites() = 0;

  // A copy with Durability::kAtFlush may still be running when its call
  // returns, beside the next ones; its failure then surfaces at a later call.
  // This waits for every such copy and throws the failure of the earliest
  // one submitted that failed, which comes before any failure of a later
  // call: an operation that fails calls it first, to report the first
  // failure. Where copies end within their call, there is nothing to wait.
  virtual void FinishCopies() {}

  // True when the folder that path names (or, while it does not exist yet,
  // the nearest existing folder on its way) is the folder `folder` itself or
  // lies anywhere below it, whatever way either text takes there (links, a
  // second drive letter for the same host folder). False when `folder` does
  // not exist. Never throws.
  virtual bool LiesWithin(const std::string& path, const std::string& folder) = 0;

  // Whether the drive of `folder` keeps apart two names that differ only in
  // letter case ("foto.jpg" beside "Foto.jpg"), as that drive itself shows
  // it; false where it cannot be told. Never throws.
  virtual bool KeepsLetterCase(const std::string& folder) = 0;

  // One backup or restore at a time on one installation folder, whichever
  // program, process or user runs it: held while the returned object lives,
  // taken and released on one thread. The folder is judged by what it is,
  // not by its text: "C:\Tarvel" and the same folder through
  // "Z:\...\drive_c\Tarvel" are one lock. Waits up to `wait` for another
  // holder, then throws 70 saying that another backup or restore is under
  // way. A folder that does not exist (or that this process cannot open)
  // gives a lock that holds nothing: the operation then fails on its own.
  virtual std::unique_ptr<OperationLock> LockForOperation(const std::string& folder,
                                                          std::chrono::milliseconds wait) = 0;

  // The listing keeps the names of the Windows calls it stands for, but its
  // patterns and names are UTF-8 like every path here, never the ANSI code
  // page that the "A" would say.
  //
  // Starts a listing of the entries matching pattern ("<folder>\*.*"),
  // fills *record with the first and returns a handle; kInvalidHandle when
  // the listing cannot be started, and then LastFindFailure() tells why.
  virtual FindHandle FindFirstFileA(const std::string& pattern, FindData* record) = 0;
  // Fills *record with the next entry and returns nonzero; 0 when none is
  // left or the listing broke off, and then LastFindFailure() tells which.
  virtual int FindNextFileA(FindHandle handle, FindData* record) = 0;
  virtual void FindClose(FindHandle handle) = 0;
  // Why the last FindFirstFileA returned kInvalidHandle, or the last
  // FindNextFileA returned 0: nullopt when the folder exists and simply had
  // no (more) matching entries, else the failure (the folder is missing or
  // cannot be read), so that a caller never takes a broken listing for a
  // complete one.
  virtual std::optional<AppError> LastFindFailure() const = 0;

  // The drives, in letter order, openable or not.
  virtual std::vector<DriveInfo> Drives() = 0;
  // The drive's current folder: "C:\" for a root, "C:\Copias" for another.
  virtual std::string CurrentFolder(char driveLetter) = 0;
};

}  // namespace bt
