// A file system of a test's own, mounted on a folder made for it: a tmpfs,
// or an XFS image on a loop device (as a second disk). Needs root, and for
// XFS loop devices and Debian's xfsprogs; where mounting is refused nothing
// is mounted and skipReason() says why.
#pragma once

#include <string>

namespace bt::doubles {

class ScratchMount {
 public:
  enum class Kind { kTmpfs, kXfsImage };
  explicit ScratchMount(Kind kind);  // never throws: see mounted()
  ~ScratchMount();                   // unmounts and removes everything
  ScratchMount(const ScratchMount&) = delete;
  ScratchMount& operator=(const ScratchMount&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& skipReason() const { return skipReason_; }
  // The mounted file system's root folder.
  const std::string& hostRoot() const { return mountPoint_; }

 private:
  void MountTmpfs();
  void MountXfsImage();

  std::string folder_;  // holds the mount point (and the image)
  std::string mountPoint_;
  bool mounted_ = false;
  std::string skipReason_;
};

}  // namespace bt::doubles
