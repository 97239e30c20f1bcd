#include "platform/linux/written_file_systems.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "platform/error.h"
#include "platform/linux/host_calls.h"
#include "platform/linux/host_errors.h"

namespace bt {

WrittenFileSystems::~WrittenFileSystems() {
  for (auto& [device, noted] : noted_) {
    if (noted.fd >= 0) ::close(noted.fd);
  }
}

void WrittenFileSystems::Note(dev_t device, const std::string& hostFolder, const std::string& windowsFolder) {
  const std::lock_guard lock(mutex_);
  if (noted_.contains(device)) return;
  int fd = ::open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // A folder elsewhere would flush another file system: the whole system's
  // flush is then the one that reaches this one.
  struct stat st {};
  if (fd >= 0 && (::fstat(fd, &st) != 0 || st.st_dev != device)) {
    ::close(fd);
    fd = -1;
  }
  noted_[device] = Noted{fd, windowsFolder};
}

void WrittenFileSystems::Flush() {
  std::optional<AppError> failure;
  for (auto& [device, noted] : noted_) {
    // A folder that could not be opened when noted leaves the whole
    // system's flush as the only way to reach its file system.
    const int result = noted.fd >= 0 ? CopyCalls().syncfs(noted.fd) : (::sync(), 0);
    const int error = errno;
    if (result != 0 && !failure) {
      failure = HostError(error, "flush the file system of", "(device " + std::to_string(device) + ")")
                    .WithDetail("Ao gravar no disco os arquivos copiados para \"" + noted.windowsFolder + "\"");
    }
    if (noted.fd >= 0) ::close(noted.fd);
  }
  noted_.clear();
  if (failure) throw *failure;
}

}  // namespace bt
