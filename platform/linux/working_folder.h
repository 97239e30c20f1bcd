// Where a host folder lies in the Windows namespace of a drive table.
#pragma once

#include <optional>
#include <string>

#include "platform/linux/wine/drive_mapping.h"
#include "platform/windows_path.h"

namespace bt {

// The Windows path of hostFolder on the drive whose host folder contains it;
// where several do (Z: on "/" and C: on the prefix's drive_c), the longest
// host folder wins, and the first letter among equals. Both sides are
// compared with their links resolved. nullopt when no drive contains it.
std::optional<WindowsPath> WindowsPathOfHostFolder(const DriveTable& drives, const std::string& hostFolder);

}  // namespace bt
