#include "platform/linux/wine/mount_table.h"

#include <algorithm>

namespace bt {
namespace {

std::string Unescape(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string_view octal = field.substr(i + 1, 3);
      if (std::all_of(octal.begin(), octal.end(),
                                           [](char c) { return c >= '0' && c <= '7'; })) {
        out += static_cast<char>(((octal[0] - '0') << 6) | ((octal[1] - '0') << 3) | (octal[2] - '0'));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

// The folder name of a removable volume's mount point, or "" when the mount
// point is not one.
std::string VolumeName(const std::string& mountPoint) {
  std::string_view rest;
  for (std::string_view base : {"/media/", "/run/media/"}) {
    if (mountPoint.starts_with(base)) {
      rest = std::string_view(mountPoint).substr(base.size());
      break;
    }
  }
  const auto slash = rest.find('/');
  if (slash == std::string_view::npos || slash == 0) return {};
  const std::string_view volume = rest.substr(slash + 1);
  if (volume.empty() || volume.find('/') != std::string_view::npos) return {};
  return std::string(volume);
}

}  // namespace

std::vector<std::string> MountPointsOf(std::string_view mountinfo) {
  std::vector<std::string> points;
  std::size_t lineStart = 0;
  while (lineStart < mountinfo.size()) {
    std::size_t lineEnd = mountinfo.find('\n', lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = mountinfo.size();
    const std::string_view line = mountinfo.substr(lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 1;

    // Fields: id parent major:minor root mount-point ...
    std::size_t pos = 0;
    for (int field = 0; field < 4 && pos != std::string_view::npos; ++field) {
      pos = line.find(' ', pos);
      if (pos != std::string_view::npos) ++pos;
    }
    if (pos == std::string_view::npos || pos >= line.size()) continue;
    const std::size_t end = std::min(line.find(' ', pos), line.size());
    points.push_back(Unescape(line.substr(pos, end - pos)));
  }
  return points;
}

DriveTable DriveTableWithoutPrefix(const std::vector<std::string>& mountPoints) {
  DriveTable table{{'C', "/", "/"}};
  std::vector<std::string> volumes;
  for (const std::string& point : mountPoints) {
    if (!VolumeName(point).empty()) volumes.push_back(point);
  }
  std::sort(volumes.begin(), volumes.end());
  volumes.erase(std::unique(volumes.begin(), volumes.end()), volumes.end());
  char letter = 'D';
  for (const std::string& volume : volumes) {
    if (letter > 'Z') break;
    table.push_back({letter++, volume, VolumeName(volume)});
  }
  return table;
}

}  // namespace bt
