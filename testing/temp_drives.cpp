// The part of TempDrives both platforms share; the host folders are made
// and named in temp_drives_linux.cpp and temp_drives_win32.cpp.
#include "testing/temp_drives.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/windows_path.h"

namespace bt::doubles {
namespace {

namespace fs = std::filesystem;

#if defined(_WIN32)
constexpr char kHostSeparator = '\\';
#else
constexpr char kHostSeparator = '/';
#endif

// A host path as the standard library takes it: UTF-8 whatever the code page.
fs::path HostPath(const std::string& host) {
  return fs::path(std::u8string(host.begin(), host.end()));
}

}  // namespace

std::string TempDrives::AddDrive(char letter, bool openable) {
  letter = UpperDriveLetter(letter);
  const std::string host = root_ + kHostSeparator + "drive_" + static_cast<char>(letter - 'A' + 'a');
  if (openable) fs::create_directory(HostPath(host));
  drives_.push_back({letter, host});
  std::sort(drives_.begin(), drives_.end(), [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
  return host;
}

void TempDrives::AddDriveOver(char letter, const std::string& hostFolder) {
  drives_.push_back({UpperDriveLetter(letter), hostFolder});
  std::sort(drives_.begin(), drives_.end(), [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
}

std::string TempDrives::Host(const std::string& windowsPath) const {
  if (windowsPath.size() < 2 || windowsPath[1] != ':') {
    throw std::invalid_argument("not a path on a drive: " + windowsPath);
  }
  const char letter = UpperDriveLetter(windowsPath[0]);
  const auto drive = std::find_if(drives_.begin(), drives_.end(), [&](const Drive& d) { return d.letter == letter; });
  if (drive == drives_.end()) throw std::invalid_argument("no such test drive: " + windowsPath);
  std::string host = drive->hostRoot;
  std::size_t start = 2;
  while (start < windowsPath.size()) {
    std::size_t end = windowsPath.find_first_of("\\/", start);
    if (end == std::string::npos) end = windowsPath.size();
    if (end > start) host += kHostSeparator + HostName(windowsPath.substr(start, end - start));
    start = end + 1;
  }
  return host;
}

void TempDrives::WriteFile(const std::string& windowsPath, const std::string& content) const {
  const fs::path host = HostPath(Host(windowsPath));
  fs::create_directories(host.parent_path());
  std::ofstream out(host, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out.flush()) throw std::runtime_error("cannot write " + Host(windowsPath));
}

std::string TempDrives::ReadFile(const std::string& windowsPath) const {
  std::ifstream in(HostPath(Host(windowsPath)), std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + Host(windowsPath));
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void TempDrives::MakeFolder(const std::string& windowsPath) const {
  fs::create_directories(HostPath(Host(windowsPath)));
}

}  // namespace bt::doubles
