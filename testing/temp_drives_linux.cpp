// TempDrives on Linux: folders under $TMPDIR, the Linux file system over
// them as a drive table.
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/linux/host_names.h"
#include "platform/linux/linux_file_system.h"
#include "testing/temp_drives.h"

namespace bt::doubles {
namespace {

namespace fs = std::filesystem;

// Makes every folder below root enterable and writable again, so that a test
// that took permissions away still leaves nothing behind.
void RestorePermissions(const fs::path& root) {
  std::error_code error;
  fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, error);
  for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_directory(error) && !it->is_symlink(error)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
    error.clear();
  }
}

}  // namespace

TempDrives::TempDrives() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/bt-drives-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::system_error(errno, std::generic_category(), "mkdtemp " + pattern);
  }
  root_ = pattern;
}

TempDrives::~TempDrives() {
  std::error_code error;
  RestorePermissions(root_);
  fs::remove_all(root_, error);
}

std::string TempDrives::HostName(const std::string& windowsName) { return WindowsNameToHost(windowsName); }

DriveTable TempDrives::table() const {
  DriveTable table;
  for (const Drive& drive : drives_) table.push_back({drive.letter, drive.hostRoot, drive.hostRoot});
  return table;
}

std::unique_ptr<FileSystem> TempDrives::MakeFileSystem(const std::string& workingWindowsFolder) const {
  // The temporary root lies on none of the drives, so that by default every
  // drive opens at its root whatever the process's working folder is.
  return MakeLinuxFileSystem(table(), workingWindowsFolder.empty() ? root_ : Host(workingWindowsFolder));
}

}  // namespace bt::doubles
