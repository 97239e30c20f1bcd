// The removable volumes of a machine without a Wine prefix.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/wine/drive_mapping.h"

namespace bt {

// The mount points listed in the text of /proc/self/mountinfo (field 5, with
// its octal escapes such as "\040" for a space undone), in file order.
std::vector<std::string> MountPointsOf(std::string_view mountinfo);

// C: on "/", then the mount points of the form /media/<user>/<volume> or
// /run/media/<user>/<volume>, in name order, each on the next free letter
// from D: to Z:. Each volume's label is its folder name.
DriveTable DriveTableWithoutPrefix(const std::vector<std::string>& mountPoints);

}  // namespace bt
