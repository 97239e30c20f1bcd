#include "backup/backup_set.h"

#include <cstdio>

#include "copy/copy_files.h"
#include "platform/error.h"

namespace bt {

std::string WithoutTrailingSeparator(const std::string& folder) {
  if (folder.empty()) throw AppError(kErrInvalidCall, "pasta vazia");
  if (folder.back() == '\\') return folder.substr(0, folder.size() - 1);
  return folder;
}

void CopyOptionsAndPhotos(FileSystem& files, const std::string& from, const std::string& to,
                          DestinationLinks links) {
  files.CopyWholeFile(from + "\\" + kOptionsFile, to + "\\" + kOptionsFile, Durability::kNow, links);
  CopyPath(files, from + "\\" + kPhotosFolder + "\\", to + "\\" + kPhotosFolder, links);
}

std::string TimestampName(Clock& clock) {
  const LocalDateTime now = clock.Now();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d_%02d%02d%02d", now.year, now.month, now.day,
                now.hour, now.minute, now.second);
  return stamp;
}

}  // namespace bt
