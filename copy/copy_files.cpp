#include "copy/copy_files.h"

#include <vector>

#include "copy/checked_count.h"
#include "copy/destination_entries.h"
#include "platform/text.h"

namespace bt {
namespace {

bool EndsWithSeparator(const std::string& path) { return !path.empty() && path.back() == '\\'; }

// Ends the listing when the copy leaves the folder early through a failure.
class ListingGuard {
 public:
  ListingGuard(FileSystem& files, FindHandle handle) : files_(files), handle_(handle) {}
  ~ListingGuard() { Close(); }
  ListingGuard(const ListingGuard&) = delete;
  ListingGuard& operator=(const ListingGuard&) = delete;

  void Close() {
    if (handle_ != kInvalidHandle) {
      files_.FindClose(handle_);
      handle_ = kInvalidHandle;
    }
  }

 private:
  FileSystem& files_;
  FindHandle handle_;
};

std::string NameOf(const FindData& record) {
  std::size_t length = 0;
  while (length < sizeof record.cFileName && record.cFileName[length] != '\0') ++length;
  return std::string(record.cFileName, length);
}

std::uint32_t AttributesOrNone(FileSystem& files, const std::string& path) {
  try {
    return files.GetAttributes(path);
  } catch (const AppError&) {
    return 0;
  }
}

// A folder that exists at the destination already is written into, unless
// it is a link where links must not be followed: a backup set holds only
// what the program made, so a link there was planted to lead the copy
// elsewhere.
void RefusePlantedLink(FileSystem& files, const std::string& folder, DestinationLinks links) {
  if (links == DestinationLinks::kReplace && (AttributesOrNone(files, folder) & kAttrReparsePoint)) {
    throw AppError(kErrPathFileAccess, "A pasta \"" + folder +
                                           "\" é um atalho para outro local, que este programa não "
                                           "criou; nada foi copiado para dentro dela.");
  }
}

// A destination inside the source would be copied into itself, over and
// over, until the path is too long: whether the texts show it, or a link or
// another drive letter hides it.
void RefuseDestinationInsideSource(FileSystem& files, const std::string& source,
                                   const std::string& destination) {
  const std::string folder = LowerCase(source);
  const std::string target = LowerCase(destination);
  if (target.compare(0, folder.size(), folder) == 0 || files.LiesWithin(destination, source)) {
    throw AppError(kErrPathFileAccess, "O destino \"" + destination +
                                           "\" fica dentro da origem \"" + source +
                                           "\", que seria copiada para dentro de si mesma.");
  }
}

// The entries of the folder source, "." and ".." left out, each counted;
// a folder that cannot be read must not pass for an empty one, or a backup
// would report success without it.
std::vector<SourceEntry> ListSource(FileSystem& files, const std::string& source, std::int32_t& count) {
  std::vector<SourceEntry> entries;
  std::int32_t subfolders = 0;
  FindData record;
  const FindHandle handle = files.FindFirstFileA(source + "*.*", &record);
  if (handle == kInvalidHandle) {
    if (auto failure = files.LastFindFailure()) throw *failure;
    return entries;
  }
  ListingGuard listing(files, handle);
  do {
    const std::string name = NameOf(record);
    if (name == "." || name == "..") continue;
    count = CheckedAdd(count, 1);
    const bool folder = (record.dwFileAttributes & kAttrDirectory) != 0;
    if (folder && ++subfolders > kMaxSubfolders) {
      throw AppError(kErrOverflow, "mais de 32766 subpastas em " + source);
    }
    entries.push_back({name, folder});
  } while (files.FindNextFileA(handle, &record) != 0);
  if (auto failure = files.LastFindFailure()) throw *failure;
  return entries;
}

// CopyFolderContents, told whether the copy has just made the destination.
std::int32_t CopyContents(FileSystem& files, const std::string& source, const std::string& destination,
                          DestinationLinks links, bool destinationIsNew) {
  std::int32_t count = 0;
  const std::vector<SourceEntry> entries = ListSource(files, source, count);
  // Whole before anything is copied, so that two entries that would become
  // one are refused with nothing of this folder replaced.
  DestinationEntries at(files, source, destination, destinationIsNew);
  at.RefuseLetterCaseTwins(entries);

  std::vector<std::pair<std::string, bool>> subfolders;  // name, made by this copy
  for (const SourceEntry& entry : entries) {
    if (entry.folder) {
      const bool made = at.TakeFolder(entry.name);
      if (!made) RefusePlantedLink(files, destination + entry.name, links);
      subfolders.emplace_back(entry.name, made);
    } else if (entry.name != "Thumbs.db") {
      files.CopyWholeFile(source + entry.name, destination + entry.name, Durability::kAtFlush, links);
    }
  }
  for (const auto& [name, made] : subfolders) {
    count = CheckedAdd(count, CopyContents(files, source + name + "\\", destination + name + "\\", links, made));
  }
  return count;
}

}  // namespace

std::int32_t CopyPath(FileSystem& files, std::string source, std::string destination,
                      DestinationLinks links) {
  const std::uint32_t attributes = files.GetAttributes(source);
  if ((attributes & kAttrDirectory) == 0) {
    files.CopyWholeFile(source, destination, Durability::kNow, links);
    return 1;
  }
  if (!EndsWithSeparator(source)) source += '\\';
  if (!EndsWithSeparator(destination)) destination += '\\';
  RefuseDestinationInsideSource(files, source, destination);

  // Failing to create the destination is not an error by itself: as a rule
  // it exists already, and if it is really missing the first copy into it
  // says so.
  std::int32_t count = 0;
  try {
    files.CreateFolder(destination);
    count = 1;
  } catch (const AppError&) {
    RefusePlantedLink(files, destination, links);
  }
  return CheckedAdd(count, CopyContents(files, source, destination, links, count == 1));
}

std::int32_t CopyFolderContents(FileSystem& files, const std::string& source,
                                const std::string& destination, DestinationLinks links) {
  return CopyContents(files, source, destination, links, false);
}

}  // namespace bt
