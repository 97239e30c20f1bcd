// What stands at a copy's destination before the copy takes its name, and
// whether it may be replaced; and whether the source is being written.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

#include "platform/linux/open_files.h"
#include "platform/linux/open_folders.h"

namespace bt {

struct Destination {
  std::string path;     // where the copy goes: the target of a followed link
  bool exists = false;
  bool isLink = false;  // a link that is replaced itself
  struct stat st {};    // the file replaced, when it is one

  bool ReplacesAFile() const { return exists && !isLink; }
};

// Looks at the host path `requested`. With followLink, a link to a file
// gives the file it leads to (which is replaced, the link kept, as a
// program writing through the link would do); a link leading nowhere, or
// any link without followLink, is replaced itself. Throws AppError when the
// path cannot be examined. folder: the open folder that holds it, if any.
Destination Examine(const std::string& requested, bool followLink, const OpenFolder* folder);

// The permission bits the copy is created with: those of the file it
// replaces, else the source's (the umask then takes its share, as for cp).
mode_t CreationBits(const Destination& destination, const struct stat& sourceStat);

// Refuses to replace what must not be: a folder (75), the source itself
// (70; compared on the opened source, whose fstat is sourceStat, so that a
// file swapped in since the path was looked at cannot slip through), a
// read-only file (70), anything but a plain file (75), a file another
// program has open for writing (70). folder: as for Examine.
void CheckReplaceable(const Destination& destination, const struct stat& sourceStat, const std::string& source,
                      const OpenFolder* folder, OpenFilesMonitor& monitor, OpenFilesMonitor::Freshness freshness);

// A copy of a file in the middle of being written is no copy at all: 70
// when another program writes to the open source `in`.
void RefuseSourceBeingWritten(int in, const struct stat& sourceStat, const std::string& source,
                              OpenFilesMonitor& monitor, OpenFilesMonitor::Freshness freshness);

}  // namespace bt
