// Host folders held open during a tree copy, so that the calls on their
// entries go relative to them (fstatat, mkdirat, openat, linkat,
// renameat2...) instead of walking each path from "/" again: in a tree a
// thousand folders deep that walk cost more than the copy. A folder is
// opened relative to its parent when the parent is open.
//
// An open folder stays the folder it was when opened: if another program
// renames or replaces it meanwhile, the calls still go into the one opened
// (a folder removed meanwhile takes no new entries: they fail as missing).
// So the file system keeps folders open only while a copy runs, and forgets
// them when the operation flushes its writes; nothing stays open between
// operations, which would keep a removable disk from being ejected.
#pragma once

#include <fcntl.h>

#include <memory>
#include <string>
#include <unordered_map>

namespace bt {

class OpenFolder {
 public:
  OpenFolder(std::string hostPath, int fd) : path_(std::move(hostPath)), fd_(fd) {}
  ~OpenFolder();
  OpenFolder(const OpenFolder&) = delete;
  OpenFolder& operator=(const OpenFolder&) = delete;

  const std::string& path() const { return path_; }
  int fd() const { return fd_; }  // O_PATH: a folder to go relative to, nothing more

 private:
  std::string path_;
  int fd_;
};

// Shared with the copies still queued, which keep it open until they end.
using OpenFolderRef = std::shared_ptr<const OpenFolder>;

// Where a host call finds an entry: relative to an open folder, or by its
// whole path (folder AT_FDCWD) where none is open.
struct EntryAt {
  int folder = AT_FDCWD;
  std::string name;
};

// The entry hostPath relative to `folder` when it is the folder that holds
// it, else by its whole path.
EntryAt EntryIn(const OpenFolder* folder, const std::string& hostPath);

class OpenFolders {
 public:
  // The folder hostFolder, open; nullptr when it cannot be opened, or when
  // its entries' paths could pass the host's limit on a path's length (the
  // calls by path then meet that limit as they always did).
  OpenFolderRef Open(const std::string& hostFolder);

  // hostFolder and every folder below it, removed or to be looked at anew.
  void Forget(const std::string& hostFolder);
  void ForgetAll() { open_.clear(); }

 private:
  std::unordered_map<std::string, OpenFolderRef> open_;
};

}  // namespace bt
