// The entries of recently searched host folders, grouped by their Windows
// name in lower case, so that finding a name ignoring letter case does not
// read a large folder again for every file copied into it.
//
// A folder's entry list is trusted while the folder's modification and
// change times stay as they were when it was read, and only when it was read
// well after its last change (a change in the same clock tick would leave the
// times as they were; FAT keeps them to 2 seconds). Changes this process
// makes itself are added to the list between BeginChange and EndChange, and
// the list is trusted from then on, however recent: a copy into a folder just
// created must not read it again for every file. So a change by another
// program in the same clock tick as our reading or our own change can go
// unseen; at worst a second name differing only in letter case appears.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <ctime>
#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace bt {

// The Windows name of a host name in lower case: equal keys match ignoring case.
std::string CaseKey(std::string_view hostName);

class FolderNameCache {
 public:
  explicit FolderNameCache(std::size_t capacity = 8) : capacity_(capacity) {}

  // The host names in hostFolder whose key is `key`, temporary copy names
  // left out; nullopt when the folder cannot be read.
  std::optional<std::vector<std::string>> Matches(const std::string& hostFolder, const std::string& key);

  // Drops what is known of hostFolder, so that the next Matches reads it.
  void Forget(const std::string& hostFolder);

  // Brackets a change this process makes in hostFolder (a file or folder
  // added or replaced). justMatched: Matches found the folder's list current
  // as part of the same call, so it need not be looked at again.
  struct Change {
    std::string hostFolder;
    bool wasCurrent = false;
  };
  Change BeginChange(const std::string& hostFolder, bool justMatched = false);
  void EndChange(const Change& change, const std::string& addedHostName);

  // How many times a folder was read, for tests of the cache itself.
  std::size_t reads() const { return reads_; }

 private:
  struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
    timespec changed{};
    bool operator==(const Stamp& other) const;
  };
  struct Folder {
    std::string hostFolder;
    Stamp stamp;
    bool trusted = false;
    std::unordered_map<std::string, std::vector<std::string>> byKey;
  };

  static bool StampOf(const std::string& hostFolder, Stamp* stamp);
  Folder* Find(const std::string& hostFolder);
  Folder* Read(const std::string& hostFolder);

  std::size_t capacity_;
  std::list<Folder> folders_;  // most recently used first
  std::size_t reads_ = 0;
};

}  // namespace bt
