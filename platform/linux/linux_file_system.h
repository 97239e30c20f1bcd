// The file system on Linux, in the Windows namespace of a drive table.
#pragma once

#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/linux/wine/drive_mapping.h"

namespace bt {

// workingFolder is the host folder that gives a drive its current folder:
// the drive whose host folder contains it opens there, the others at their
// root. Empty: the process's working folder. copyWorkers: threads that copy
// a tree's files beside the walk (see copy_pool.h); 0 copies every file
// within its call, in order, as the tests that count host calls need.
std::unique_ptr<FileSystem> MakeLinuxFileSystem(DriveTable drives, std::string workingFolder = {},
                                                int copyWorkers = 0);

// The copy workers the program uses on this machine.
int DefaultCopyWorkers();

}  // namespace bt
