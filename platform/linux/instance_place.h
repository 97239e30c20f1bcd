// Where the programs of one user and one Wine prefix meet, so that only the
// first opens a window: a lock file that the first holds for its whole life,
// and the Unix socket it listens on for later starts. Both are named after
// the user and the prefix's real path, so a prefix reached through a link,
// or written with a trailing "/", is the same prefix.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace bt {

struct InstancePlace {
  std::string lockFile;
  std::string socket;
};

// In $XDG_RUNTIME_DIR/BackupTarvel, else in BackupTarvel-<uid> under
// $TMPDIR, else under /tmp: the first of these that is (or can be made) a
// folder of this user's that nobody else may enter, and whose socket path
// fits a Unix address. nullopt when none does: every program then opens its
// own window, as before there was a place.
std::optional<InstancePlace> InstancePlaceFor(const std::string& winePrefix,
                                              const std::function<const char*(const char*)>& environment);

// The first program's lock, flock on the lock file, held while the object
// lives; in the program that is its whole life, and the kernel lets go when
// it ends, however it ends.
class InstanceLock {
 public:
  enum class State {
    kTaken,          // by this object
    kHeldElsewhere,  // by another program, the first
    kUnavailable,    // the lock file cannot be opened or locked: nobody to wait for
  };

  explicit InstanceLock(std::string lockFile) : lockFile_(std::move(lockFile)) {}
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // Tries once, without waiting; kTaken again once taken.
  State TryTake();

 private:
  std::string lockFile_;
  int descriptor_ = -1;
  bool taken_ = false;
};

}  // namespace bt
