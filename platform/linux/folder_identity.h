// Whether one host folder lies inside another, judged by what the folders
// are (device and inode) rather than by how their paths are written: a link
// or a second drive letter leading into a folder is inside it.
#pragma once

#include <string>

namespace bt {

// True when the folder at hostPath, or while it does not exist yet the
// nearest existing folder on its way, is hostFolder or lies below it: its
// own folder and each parent up to the root (the real parents, whatever
// links the path went through) are compared with hostFolder. False when
// hostFolder is not a folder. Never throws.
bool HostFolderLiesWithin(const std::string& hostPath, const std::string& hostFolder);

}  // namespace bt
