#include "backup/backup_set.h"

#include <cstdio>

#include "copy/copy_files.h"
#include "install/install_setting.h"
#include "platform/error.h"

namespace bt {

std::string WithoutTrailingSeparator(const std::string& folder) {
  if (folder.empty()) throw AppError(kErrInvalidCall, "pasta vazia");
  if (folder.back() == '\\') return folder.substr(0, folder.size() - 1);
  return folder;
}

std::string InstallationWithoutSeparator(const std::string& installation) {
  if (installation.empty()) {
    throw AppError(kErrInvalidCall,
                   "O Tarvel 2.0 não foi encontrado neste computador: o registro não informa a pasta de "
                   "instalação (valor \"Path\" da chave " + std::string(kInstallKeyName) + ").",
                   "no installation folder: the registry has no value Path under " + std::string(kInstallKeyName));
  }
  return WithoutTrailingSeparator(installation);
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
