#include "platform/linux/wine/drive_table.h"

#include <dirent.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/linux/wine/mount_table.h"
#include "platform/windows_path.h"

namespace bt {
namespace {

namespace fs = std::filesystem;

// "c:" -> 'C'; 0 for anything else ("com1", "d::", "unc").
char DriveLetterOfEntry(std::string_view name) {
  if (name.size() != 2 || name[1] != ':') return 0;
  const char letter = UpperDriveLetter(name[0]);
  return letter >= 'A' && letter <= 'Z' ? letter : 0;
}

std::string ReadLink(const std::string& path) {
  std::error_code error;
  const fs::path target = fs::read_symlink(path, error);
  return error ? std::string() : target.string();
}

// The absolute folder a link target names; a relative target counts from the
// folder that holds the link. Links along the way are resolved as far as the
// path exists, so that a root can be compared with the working folder.
std::string AbsoluteTarget(const std::string& linkFolder, const std::string& target) {
  const fs::path joined = fs::path(linkFolder) / target;  // an absolute target replaces
  std::error_code error;
  fs::path resolved = fs::weakly_canonical(joined, error);
  if (error) resolved = joined.lexically_normal();
  std::string text = resolved.string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

DriveTable DriveTableFromWinePrefix(const std::string& prefix) {
  DriveTable table;
  const std::string devices = prefix + "/dosdevices";
  DIR* folder = opendir(devices.c_str());
  if (folder == nullptr) return table;
  while (const dirent* entry = readdir(folder)) {
    const char letter = DriveLetterOfEntry(entry->d_name);
    if (letter == 0) continue;
    const std::string target = ReadLink(devices + "/" + entry->d_name);
    if (target.empty()) continue;  // not a symbolic link
    if (std::any_of(table.begin(), table.end(), [&](const DriveMapping& d) { return d.letter == letter; })) {
      continue;  // "c:" and "C:" side by side: the first one read stands
    }
    const std::string root = AbsoluteTarget(devices, target);
    table.push_back({letter, root, root});
  }
  closedir(folder);
  std::sort(table.begin(), table.end(),
            [](const DriveMapping& a, const DriveMapping& b) { return a.letter < b.letter; });
  return table;
}

DriveTable MachineDriveTable(const std::string& winePrefix) {
  DriveTable table = DriveTableFromWinePrefix(winePrefix);
  if (!table.empty()) return table;
  return DriveTableWithoutPrefix(MountPointsOf(ReadWholeFile("/proc/self/mountinfo")));
}

}  // namespace bt
