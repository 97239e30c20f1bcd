// The recursive copy: one file, or one folder with everything below it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace bt {

// Copies source to destination and returns how many entries it handled.
// The files of a tree are durable after the file system's next FlushWrites.
// A file is copied to exactly the destination path and counts 1. A folder's
// contents land directly in destination, which is created when missing (its
// parent must exist) and then counts 1; every entry below source counts 1,
// "Thumbs.db" files included although they are not copied. Either path may
// end in "\" or not. Throws AppError on the first failure and leaves what
// was copied so far: 6 for a count overflow, 75 when destination is source
// itself or lies inside it (by what the folders are, whatever the texts
// say), 75 with DestinationLinks::kReplace when a folder the copy would
// write into is a link that it did not make.
std::int32_t CopyPath(FileSystem& files, std::string source, std::string destination,
                      DestinationLinks links = DestinationLinks::kFollow);

// Copies the entries of the folder source into the existing folder
// destination, both ending in "\", and returns how many entries it met.
// A subfolder that exists at the destination already is copied into;
// files there are replaced.
std::int32_t CopyFolderContents(FileSystem& files, const std::string& source,
                                const std::string& destination,
                                DestinationLinks links = DestinationLinks::kFollow);

}  // namespace bt
