// Which host entry a copy's destination name stands for, and whether the
// copy may take it.
//
// A file found under another letter case is replaced, as on Windows: a
// restore of "vendrial.mdb" replaces "VENDRIAL.MDB". On a drive that ignores
// letter case (FAT, exFAT, a case-folding folder) the host's own lookup of
// the exact name finds that other entry too, so what an entry is really
// called is read from its folder's listing. When the entry found is another
// file of the source's own folder ("b.jpg" beside "B.jpg" on the Linux
// side), the two must not become one: a drive that tells letter case apart
// gets the name as given, beside the other; one that does not, cannot hold
// both, and the copy is refused. A drive that stores a name as another
// (FAT drops a trailing dot or space) is found out after the name is taken.
#pragma once

#include <string>

#include "platform/linux/folder_name_cache.h"
#include "platform/linux/host_path_resolver.h"

namespace bt {

// The host name the copy of `from` writes in to.folder, given what the
// resolver found for the destination. Throws AppError 58 when the
// destination's drive cannot tell the name from another file of the
// source's folder, 58 when that drive holds the name under another form.
std::string SettleDestinationName(FolderNameCache& cache, const HostPath& from, const HostPath& to);

// A name that FAT-family drives store under another form (a trailing dot or
// space, dropped), so that the copy must look whether it got its name.
bool NameMayBeAltered(const std::string& hostName);

// After a new entry `hostName` was made in hostFolder: whether the folder
// lists it under exactly that name.
bool ListedExactly(FolderNameCache& cache, const std::string& hostFolder, const std::string& hostName);

}  // namespace bt
