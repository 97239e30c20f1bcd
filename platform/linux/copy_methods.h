// What the copies of one file system share: what they learnt about pairs of
// file systems, who else writes to files, which folders were swept of stale
// temporary files, and where copies went since the last flush.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "platform/linux/open_files.h"
#include "platform/linux/written_file_systems.h"
#include "platform/temporary_names.h"

namespace bt {

// Copies on several threads may share it.
struct CopyMethods {
  std::mutex mutex;  // over the sets
  // Pairs of file systems (source, destination) that cannot clone, or serve
  // copy_file_range: later copies between them skip the call.
  std::set<std::pair<dev_t, dev_t>> noClone;
  std::set<std::pair<dev_t, dev_t>> noCopyRange;
  OpenFilesMonitor openFiles;
  // Host folders already cleared of stale temporary files.
  std::set<std::string> sweptFolders;
  std::chrono::seconds staleTemporaryAge = kStaleTemporaryAge;
  // Where copies went since the last flush.
  WrittenFileSystems written;
};

}  // namespace bt
