// Moving a file's bytes into its copy: a clone where the file systems share
// blocks, else copy_file_range, else read and write; whatever a pair of file
// systems cannot serve is learnt once and not tried again.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

#include "platform/linux/copy_methods.h"
#include "platform/linux/temporary_file.h"

namespace bt {

// Copies the whole content of the open source `in` (whose fstat is
// sourceStat) into out, on the file system destinationDevice, up to the
// source's real end. Throws AppError: 61 for a full disk, 70 for a refused
// write, the read's own failure as the source's.
void CopyContent(int in, const struct stat& sourceStat, const TemporaryFile& out, dev_t destinationDevice,
                 const std::string& source, CopyMethods& methods);

}  // namespace bt
