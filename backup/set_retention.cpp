#include "backup/set_retention.h"

#include <algorithm>
#include <optional>

#include "backup/backup_set.h"
#include "copy/folder_entries.h"

namespace bt {
namespace {

bool Digits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Number(std::string_view digits) {
  int value = 0;
  for (const char c : digits) value = value * 10 + (c - '0');
  return value;
}

// The entries of folder (given without its trailing "\").
std::vector<FolderEntry> ListFolder(FileSystem& files, const std::string& folder) {
  return FolderEntries(files, folder + "\\");
}

bool IsRealFolder(std::uint32_t attributes) {
  return (attributes & kAttrDirectory) != 0 && (attributes & kAttrReparsePoint) == 0;
}

// What a set holds, relative to it, each folder after what it holds. A
// link is an entry of its own, never followed.
struct Held {
  std::string relative;
  bool folder = false;
};

void CollectHeld(FileSystem& files, const std::string& set, const std::string& relative, std::vector<Held>& held) {
  for (const FolderEntry& entry : ListFolder(files, relative.empty() ? set : set + "\\" + relative)) {
    const std::string path = relative.empty() ? entry.name : relative + "\\" + entry.name;
    if (IsRealFolder(entry.attributes)) {
      CollectHeld(files, set, path, held);
      held.push_back({path, true});
    } else {
      held.push_back({path, false});
    }
  }
}

std::string NameOf(const std::string& path) {
  const auto separator = path.rfind('\\');
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

// Removes one set. nullopt when it is gone whole.
std::optional<SetRemovalFailure> RemoveSet(FileSystem& files, const std::string& location, const std::string& name) {
  const std::string set = location + "\\" + name;
  std::vector<Held> held;
  try {
    CollectHeld(files, set, "", held);
    // Under another name from here on: whatever happens next, no half
    // emptied folder is left to pass for a set.
    files.RenameFolder(set, name + kBeingRemovedSuffix);
  } catch (const AppError& error) {
    return SetRemovalFailure{set, "", error};
  }
  const std::string renamed = set + kBeingRemovedSuffix;
  bool removedAny = false;
  try {
    for (const Held& entry : held) {
      const std::string path = renamed + "\\" + entry.relative;
      if (entry.folder) {
        files.RemoveEmptyFolder(path);
      } else {
        files.RemoveFile(path);
      }
      removedAny = true;
    }
    files.RemoveEmptyFolder(renamed);
    return std::nullopt;
  } catch (const AppError& error) {
    if (!removedAny) {
      try {
        files.RenameFolder(renamed, name);
        return SetRemovalFailure{set, "", error};
      } catch (const AppError&) {
        // Whole, but under the other name: said so below.
      }
    }
    return SetRemovalFailure{set, renamed, error};
  }
}

}  // namespace

bool IsStampName(std::string_view name) {
  if (name.size() != 15 || name[8] != '_' || !Digits(name.substr(0, 8)) || !Digits(name.substr(9))) return false;
  const int month = Number(name.substr(4, 2));
  const int day = Number(name.substr(6, 2));
  return month >= 1 && month <= 12 && day >= 1 && day <= 31 && Number(name.substr(9, 2)) <= 23 &&
         Number(name.substr(11, 2)) <= 59 && Number(name.substr(13, 2)) <= 59;
}

std::vector<std::string> BackupSetsIn(FileSystem& files, const std::string& location) {
  std::vector<std::string> sets;
  for (const FolderEntry& entry : ListFolder(files, location)) {
    if (!IsRealFolder(entry.attributes) || !IsStampName(entry.name)) continue;
    try {
      const std::uint32_t database = files.GetAttributes(location + "\\" + entry.name + "\\" + kDatabaseFile);
      if ((database & (kAttrDirectory | kAttrReparsePoint)) == 0) sets.push_back(entry.name);
    } catch (const AppError&) {
      // No database: not a set, and never removed.
    }
  }
  std::sort(sets.begin(), sets.end());
  return sets;
}

RetentionOutcome KeepNewestSets(FileSystem& files, const std::string& location, const std::string& newSet,
                                int keep) {
  std::vector<std::string> others = BackupSetsIn(files, location);
  const std::string kept = NameOf(newSet);
  std::erase(others, kept);
  RetentionOutcome outcome;
  const std::size_t othersKept = keep > 1 ? static_cast<std::size_t>(keep - 1) : 0;
  if (others.size() <= othersKept) return outcome;
  others.resize(others.size() - othersKept);  // the oldest, oldest first
  for (const std::string& name : others) {
    if (auto failure = RemoveSet(files, location, name)) {
      outcome.failures.push_back(std::move(*failure));
    } else {
      outcome.removed.push_back(location + "\\" + name);
    }
  }
  return outcome;
}

}  // namespace bt
