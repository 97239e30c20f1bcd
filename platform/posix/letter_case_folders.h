// Whether a host folder tells apart names that differ only in letter case.
#pragma once

#include <string>

namespace bt {

// True only where that is certain: ext2/3/4, XFS, Btrfs, tmpfs and F2FS,
// unless the folder folds case (the casefold attribute). False where unsure:
// FAT, exFAT, NTFS, network and FUSE file systems, a folder that cannot be
// examined.
bool FolderKeepsLetterCase(const std::string& hostFolder);

}  // namespace bt
