#include "platform/linux/folder_name_cache.h"

#include <dirent.h>

#include "platform/linux/host_names.h"
#include "platform/temporary_names.h"
#include "platform/text.h"

namespace bt {
namespace {

// Folder times closer to the reading than this may still move within the
// same tick of the file system's clock.
constexpr time_t kSettledSeconds = 3;

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

bool Settled(const timespec& time, const timespec& now) { return now.tv_sec - time.tv_sec > kSettledSeconds; }

}  // namespace

std::string CaseKey(std::string_view hostName) { return LowerCase(HostNameToWindows(hostName)); }

bool FolderNameCache::Stamp::operator==(const Stamp& other) const {
  return device == other.device && inode == other.inode && SameTime(modified, other.modified) &&
         SameTime(changed, other.changed);
}

bool FolderNameCache::StampOf(const std::string& hostFolder, Stamp* stamp) {
  struct stat st {};
  if (stat(hostFolder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  *stamp = {st.st_dev, st.st_ino, st.st_mtim, st.st_ctim};
  return true;
}

bool FolderNameCache::JustChangedByUs(const Folder& folder) {
  return folder.trusted && folder.changedSinceStamp &&
         std::chrono::steady_clock::now() - folder.ownChange < kOwnChangeTrust;
}

FolderNameCache::Folder* FolderNameCache::Find(const std::string& hostFolder) {
  for (auto it = folders_.begin(); it != folders_.end(); ++it) {
    if (it->hostFolder == hostFolder) {
      folders_.splice(folders_.begin(), folders_, it);
      return &folders_.front();
    }
  }
  return nullptr;
}

FolderNameCache::Folder* FolderNameCache::Read(const std::string& hostFolder) {
  Folder folder;
  folder.hostFolder = hostFolder;
  // The stamp is taken before the entries, so that a change made while they
  // are read shows as a different stamp next time.
  if (!StampOf(hostFolder, &folder.stamp)) return nullptr;
  DIR* dir = opendir(hostFolder.c_str());
  if (dir == nullptr) return nullptr;
  ++reads_;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == ".." || IsOwnWorkingName(name)) continue;
    folder.byKey[CaseKey(name)].emplace_back(name);
  }
  closedir(dir);
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  // Adding or removing an entry moves the modification time to the current
  // tick; once that time is settled, any later change shows as a new one.
  folder.trusted = Settled(folder.stamp.modified, now);

  if (Folder* old = Find(hostFolder)) {
    *old = std::move(folder);
    return old;
  }
  folders_.push_front(std::move(folder));
  if (folders_.size() > capacity_) folders_.pop_back();
  return &folders_.front();
}

std::optional<std::vector<std::string>> FolderNameCache::Matches(const std::string& hostFolder,
                                                                 const std::string& key) {
  Folder* folder = Find(hostFolder);
  Stamp now;
  if (folder == nullptr ||
      (!JustChangedByUs(*folder) &&
       (!folder->trusted || folder->changedSinceStamp || !StampOf(hostFolder, &now) || !(now == folder->stamp)))) {
    folder = Read(hostFolder);
  }
  if (folder == nullptr) return std::nullopt;
  const auto it = folder->byKey.find(key);
  return it == folder->byKey.end() ? std::vector<std::string>{} : it->second;
}

bool FolderNameCache::KnownAbsent(const std::string& hostFolder, const std::string& key) {
  const Folder* folder = Find(hostFolder);
  return folder != nullptr && JustChangedByUs(*folder) && folder->byKey.find(key) == folder->byKey.end();
}

void FolderNameCache::Created(const std::string& hostFolder) {
  Folder folder;
  folder.hostFolder = hostFolder;
  folder.trusted = true;
  folder.changedSinceStamp = true;
  folder.ownChange = std::chrono::steady_clock::now();
  Forget(hostFolder);
  folders_.push_front(std::move(folder));
  if (folders_.size() > capacity_) folders_.pop_back();
}

void FolderNameCache::Forget(const std::string& hostFolder) {
  folders_.remove_if([&](const Folder& folder) { return folder.hostFolder == hostFolder; });
}

FolderNameCache::Change FolderNameCache::BeginChange(const std::string& hostFolder, bool justMatched) {
  Change change{hostFolder, false};
  Folder* folder = Find(hostFolder);
  Stamp now;
  change.wasCurrent = folder != nullptr &&
                      (justMatched || JustChangedByUs(*folder) ||
                       (!folder->changedSinceStamp && StampOf(hostFolder, &now) && now == folder->stamp));
  return change;
}

void FolderNameCache::EndChange(const Change& change, const std::string& addedHostName) {
  Folder* folder = Find(change.hostFolder);
  if (folder == nullptr) return;
  if (!change.wasCurrent) {
    folder->trusted = false;
    return;
  }
  folder->trusted = true;
  folder->changedSinceStamp = true;
  folder->ownChange = std::chrono::steady_clock::now();
  std::vector<std::string>& names = folder->byKey[CaseKey(addedHostName)];
  bool known = false;
  for (const std::string& name : names) known = known || name == addedHostName;
  if (!known) names.push_back(addedHostName);
}

}  // namespace bt
