#include "platform/windows/wide_names.h"

#include "platform/utf8.h"

namespace bt {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHigh(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLow(wchar_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// AppendUtf8's three-byte form, which it also gives a surrogate's value.
void AppendUnit(std::string& out, char32_t unit) {
  out += static_cast<char>(0xE0 | (unit >> 12));
  out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
  out += static_cast<char>(0x80 | (unit & 0x3F));
}

void AppendWide(std::wstring& out, char32_t value) {
  if (value < 0x10000) {
    out += static_cast<wchar_t>(value);
    return;
  }
  value -= 0x10000;
  out += static_cast<wchar_t>(0xD800 + (value >> 10));
  out += static_cast<wchar_t>(0xDC00 + (value & 0x3FF));
}

}  // namespace

std::string WideToUtf8(std::wstring_view wide, LoneSurrogates lone) {
  std::string out;
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const wchar_t unit = wide[i];
    if (IsHigh(unit) && i + 1 < wide.size() && IsLow(wide[i + 1])) {
      AppendUtf8(out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(wide[i + 1]) - 0xDC00));
      ++i;
    } else if (IsHigh(unit) || IsLow(unit)) {
      if (lone == LoneSurrogates::kKeep) {
        AppendUnit(out, unit);
      } else {
        AppendUtf8(out, kReplacement);
      }
    } else {
      AppendUtf8(out, static_cast<char32_t>(unit));
    }
  }
  return out;
}

std::wstring Utf8ToWide(std::string_view utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const Utf8Char ch = DecodeUtf8At(utf8, pos);
    if (ch.length != 0) {
      AppendWide(out, ch.value);
      pos += ch.length;
      continue;
    }
    // A carried surrogate: ED A0..BF xx, which strict decoding refuses.
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
    if (pos + 2 < utf8.size() && byte(pos) == 0xED && (byte(pos + 1) & 0xE0) == 0xA0 &&
        (byte(pos + 2) & 0xC0) == 0x80) {
      out += static_cast<wchar_t>(0xD000 | ((byte(pos + 1) & 0x3F) << 6) | (byte(pos + 2) & 0x3F));
      pos += 3;
      continue;
    }
    out += static_cast<wchar_t>(kReplacement);
    ++pos;
  }
  return out;
}

}  // namespace bt
