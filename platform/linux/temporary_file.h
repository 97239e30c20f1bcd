// The file a copy writes before it takes the destination's name.
//
// With no name at all where the host allows it (O_TMPFILE: it vanishes by
// itself if the copy fails or the process dies), else under a hidden
// temporary name, created exclusively and locked (flock) while the copy
// runs, so that a copy killed half-way leaves a file that nobody holds; such
// leftovers are removed once clearly stale. Every host call goes through
// the copy's table (CopyCalls), so that a test can fail any of them.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>

#include "platform/linux/open_folders.h"
#include "platform/temporary_names.h"

namespace bt {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  ~FileDescriptor();
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  // Closes now, reporting the failure a write-back may only show here.
  int Close();

 private:
  int fd_;
};

class TemporaryFile {
 public:
  // A new file in the host folder `folder`, created with the permission
  // bits `mode` (less the umask). unnamed: the destination does not exist,
  // so the file may be written without a name and linked into place.
  // open: the folder, held open (it must outlive this object); the calls
  // then go relative to it.
  TemporaryFile(const std::string& folder, bool unnamed, mode_t mode, const OpenFolder* open = nullptr);
  // A named file not yet in place is removed.
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int fd() const { return file_->get(); }
  // For messages; a made-up name while the file has none.
  const std::string& path() const { return path_; }
  bool unnamed() const { return unnamed_; }

  // Gives the complete file the name `destination`, which was free when
  // looked at: a link for an unnamed file, a rename that replaces nothing
  // for a named one. False when the name has been taken since: nothing
  // changed then, and the caller decides whether to replace what is there.
  // Where the file system cannot rename without replacing (FAT through
  // FUSE), the name is looked at once more just before the rename.
  bool TakeNewName(const std::string& destination);
  // Puts the complete file in the place of `destination`, replacing what is
  // there, a file or a link itself (never what a link leads to).
  void ReplaceAt(const std::string& destination);

 private:
  void Close();
  void Rename(const std::string& destination);
  void GiveTemporaryName();
  EntryAt At(const std::string& hostPath) const { return EntryIn(open_, hostPath); }

  std::string folder_;
  const OpenFolder* open_ = nullptr;
  std::string path_;
  std::unique_ptr<FileDescriptor> file_;
  bool placed_ = false;
  bool unnamed_ = false;
};

// Removes the temporary files of hostFolder (names that pass the check of
// temporary_names.h) that nobody holds locked, whose name was made at least
// minimumAge ago and that have been untouched as long (their status change
// time, which the copy's own writes move and no program can set back);
// returns how many. A file merely named like one is never touched. Never
// throws: a leftover that cannot be removed stays, hidden from listings.
// open: hostFolder, held open, to read it through.
int RemoveStaleTemporaryFiles(const std::string& hostFolder,
                              std::chrono::seconds minimumAge = kStaleTemporaryAge,
                              const OpenFolder* open = nullptr);

}  // namespace bt
