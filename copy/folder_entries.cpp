#include "copy/folder_entries.h"

#include <optional>

namespace bt {

std::vector<FolderEntry> FolderEntries(FileSystem& files, const std::string& folder) {
  std::vector<FolderEntry> entries;
  FindData record;
  const FindHandle handle = files.FindFirstFileA(folder + "*.*", &record);
  if (handle == kInvalidHandle) {
    if (auto failure = files.LastFindFailure()) throw *failure;
    return entries;
  }
  do {
    const std::string name(record.cFileName);
    if (name != "." && name != "..") entries.push_back({name, record.dwFileAttributes});
  } while (files.FindNextFileA(handle, &record) != 0);
  const std::optional<AppError> failure = files.LastFindFailure();
  files.FindClose(handle);
  if (failure) throw *failure;
  return entries;
}

}  // namespace bt
