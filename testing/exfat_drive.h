// A real exFAT file system for tests, as a USB stick brings one: an image
// file on a loop device, mounted through FUSE. Such a drive ignores letter
// case in its lookups, refuses some names and shows every file as 0777.
// Needs root, loop devices and FUSE, and Debian's exfatprogs and exfat-fuse;
// where one is missing the drive is not mounted and skipReason() says why.
#pragma once

#include <string>

namespace bt::doubles {

class ExfatDrive {
 public:
  ExfatDrive();   // never throws: see mounted()
  ~ExfatDrive();  // unmounts, detaches and removes everything
  ExfatDrive(const ExfatDrive&) = delete;
  ExfatDrive& operator=(const ExfatDrive&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& skipReason() const { return skipReason_; }
  // The mounted drive's folder.
  const std::string& hostRoot() const { return mountPoint_; }

 private:
  std::string folder_;  // holds the image and the mount point
  std::string image_;
  std::string loopDevice_;
  std::string mountPoint_;
  bool mounted_ = false;
  std::string skipReason_;
};

}  // namespace bt::doubles
