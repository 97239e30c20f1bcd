// Whether a host folder tells apart names that differ only in letter case.
//
// Decided by what the folder does, not by the kind of file system: XFS may
// have been made case-insensitive, and FUSE, network and unknown file
// systems say nothing by their type. A probe creates a new, uniquely named
// entry and looks it up under another letter case.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>

namespace bt {

// True only where the probe found the name in another letter case free
// beside the entry it made; false where that name found the entry, where
// the folder folds case by its own flag (the casefold attribute), and where
// the folder could not be asked (it cannot be examined or written). The
// probe's entry is a temporary copy name, removed at once; one left by a
// crash is cleared as a stale temporary file.
bool FolderKeepsLetterCase(const std::string& hostFolder);

// The answers for many folders, probing each file system once: a folder's
// answer is its file system's, unless the folder folds case by its flag.
// For one thread.
class LetterCaseFolders {
 public:
  bool KeepsLetterCase(const std::string& hostFolder);
  // Forgets every answer, so that a drive mounted since in the place of
  // another, or on a reused device number, is asked afresh.
  void Forget();

 private:
  std::map<std::string, bool> byFolder_;
  std::map<dev_t, bool> byFileSystem_;
};

}  // namespace bt
