#include "copy/copy_files.h"

#include <unordered_map>
#include <vector>

#include "copy/checked_count.h"
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

// A subfolder that is already at the destination is copied into, as files
// are replaced: a restore over an installation whose "Fotos" holds the same
// subfolders is the normal case, not a failure.
void CreateOrReuseFolder(FileSystem& files, const std::string& path, DestinationLinks links) {
  try {
    files.CreateFolder(path);
  } catch (const AppError&) {
    if ((AttributesOrNone(files, path) & kAttrDirectory) == 0) throw;
    RefusePlantedLink(files, path, links);
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

// Two subfolders whose names differ only in letter case ("Natal" and
// "natal", possible on Linux) are one folder for Windows and for any drive
// that ignores case: copied, their contents would mix and photos of one
// replace those of the other. Refused before the second is touched.
class LetterCaseTwins {
 public:
  void Meet(const std::string& source, const std::string& name) {
    const auto [met, added] = folders_.emplace(LowerCase(name), name);
    if (added || met->second == name) return;
    throw AppError(kErrFileExists, "As pastas \"" + source + met->second + "\" e \"" + source + name +
                                       "\" diferem só em maiúsculas e minúsculas e seriam uma só no destino.");
  }

 private:
  std::unordered_map<std::string, std::string> folders_;
};

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
  return CheckedAdd(count, CopyFolderContents(files, source, destination, links));
}

std::int32_t CopyFolderContents(FileSystem& files, const std::string& source,
                                const std::string& destination, DestinationLinks links) {
  std::int32_t count = 0;
  std::vector<std::string> subfolders;
  LetterCaseTwins twins;

  FindData record;
  const FindHandle handle = files.FindFirstFileA(source + "*.*", &record);
  if (handle == kInvalidHandle) {
    // No entries at all is an empty folder; a folder that cannot be read
    // must not pass for one, or a backup would report success without it.
    if (auto failure = files.LastFindFailure()) throw *failure;
  } else {
    ListingGuard listing(files, handle);
    do {
      const std::string name = NameOf(record);
      if (name == "." || name == "..") continue;
      count = CheckedAdd(count, 1);
      if (record.dwFileAttributes & kAttrDirectory) {
        twins.Meet(source, name);
        CreateOrReuseFolder(files, destination + name, links);
        if (static_cast<std::int32_t>(subfolders.size()) >= kMaxSubfolders) {
          throw AppError(kErrOverflow, "mais de 32766 subpastas em " + source);
        }
        subfolders.push_back(name);
      } else if (name != "Thumbs.db") {
        files.CopyWholeFile(source + name, destination + name, Durability::kAtFlush, links);
      }
    } while (files.FindNextFileA(handle, &record) != 0);
    if (auto failure = files.LastFindFailure()) throw *failure;
    listing.Close();
  }

  for (const std::string& name : subfolders) {
    count = CheckedAdd(count, CopyFolderContents(files, source + name + "\\",
                                                 destination + name + "\\", links));
  }
  return count;
}

}  // namespace bt
