// The drives of the Windows namespace on Linux and the host folder of each.
#pragma once

#include <string>

#include "platform/linux/wine/drive_mapping.h"

namespace bt {

// The drives of a Wine prefix: each entry "x:" of its dosdevices/ folder that
// is a symbolic link (relative links resolve against dosdevices/). Entries
// that are not drives ("com1", "d::") are left out. Sorted by letter.
DriveTable DriveTableFromWinePrefix(const std::string& prefix);

// The drives of this machine: those of the Wine prefix the program works in
// (wine_prefixes.h); when it has none, C: is "/" and each volume mounted
// under /media/*/* or /run/media/*/* gets the next free letter from D:.
DriveTable MachineDriveTable(const std::string& winePrefix);

}  // namespace bt
