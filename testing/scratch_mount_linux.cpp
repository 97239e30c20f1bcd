#include "testing/scratch_mount.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "testing/host_programs.h"

namespace bt::doubles {

namespace fs = std::filesystem;

ScratchMount::ScratchMount(Kind kind) {
  if (::geteuid() != 0) {
    skipReason_ = "mounting a file system needs root";
    return;
  }
  folder_ = MakeTestFolder("bt-mount");
  if (folder_.empty()) {
    skipReason_ = "no temporary folder for the mount point";
    return;
  }
  mountPoint_ = folder_ + "/raiz";
  std::error_code error;
  fs::create_directory(mountPoint_, error);
  if (kind == Kind::kTmpfs) {
    MountTmpfs();
  } else {
    MountXfsImage();
  }
}

void ScratchMount::MountTmpfs() {
  if (::mount("bt-test", mountPoint_.c_str(), "tmpfs", 0, "size=16m,mode=0755") != 0) {
    skipReason_ = std::string("mounting a tmpfs was refused: ") + std::strerror(errno);
    return;
  }
  mounted_ = true;
}

// XFS takes no image under 300 MB; a sparse one costs only what is written.
void ScratchMount::MountXfsImage() {
  const std::string image = folder_ + "/disco.img";
  const int fd = ::open(image.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  const bool sized = fd >= 0 && ::ftruncate(fd, off_t{320} << 20) == 0;
  if (fd >= 0) ::close(fd);
  if (!sized) {
    skipReason_ = "cannot make the image file";
    return;
  }
  if (!RunHostProgram({"mkfs.xfs", "-q", image})) {
    skipReason_ = "mkfs.xfs failed or is missing (Debian's xfsprogs)";
    return;
  }
  // The loop device goes with the unmount.
  if (!RunHostProgram({"mount", "-o", "loop", image, mountPoint_})) {
    skipReason_ = "the XFS image could not be mounted (no loop device, or the kernel refused it)";
    return;
  }
  mounted_ = true;
}

ScratchMount::~ScratchMount() {
  if (mounted_ && ::umount(mountPoint_.c_str()) != 0) ::umount2(mountPoint_.c_str(), MNT_DETACH);
  std::error_code error;
  if (!folder_.empty()) fs::remove_all(folder_, error);
}

}  // namespace bt::doubles
