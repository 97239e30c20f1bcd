#include "testing/exfat_drive.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "testing/host_programs.h"

namespace bt::doubles {
namespace fs = std::filesystem;

ExfatDrive::ExfatDrive() {
  if (::geteuid() != 0) {
    skipReason_ = "mounting an exFAT image needs root";
    return;
  }
  folder_ = MakeTestFolder("bt-exfat");
  if (folder_.empty()) {
    skipReason_ = "no temporary folder for the image";
    return;
  }
  image_ = folder_ + "/pendrive.img";
  mountPoint_ = folder_ + "/pendrive";
  std::error_code error;
  fs::create_directory(mountPoint_, error);
  {
    const int fd = ::open(image_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const bool sized = fd >= 0 && ::ftruncate(fd, 32 << 20) == 0;
    if (fd >= 0) ::close(fd);
    if (!sized) {
      skipReason_ = "cannot make the image file";
      return;
    }
  }
  if (!RunHostProgram({"mkfs.exfat", "-L", "PENDRIVE", image_})) {
    skipReason_ = "mkfs.exfat failed or is missing (Debian's exfatprogs)";
    return;
  }
  std::string device;
  if (!RunHostProgram({"losetup", "-f", "--show", image_}, &device) || device.empty()) {
    skipReason_ = "no loop device could be attached";
    return;
  }
  while (!device.empty() && (device.back() == '\n' || device.back() == ' ')) device.pop_back();
  loopDevice_ = device;
  const std::string owner = "uid=" + std::to_string(::geteuid()) + ",gid=" + std::to_string(::getegid());
  if (!RunHostProgram({"mount.exfat-fuse", "-o", owner, loopDevice_, mountPoint_})) {
    skipReason_ = "mount.exfat-fuse failed or is missing (Debian's exfat-fuse, and /dev/fuse)";
    return;
  }
  mounted_ = true;
}

ExfatDrive::~ExfatDrive() {
  if (mounted_ && !RunHostProgram({"umount", mountPoint_})) RunHostProgram({"umount", "-l", mountPoint_});
  if (!loopDevice_.empty()) RunHostProgram({"losetup", "-d", loopDevice_});
  std::error_code error;
  if (!folder_.empty()) fs::remove_all(folder_, error);
}

}  // namespace bt::doubles
