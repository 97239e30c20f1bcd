// A backup or restore of one corpus through the program's own copy: the
// real file-system layer with drive C: over the host's "/", CopyPath, then
// the flush the operations make before they report success.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_system.h"
#include "platform/linux/wine/drive_table.h"

namespace bt::bench {

// The drive table of the benchmark: C: is the host's "/".
DriveTable RootDriveTable();

// "/var/tmp/x" -> "C:\var\tmp\x"; folderForm adds the trailing "\" that the
// operations give a source folder. Throws std::invalid_argument for a
// relative host path.
std::string WindowsPathOnRootDrive(const std::string& hostPath, bool folderForm = false);

struct CopyTiming {
  std::int32_t count = 0;
  double copySeconds = 0;
  double flushSeconds = 0;
};

// Copies as the operations do: a folder source gets its trailing "\", a file
// source is copied as the database is (replacing a file durably). Then
// flushes the destination's file system.
CopyTiming TimedCopy(FileSystem& files, const std::string& hostSource, const std::string& hostDestination);

}  // namespace bt::bench
