// The entries of one folder, read whole through the file system's listing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace bt {

struct FolderEntry {
  std::string name;
  std::uint32_t attributes = 0;
};

// The entries of folder (ending in "\"), "." and ".." left out. Throws the
// listing's failure when it cannot start or breaks off, so that a folder
// that cannot be read never passes for an emptier one.
std::vector<FolderEntry> FolderEntries(FileSystem& files, const std::string& folder);

}  // namespace bt
