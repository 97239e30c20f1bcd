// The file-system operations of the system, on Windows path texts.
//
// Paths are full Windows paths ("C:\Dir\file", "\" separators, UTF-8 text);
// letter case is ignored when a path is resolved, as on Windows. Every
// failing operation throws AppError with the classic number (53 file not
// found, 58 file exists, 61 disk full, 70 permission denied, 71 disk not
// ready, 75 path/file access error, 76 path not found) and the host's cause
// in its detail. The listing calls alone report failure by their result.
#pragma once

#include <cstdint>
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
  // On the disk after the next FlushToDisk of its file system: for the many
  // files of a tree, where a flush per file would cost more than the copy.
  kAtFlush,
};

// One drive of the drive list.
struct DriveInfo {
  char letter = 'C';  // upper case
  std::string hint;   // what the drive is: a volume label or its host folder
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The attribute bits of an existing file or folder; throws 53 or 76 when
  // the path does not exist, 71 when its drive cannot be opened.
  virtual std::uint32_t GetAttributes(const std::string& path) = 0;

  // True when path names a file that is neither a folder, hidden nor system.
  // Never throws.
  virtual bool OrdinaryFileExists(const std::string& path) = 0;

  // Creates one folder whose parent exists. Throws 75 when it exists
  // already, 76 when the parent is missing. Nothing is created on failure.
  virtual void CreateFolder(const std::string& path) = 0;

  // Copies one whole file to the full destination path, replacing an
  // existing file. The destination's final name appears only with the whole
  // content: on failure the destination is as it was before the call.
  // Refuses (70) a source or an existing destination that another program
  // has open for writing, as Windows refuses to share it.
  virtual void CopyWholeFile(const std::string& source, const std::string& destination,
                             Durability durability) = 0;
  void CopyWholeFile(const std::string& source, const std::string& destination) {
    CopyWholeFile(source, destination, Durability::kNow);
  }

  // Makes every copy made so far on the file system holding path durable;
  // an operation calls it before it reports success.
  virtual void FlushToDisk(const std::string& path) = 0;

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
