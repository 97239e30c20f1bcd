// The machine's drives as the drive list shows them.
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace bt {

// Every drive of GetLogicalDrives, in letter order, with its kind and, for a
// fixed disk, its volume label as the hint ("Disco local: SISTEMA",
// "Disquete", "Unidade de rede"). Removable, optical and network drives are
// not asked for a label: an empty floppy drive or an unreachable server
// would keep the list waiting.
std::vector<DriveInfo> MachineDrives();

}  // namespace bt
