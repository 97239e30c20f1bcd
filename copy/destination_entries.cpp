#include "copy/destination_entries.h"

#include <algorithm>
#include <unordered_map>

#include "copy/folder_entries.h"
#include "platform/text.h"

namespace bt {
namespace {

std::uint32_t AttributesOrNone(FileSystem& files, const std::string& path) {
  try {
    return files.GetAttributes(path);
  } catch (const AppError&) {
    return 0;
  }
}

// The names of one folder's entries, "." and ".." left out.
std::vector<std::string> NamesIn(FileSystem& files, const std::string& folder) {
  std::vector<std::string> names;
  for (FolderEntry& entry : FolderEntries(files, folder)) names.push_back(std::move(entry.name));
  return names;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

DestinationEntries::DestinationEntries(FileSystem& files, std::string source, std::string destination,
                                       bool destinationIsNew)
    : files_(files), source_(std::move(source)), destination_(std::move(destination)), new_(destinationIsNew) {}

const std::vector<std::string>& DestinationEntries::Listed() {
  if (!listed_) listed_ = new_ ? std::vector<std::string>{} : NamesIn(files_, destination_);
  return *listed_;
}

void DestinationEntries::RefuseLetterCaseTwins(const std::vector<SourceEntry>& entries) {
  std::unordered_map<std::string, std::vector<const SourceEntry*>> byKey;
  for (const SourceEntry& entry : entries) {
    // Left out, so never one of two files in the destination.
    if (!entry.folder && entry.name == "Thumbs.db") continue;
    byKey[CaseFoldKey(entry.name) + (entry.folder ? "\\" : "")].push_back(&entry);
  }
  for (const SourceEntry& entry : entries) {
    const auto group = byKey.find(CaseFoldKey(entry.name) + (entry.folder ? "\\" : ""));
    if (group == byKey.end() || group->second.size() < 2) continue;
    const std::string first = source_ + group->second[0]->name;
    const std::string second = source_ + group->second[1]->name;
    // Folders would mix their photos wherever they went: Wine itself takes
    // their names for one.
    if (entry.folder) {
      throw AppError(kErrFileExists, "As pastas \"" + first + "\" e \"" + second +
                                         "\" diferem só em maiúsculas e minúsculas e seriam uma só no destino.");
    }
    if (!files_.KeepsLetterCase(destination_)) {
      throw AppError(kErrFileExists, "Os arquivos \"" + first + "\" e \"" + second +
                                         "\" diferem só em maiúsculas e minúsculas, que a unidade de destino "
                                         "não diferencia: seriam um só arquivo no destino.");
    }
    // A drive that keeps them apart gives each its own name, unless the
    // destination holds the name in a third spelling, which both would
    // replace.
    for (const std::string& held : Listed()) {
      if (CaseFoldKey(held) != CaseFoldKey(entry.name)) continue;
      const bool aTwin = std::any_of(group->second.begin(), group->second.end(),
                                     [&](const SourceEntry* twin) { return twin->name == held; });
      if (!aTwin) {
        throw AppError(kErrFileExists, "Os arquivos \"" + first + "\" e \"" + second +
                                           "\" diferem só em maiúsculas e minúsculas e substituiriam ambos "
                                           "o mesmo arquivo \"" + destination_ + held + "\".");
      }
    }
    byKey.erase(group);  // told once
  }
}

void DestinationEntries::Know(const std::string& entry) {
  std::vector<std::string>& alike = known_[CaseFoldKey(entry)];
  if (!Contains(alike, entry)) alike.push_back(entry);
}

// The entry that `name` is expected to find: the same name, else the one
// entry of that name in another letter case; nullopt when it should be new.
std::optional<std::string> DestinationEntries::Expected(const std::string& name) {
  if (!listed_) {
    for (const std::string& entry : Listed()) Know(entry);
  }
  const auto alike = known_.find(CaseFoldKey(name));
  if (alike == known_.end()) return std::nullopt;
  if (Contains(alike->second, name)) return name;
  if (alike->second.size() == 1) return alike->second.front();
  return std::nullopt;  // two to choose from: none is expected
}

bool DestinationEntries::TakeFolder(const std::string& name) {
  const std::optional<std::string> expected = Expected(name);
  try {
    files_.CreateFolder(destination_ + name);
  } catch (const AppError&) {
    if ((AttributesOrNone(files_, destination_ + name) & kAttrDirectory) == 0) throw;
    // The drive found the name taken where the copy expected none: it is one
    // name with an entry the copy did not expect. In a folder the copy made,
    // that is one it put there; with only one, it is known.
    if (!expected) RefuseOneFolder(name, new_ && taken_.size() == 1 ? taken_.begin()->second : std::string());
    const auto [taken, added] = taken_.emplace(*expected, name);
    if (!added && taken->second != name) RefuseOneFolder(name, taken->second);
    return false;
  }
  taken_[name] = name;
  Know(name);
  return true;
}

void DestinationEntries::RefuseOneFolder(const std::string& name, const std::string& other) const {
  if (other.empty()) {
    throw AppError(kErrFileExists, "A pasta \"" + source_ + name + "\" cairia numa pasta de \"" + destination_ +
                                       "\" com outro nome, que a unidade de destino não diferencia deste.");
  }
  throw AppError(kErrFileExists, "As pastas \"" + source_ + other + "\" e \"" + source_ + name +
                                     "\" seriam uma só pasta na unidade de destino, que não diferencia os seus "
                                     "nomes.");
}

}  // namespace bt
