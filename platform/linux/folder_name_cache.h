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
// created must not read it again for every file. For a moment after such a
// change (kOwnChangeTrust) the folder is not even looked at: a tree copy
// puts file after file into it, and looking cost as much as the copy. So a
// change by another program in that moment, or in the same clock tick as our
// reading, can go unseen; at worst a second name differing only in letter
// case appears, and a name the copy finds taken is handled when it takes it.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <chrono>
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

// How long after this process's own change a folder's list is trusted
// without looking at the folder.
constexpr std::chrono::milliseconds kOwnChangeTrust{500};

class FolderNameCache {
 public:
  explicit FolderNameCache(std::size_t capacity = 8) : capacity_(capacity) {}

  // The host names in hostFolder whose key is `key`, temporary copy names
  // left out; nullopt when the folder cannot be read.
  std::optional<std::vector<std::string>> Matches(const std::string& hostFolder, const std::string& key);

  // hostFolder is known, without a look at it, to hold no entry whose key
  // is `key`: this process changed it a moment ago and its list has none.
  bool KnownAbsent(const std::string& hostFolder, const std::string& key);

  // A folder this process has just created: known to be empty, without
  // reading it.
  void Created(const std::string& hostFolder);

  // Drops what is known of hostFolder, so that the next Matches reads it.
  void Forget(const std::string& hostFolder);
  void ForgetAll() { folders_.clear(); }

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
    // Our own change made since the stamp was taken, and when: the stamp
    // says nothing until it is taken again.
    bool changedSinceStamp = false;
    std::chrono::steady_clock::time_point ownChange{};
    std::unordered_map<std::string, std::vector<std::string>> byKey;
  };

  static bool StampOf(const std::string& hostFolder, Stamp* stamp);
  // Trusted without a look: our own change was made a moment ago.
  static bool JustChangedByUs(const Folder& folder);
  Folder* Find(const std::string& hostFolder);
  Folder* Read(const std::string& hostFolder);

  std::size_t capacity_;
  std::list<Folder> folders_;  // most recently used first
  std::size_t reads_ = 0;
};

}  // namespace bt
