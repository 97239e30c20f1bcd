// One folder listing, as FindFirstFileA and FindNextFileA deliver it.
//
// The names are read when the listing starts; each entry's attributes when
// it is delivered. "." and ".." come first, as Wine reports them, then the
// entries in the order the host yields them. A link shows what it leads to
// with kAttrReparsePoint added; one that leads nowhere (photos on a drive
// that is not mounted) shows as a file, so that copying it fails and names
// it rather than pass over it. Left out: the temporary files of unfinished
// copies, entries gone since the listing started, and folders that lead back
// to the listed folder or one of its ancestors (a link to a parent, a bind
// mount), so that a tree copy can never go round in a loop; what they lead
// to is copied through its own path.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/linux/dos_attributes.h"
#include "platform/linux/open_folders.h"

namespace bt {

class FolderListing {
 public:
  ~FolderListing();
  FolderListing(const FolderListing&) = delete;
  FolderListing& operator=(const FolderListing&) = delete;
  // Every entry of hostFolder. Throws AppError when the folder cannot be
  // read (76 missing or not a folder, 70 permission denied, 57 I/O error).
  // open: hostFolder, held open, to read it through.
  static std::unique_ptr<FolderListing> All(const std::string& hostFolder, const OpenFolder* open = nullptr);
  // Only the entry hostName of hostFolder, if it exists.
  static std::unique_ptr<FolderListing> One(const std::string& hostFolder, const std::string& hostName);

  // Fills *record with the next entry; false when none is left. Throws
  // AppError for an entry that cannot be examined (an I/O error), so that a
  // copy is never silently cut short.
  bool Next(FindData* record);

  // The entry Next delivered last: its host name and its user.DOSATTRIB,
  // for a copy of it that follows at once.
  const std::string& hostName() const { return lastHostName_; }
  const DosAttribValue& dosAttrib() const { return lastDosAttrib_; }

 private:
  explicit FolderListing(std::string hostFolder);
  // Opens the folder itself, so that its entries are looked at relative to
  // it: their paths are not walked again from "/" for each, which in a tree
  // a thousand folders deep would cost more than the copy.
  void OpenHostFolder(const bt::OpenFolder* open);
  void ReadNames();
  void NoteAncestors();
  bool LeadsBack(const struct stat& st);

  std::string hostFolder_;
  int folderFd_ = -1;  // O_PATH
  std::string procFolder_;  // "/proc/self/fd/<folderFd_>/", for the xattr calls
  std::vector<std::string> names_;
  // Per name: it may be a symbolic link (or the host did not say).
  std::vector<bool> mayBeLink_;
  std::size_t next_ = 0;
  dev_t device_ = 0;  // the listed folder's
  // Noted only when a link or a mount point is met: in a deep tree, noting
  // every ancestor for every listing would cost more than the copy.
  bool ancestorsNoted_ = false;
  std::vector<std::pair<dev_t, ino_t>> ancestors_;
  std::string lastHostName_;
  DosAttribValue lastDosAttrib_;
};

}  // namespace bt
