// Windows path texts taken apart: the drive letter and the folded names.
//
// "\" and "/" both separate; empty names and "." are dropped, ".." removes
// the name before it and never climbs above the root. "C:rest" (no
// separator after the colon) is relative to the drive's current folder.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace bt {

struct WindowsPath {
  char drive = 'C';                // upper case
  std::vector<std::string> names;  // below the root, folded; empty for the root
  // The text ended in a separator, "." or "..": it can only name a folder.
  bool folderOnly = false;
};

// The current folder of a drive ("C:\Copias"), for drive-relative texts.
using CurrentFolderOf = std::function<std::string(char drive)>;

// Throws AppError 76 when the text does not start with a drive letter and a
// colon (a relative or UNC path).
WindowsPath ParseWindowsPath(std::string_view text, const CurrentFolderOf& currentFolder = {});

// "C:\" for a root, "C:\A\b" otherwise.
std::string FormatWindowsPath(const WindowsPath& path);

inline bool IsWindowsSeparator(char c) { return c == '\\' || c == '/'; }

// A drive letter in upper case; any other character as it is.
inline char UpperDriveLetter(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// A listing's pattern taken apart: "C:\A\*.*" into the folder "C:\A\" (to
// which entry names are appended) and the name "*.*"; "C:*.*" lists the
// drive's current folder, "C:". The folder is empty when the pattern has no
// drive letter. everything: the name is "*" or "*.*"; plain: it names one
// entry (no wildcard, not "." nor "..").
struct ListingPattern {
  std::string folder;
  std::string name;
  bool everything = false;
  bool plain = false;
};
ListingPattern SplitListingPattern(const std::string& pattern);

}  // namespace bt
