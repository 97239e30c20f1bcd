// Finds keys in the text of a Wine system.reg without building its tree:
// one pass over the section headers, comparing each with the paths asked
// for and keeping only the value lines of the sections that match.
//
// The file is a header line "WINE REGISTRY Version 2", a few global lines
// ("#arch=win64") and then sections: a line "[Key\\Path] timestamp" followed
// by the key's option lines ("#time=...") and value lines. Wine writes a
// section only for keys with values or without subkeys, so a key also
// exists when only keys below it have sections.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bt::wine {

struct KeySections {
  bool exists = false;
  // The value lines of each section of the key itself, in file order.
  std::vector<std::string> bodies;
};

struct ScanResult {
  bool wellFormed = false;  // the file starts with Wine's header line
  bool win64 = false;       // the prefix is 64-bit ("#arch=win64")
  std::vector<KeySections> keys;  // one per path asked for, in that order
};

// A key path relative to the machine root with empty components dropped
// ("\Software\\KESTAL\" -> "Software\KESTAL"), as Wine resolves paths.
std::u16string NormalizeKeyPath(std::u16string_view path);

// Looks for every path of `paths` (normalized) in one pass over `file`; key
// names are compared ignoring letter case.
ScanResult FindKeys(std::string_view file, const std::vector<std::u16string>& paths);

}  // namespace bt::wine
