#include "platform/linux/wine/wine_registry_scan.h"

#include <cstddef>

#include "platform/linux/wine/wine_registry_lines.h"
#include "platform/linux/wine/wine_registry_text.h"

namespace bt::wine {
namespace {

constexpr std::string_view kHeaderLine = "WINE REGISTRY Version 2";

enum class KeyMatch { kNone, kExact, kBelow };

// Compares the key named by a section header ("[...] timestamp") with
// `path`, decoding only as far as needed to tell them apart. A header
// without its closing bracket names no key, as Wine rejects it.
KeyMatch MatchHeader(std::string_view header, std::u16string_view path) {
  EscapedTextReader reader(header, 1, ']');
  std::size_t matched = 0;
  char16_t unit = 0;
  while (reader.Next(unit)) {
    if (matched == path.size()) {
      if (!path.empty() && unit != u'\\') return KeyMatch::kNone;
      while (reader.Next(unit)) {
      }
      return reader.closed() ? KeyMatch::kBelow : KeyMatch::kNone;
    }
    if (!SameUnitIgnoringCase(unit, path[matched])) return KeyMatch::kNone;
    ++matched;
  }
  return reader.closed() && matched == path.size() ? KeyMatch::kExact : KeyMatch::kNone;
}

}  // namespace

std::u16string NormalizeKeyPath(std::u16string_view path) {
  std::u16string normalized;
  normalized.reserve(path.size());
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    if (end > start) {
      if (!normalized.empty()) normalized += u'\\';
      normalized.append(path.substr(start, end - start));
    }
    start = end + 1;
  }
  return normalized;
}

ScanResult FindKeys(std::string_view file, const std::vector<std::u16string>& paths) {
  ScanResult result;
  result.keys.resize(paths.size());
  LineCursor cursor(file);
  std::string_view line;
  if (!cursor.Next(line) || line != kHeaderLine) return result;
  result.wellFormed = true;

  // Per path: where the body of the matching section being read starts.
  constexpr std::size_t kNotInside = std::string_view::npos;
  std::vector<std::size_t> bodyStart(paths.size(), kNotInside);
  auto closeSections = [&](std::size_t end) {
    for (std::size_t i = 0; i < paths.size(); ++i) {
      if (bodyStart[i] == kNotInside) continue;
      result.keys[i].bodies.emplace_back(file.substr(bodyStart[i], end - bodyStart[i]));
      bodyStart[i] = kNotInside;
    }
  };

  // The global lines, up to the first section.
  bool inSections = false;
  while (!inSections && cursor.Next(line)) {
    const std::string_view content = SkipBlanks(line);
    if (content.starts_with('[')) {
      inSections = true;
    } else if (content.starts_with("#arch=")) {
      result.win64 = content.substr(6) == "win64";
    }
  }
  // The section headers; a section's body runs up to the next header.
  while (inSections) {
    const std::string_view header = SkipBlanks(line);
    closeSections(cursor.lineStart());
    for (std::size_t i = 0; i < paths.size(); ++i) {
      const KeyMatch match = MatchHeader(header, paths[i]);
      if (match == KeyMatch::kNone) continue;
      result.keys[i].exists = true;
      if (match == KeyMatch::kExact) bodyStart[i] = cursor.position();
    }
    inSections = cursor.NextStartingWith('[', line);
  }
  closeSections(file.size());
  return result;
}

}  // namespace bt::wine
