// Keeping a file's metadata in its copy: the source's modification time and
// user.DOSATTRIB; for a copy that replaces a file, the owner and permission
// bits of the one it replaces.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include "platform/linux/dos_attributes.h"
#include "platform/linux/temporary_file.h"

namespace bt {

// Gives out the source's user.DOSATTRIB (as known, else read from `in`)
// and, last since writing moves it, its modification time. Throws AppError
// when the destination refuses either; a file system without extended
// attributes is no failure.
void KeepMetadata(int in, const struct stat& sourceStat, const DosAttribValue& dosAttrib, const TemporaryFile& out);

// A file that replaces another takes its place wholly: the owner and the
// permission bits of the one replaced (whose lstat is `replaced`), not of a
// backup on a stick mounted with 0777 for everything; createdBits are the
// bits out was created with. Changing the owner needs privileges the
// process may lack; the file is then the process's own, as cp leaves it.
void AdoptReplacedOwnership(const TemporaryFile& out, mode_t createdBits, const struct stat& replaced);

}  // namespace bt
