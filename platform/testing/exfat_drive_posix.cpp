#include "platform/testing/exfat_drive.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace bt::testing {
namespace {

namespace fs = std::filesystem;

// Runs a program with its output thrown away (or captured); true when it
// ran and succeeded.
bool Run(std::vector<std::string> args, std::string* output = nullptr) {
  int pipeFds[2] = {-1, -1};
  if (output != nullptr && ::pipe(pipeFds) != 0) return false;
  const pid_t pid = ::fork();
  if (pid < 0) return false;
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(output != nullptr ? pipeFds[1] : null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  if (output != nullptr) {
    ::close(pipeFds[1]);
    std::array<char, 256> buffer{};
    ssize_t got = 0;
    while ((got = ::read(pipeFds[0], buffer.data(), buffer.size())) > 0) output->append(buffer.data(), got);
    ::close(pipeFds[0]);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

ExfatDrive::ExfatDrive() {
  if (::geteuid() != 0) {
    skipReason_ = "mounting an exFAT image needs root";
    return;
  }
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/bt-exfat-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    skipReason_ = "no temporary folder for the image";
    return;
  }
  folder_ = pattern;
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
  if (!Run({"mkfs.exfat", "-L", "PENDRIVE", image_})) {
    skipReason_ = "mkfs.exfat failed or is missing (Debian's exfatprogs)";
    return;
  }
  std::string device;
  if (!Run({"losetup", "-f", "--show", image_}, &device) || device.empty()) {
    skipReason_ = "no loop device could be attached";
    return;
  }
  while (!device.empty() && (device.back() == '\n' || device.back() == ' ')) device.pop_back();
  loopDevice_ = device;
  const std::string owner = "uid=" + std::to_string(::geteuid()) + ",gid=" + std::to_string(::getegid());
  if (!Run({"mount.exfat-fuse", "-o", owner, loopDevice_, mountPoint_})) {
    skipReason_ = "mount.exfat-fuse failed or is missing (Debian's exfat-fuse, and /dev/fuse)";
    return;
  }
  mounted_ = true;
}

ExfatDrive::~ExfatDrive() {
  if (mounted_ && !Run({"umount", mountPoint_})) Run({"umount", "-l", mountPoint_});
  if (!loopDevice_.empty()) Run({"losetup", "-d", loopDevice_});
  std::error_code error;
  if (!folder_.empty()) fs::remove_all(folder_, error);
}

}  // namespace bt::testing
