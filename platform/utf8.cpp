#include "platform/utf8.h"

namespace bt {
namespace {

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// AppendUtf8's three-byte form, which it also gives a surrogate's value.
void AppendKeptSurrogate(std::string& out, char32_t unit) {
  out += static_cast<char>(0xE0 | (unit >> 12));
  out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
  out += static_cast<char>(0x80 | (unit & 0x3F));
}

// A kept lone surrogate at utf8[pos] (ED A0..BF xx, which strict decoding
// refuses): its unit, or 0 when there is none.
char16_t KeptSurrogateAt(std::string_view utf8, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
  if (pos + 2 < utf8.size() && byte(pos) == 0xED && (byte(pos + 1) & 0xE0) == 0xA0 &&
      (byte(pos + 2) & 0xC0) == 0x80) {
    return static_cast<char16_t>(0xD000 | ((byte(pos + 1) & 0x3F) << 6) | (byte(pos + 2) & 0x3F));
  }
  return 0;
}

}  // namespace

Utf8Char DecodeUtf8At(std::string_view text, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  if (lead < 0x80) return {lead, 1};

  std::size_t length = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, minimum = 0x10000;
  } else {
    return {};
  }
  if (pos + length > text.size()) return {};
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = byte(pos + i);
    if ((next & 0xC0) != 0x80) return {};
    value = (value << 6) | (next & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return {};
  return {value, length};
}

void AppendUtf8(std::string& out, char32_t value) {
  if (value < 0x80) {
    out += static_cast<char>(value);
  } else if (value < 0x800) {
    out += static_cast<char>(0xC0 | (value >> 6));
    out += static_cast<char>(0x80 | (value & 0x3F));
  } else if (value < 0x10000) {
    out += static_cast<char>(0xE0 | (value >> 12));
    out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (value & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (value >> 18));
    out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (value & 0x3F));
  }
}

char32_t NextUtf8OrReplacement(std::string_view text, std::size_t& pos) {
  const Utf8Char ch = DecodeUtf8At(text, pos);
  if (ch.length == 0) {
    ++pos;
    return kReplacementCharacter;
  }
  pos += ch.length;
  return ch.value;
}

Utf16Units EncodeUtf16(char32_t value) {
  if (value < 0x10000) return {static_cast<char16_t>(value), 0};
  value -= 0x10000;
  return {static_cast<char16_t>(0xD800 + (value >> 10)), static_cast<char16_t>(0xDC00 + (value & 0x3FF))};
}

std::u16string Utf8ToUtf16(std::string_view utf8, LoneSurrogates lone) {
  std::u16string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    if (lone == LoneSurrogates::kKeep) {
      if (const char16_t kept = KeptSurrogateAt(utf8, pos); kept != 0) {
        out += kept;
        pos += 3;
        continue;
      }
    }
    const Utf16Units units = EncodeUtf16(NextUtf8OrReplacement(utf8, pos));
    out += units.first;
    if (units.second != 0) out += units.second;
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16, LoneSurrogates lone) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char32_t unit = utf16[i];
    if (IsHighSurrogate(unit) && i + 1 < utf16.size() && IsLowSurrogate(utf16[i + 1])) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (char32_t{utf16[i + 1]} - 0xDC00));
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      if (lone == LoneSurrogates::kKeep) {
        AppendKeptSurrogate(out, unit);
      } else {
        AppendUtf8(out, kReplacementCharacter);
      }
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

}  // namespace bt
