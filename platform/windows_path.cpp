#include "platform/windows_path.h"

#include "platform/error.h"

namespace bt {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Folds the names of text onto path, which holds the names already given.
void AppendNames(WindowsPath& path, std::string_view text) {
  path.folderOnly = false;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = start;
    while (end < text.size() && !IsWindowsSeparator(text[end])) ++end;
    const std::string_view name = text.substr(start, end - start);
    const bool last = end >= text.size();
    if (name.empty() || name == ".") {
      if (last) path.folderOnly = path.folderOnly || !name.empty() || start > 0;
    } else if (name == "..") {
      if (!path.names.empty()) path.names.pop_back();
      if (last) path.folderOnly = true;
    } else {
      path.names.emplace_back(name);
    }
    start = end + 1;
  }
}

}  // namespace

WindowsPath ParseWindowsPath(std::string_view text, const CurrentFolderOf& currentFolder) {
  if (text.size() < 2 || !IsAsciiLetter(text[0]) || text[1] != ':') {
    throw AppError(kErrPathNotFound, "\"" + std::string(text) + "\" não é um caminho completo com a letra da unidade",
                   "not a full path with a drive letter: \"" + std::string(text) + "\"");
  }
  WindowsPath path;
  path.drive = UpperDriveLetter(text[0]);
  const std::string_view rest = text.substr(2);
  if ((rest.empty() || !IsWindowsSeparator(rest[0])) && currentFolder) {
    const std::string current = currentFolder(path.drive);
    if (current.size() > 2) AppendNames(path, std::string_view(current).substr(2));
    if (rest.empty()) {
      path.folderOnly = true;
      return path;
    }
  }
  AppendNames(path, rest);
  return path;
}

std::string FormatWindowsPath(const WindowsPath& path) {
  std::string text{path.drive, ':'};
  if (path.names.empty()) return text + '\\';
  for (const std::string& name : path.names) text += '\\' + name;
  return text;
}

ListingPattern SplitListingPattern(const std::string& pattern) {
  ListingPattern split;
  const std::size_t separator = pattern.find_last_of("\\/");
  if (separator != std::string::npos) {
    split.folder = pattern.substr(0, separator + 1);
    split.name = pattern.substr(separator + 1);
  } else if (pattern.size() >= 2 && pattern[1] == ':') {
    split.folder = pattern.substr(0, 2);
    split.name = pattern.substr(2);
  }
  split.everything = split.name == "*" || split.name == "*.*";
  split.plain = !split.name.empty() && split.name != "." && split.name != ".." &&
                split.name.find_first_of("*?") == std::string::npos;
  return split;
}

}  // namespace bt
