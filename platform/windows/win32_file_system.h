// The file system on Windows, through the wide calls and "\\?\" paths.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace bt {

// The machine's own drives. Also stops the system from asking the user
// about a drive without a disk (SetErrorMode(SEM_FAILCRITICALERRORS)): an
// empty floppy or card reader is then simply not ready (71).
std::unique_ptr<FileSystem> MakeWin32FileSystem();

// A drive whose paths lead into a folder, for tests that need drives of
// their own: root is a full Windows path ("Z:\tmp\bt-drives-1\drive_c"); a
// root that does not exist is a drive without a disk.
struct FolderDrive {
  char letter = 'C';  // upper case
  std::string root;
  std::string hint;
};

// Only these drives exist; workingFolder ("C:\Copias", on one of them) is
// its drive's current folder, every other drive opens at its root.
std::unique_ptr<FileSystem> MakeWin32FileSystemOver(std::vector<FolderDrive> drives,
                                                    std::string workingFolder = {});

}  // namespace bt
