#include "platform/testing/temp_drives.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "platform/posix/host_names.h"
#include "platform/posix/posix_file_system.h"

namespace bt::testing {
namespace {

namespace fs = std::filesystem;

char Upper(char letter) { return (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A') : letter; }

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

std::string TempDrives::AddDrive(char letter, bool openable) {
  letter = Upper(letter);
  const std::string host = root_ + "/drive_" + static_cast<char>(letter - 'A' + 'a');
  if (openable) fs::create_directory(host);
  table_.push_back({letter, host, host});
  std::sort(table_.begin(), table_.end(), [](const DriveMapping& a, const DriveMapping& b) { return a.letter < b.letter; });
  return host;
}

std::string TempDrives::Host(const std::string& windowsPath) const {
  if (windowsPath.size() < 2 || windowsPath[1] != ':') {
    throw std::invalid_argument("not a path on a drive: " + windowsPath);
  }
  const char letter = Upper(windowsPath[0]);
  const auto drive = std::find_if(table_.begin(), table_.end(), [&](const DriveMapping& d) { return d.letter == letter; });
  if (drive == table_.end()) throw std::invalid_argument("no such test drive: " + windowsPath);
  std::string host = drive->hostRoot;
  std::size_t start = 2;
  while (start < windowsPath.size()) {
    std::size_t end = windowsPath.find_first_of("\\/", start);
    if (end == std::string::npos) end = windowsPath.size();
    if (end > start) host += '/' + WindowsNameToHost(windowsPath.substr(start, end - start));
    start = end + 1;
  }
  return host;
}

void TempDrives::WriteFile(const std::string& windowsPath, const std::string& content) const {
  const fs::path host = Host(windowsPath);
  fs::create_directories(host.parent_path());
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out.flush()) throw std::runtime_error("cannot write " + host.string());
}

std::string TempDrives::ReadFile(const std::string& windowsPath) const {
  const std::string host = Host(windowsPath);
  std::ifstream in(host, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + host);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void TempDrives::MakeFolder(const std::string& windowsPath) const { fs::create_directories(Host(windowsPath)); }

std::unique_ptr<FileSystem> TempDrives::MakeFileSystem(const std::string& workingWindowsFolder) const {
  // The temporary root lies on none of the drives, so that by default every
  // drive opens at its root whatever the process's working folder is.
  return MakePosixFileSystem(table_, workingWindowsFolder.empty() ? root_ : Host(workingWindowsFolder));
}

}  // namespace bt::testing
