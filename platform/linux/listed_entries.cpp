#include "platform/linux/listed_entries.h"

#include <utility>

namespace bt {

void ListedEntries::StartListing() {
  listed_[1] = std::move(listed_[0]);
  listed_[0].clear();
}

void ListedEntries::Note(const std::string& windowsPath, ListedEntry entry) {
  listed_[0][windowsPath] = std::move(entry);
}

const ListedEntry* ListedEntries::Find(const std::string& windowsPath) const {
  for (const auto& entries : listed_) {
    const auto found = entries.find(windowsPath);
    if (found != entries.end()) return &found->second;
  }
  return nullptr;
}

}  // namespace bt
