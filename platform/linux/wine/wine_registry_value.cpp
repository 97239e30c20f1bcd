#include "platform/linux/wine/wine_registry_value.h"

#include <cstddef>

#include "platform/linux/wine/wine_registry_lines.h"
#include "platform/linux/wine/wine_registry_text.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace bt::wine {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::size_t SkipBlanksFrom(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  return pos;
}

// Reads 1 to 8 hex digits at text[pos]; nullopt for none or more than 8.
std::optional<std::uint32_t> ReadHexNumber(std::string_view text, std::size_t& pos) {
  std::uint32_t value = 0;
  int digits = 0;
  while (pos < text.size() && HexDigitValue(text[pos]) >= 0) {
    if (++digits > 8) return std::nullopt;
    value = value * 16 + static_cast<std::uint32_t>(HexDigitValue(text[pos++]));
  }
  if (digits == 0) return std::nullopt;
  return value;
}

// Whether the line defines the value `name`; if so, pos is left at its data.
bool NameMatches(std::string_view line, std::u16string_view name, std::size_t& pos) {
  if (line.front() == '@') {
    if (!name.empty()) return false;
    pos = 1;
  } else {
    EscapedTextReader reader(line, 1, '"');
    std::size_t matched = 0;
    char16_t unit = 0;
    while (reader.Next(unit)) {
      if (matched == name.size() || !SameUnitIgnoringCase(unit, name[matched])) return false;
      ++matched;
    }
    if (!reader.closed() || matched != name.size()) return false;
    pos = reader.position();
  }
  if (pos >= line.size() || line[pos] != '=') return false;
  ++pos;
  return true;
}

// Quoted text from line[pos], just after the opening quote, stored as
// UTF-16LE with its terminating NUL.
std::optional<StoredValue> ParseText(std::string_view line, std::size_t pos, std::uint32_t type) {
  StoredValue value{type, {}};
  EscapedTextReader reader(line, pos, '"');
  char16_t unit = 0;
  while (reader.Next(unit)) {
    value.data.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    value.data.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  if (!reader.closed()) return std::nullopt;
  value.data.push_back(0);
  value.data.push_back(0);
  return value;
}

// A hex byte list from line[pos], following "\" onto the next lines.
std::optional<StoredValue> ParseHex(std::string_view line, std::size_t pos, std::uint32_t type,
                                    LineCursor& cursor) {
  StoredValue value{type, {}};
  for (;;) {
    while (pos < line.size() && HexDigitValue(line[pos]) >= 0) {
      unsigned byte = 0;
      while (pos < line.size() && HexDigitValue(line[pos]) >= 0) {
        byte = byte * 16 + static_cast<unsigned>(HexDigitValue(line[pos++]));
        if (byte > 0xFF) return std::nullopt;
      }
      value.data.push_back(static_cast<std::uint8_t>(byte));
      pos = SkipBlanksFrom(line, pos);
      if (pos < line.size() && line[pos] == ',') ++pos;
      pos = SkipBlanksFrom(line, pos);
    }
    pos = SkipBlanksFrom(line, pos);
    if (pos == line.size()) return value;
    if (line[pos] != '\\' || !cursor.Next(line)) return std::nullopt;
    pos = SkipBlanksFrom(line, 0);
  }
}

std::optional<StoredValue> ParseDword(std::string_view line, std::size_t pos) {
  const std::optional<std::uint32_t> number = ReadHexNumber(line, pos);
  if (!number || SkipBlanksFrom(line, pos) != line.size()) return std::nullopt;
  StoredValue value{kRegDword, {}};
  for (int shift = 0; shift < 32; shift += 8) {
    value.data.push_back(static_cast<std::uint8_t>(*number >> shift));
  }
  return value;
}

// The data of a value line from line[pos], just after the "=".
std::optional<StoredValue> ParseData(std::string_view line, std::size_t pos, LineCursor& cursor) {
  const std::string_view data = line.substr(pos);
  if (data.starts_with('"')) return ParseText(line, pos + 1, kRegSz);
  if (data.starts_with("str:\"")) return ParseText(line, pos + 5, kRegSz);
  if (data.starts_with("dword:")) return ParseDword(line, pos + 6);
  if (data.starts_with("hex:")) return ParseHex(line, pos + 4, kRegBinary, cursor);
  const bool text = data.starts_with("str(");
  if (!text && !data.starts_with("hex(")) return std::nullopt;
  pos += 4;
  const std::optional<std::uint32_t> type = ReadHexNumber(line, pos);
  if (!type || line.substr(pos, 2) != "):") return std::nullopt;
  pos += 2;
  if (!text) return ParseHex(line, pos, *type, cursor);
  if (pos >= line.size() || line[pos] != '"') return std::nullopt;
  return ParseText(line, pos + 1, *type);
}

}  // namespace

std::optional<StoredValue> FindValue(const std::vector<std::string>& bodies,
                                     std::u16string_view name) {
  std::optional<StoredValue> found;
  for (const std::string& body : bodies) {
    LineCursor cursor(body);
    std::string_view line;
    while (cursor.Next(line)) {
      line = SkipBlanks(line);
      if (line.empty() || (line.front() != '"' && line.front() != '@')) continue;
      std::size_t pos = 0;
      if (!NameMatches(line, name, pos)) continue;
      if (std::optional<StoredValue> value = ParseData(line, pos, cursor)) found = std::move(value);
    }
  }
  return found;
}

}  // namespace bt::wine
