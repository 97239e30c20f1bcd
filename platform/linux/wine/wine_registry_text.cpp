#include "platform/linux/wine/wine_registry_text.h"

#include <locale.h>
#include <wctype.h>

#include "platform/utf8.h"

namespace bt::wine {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

// The character of a C escape letter, or 0 when c is none.
char16_t ControlEscape(char c) {
  switch (c) {
    case 'a': return u'\a';
    case 'b': return u'\b';
    case 'e': return 0x1B;
    case 'f': return u'\f';
    case 'n': return u'\n';
    case 'r': return u'\r';
    case 't': return u'\t';
    case 'v': return u'\v';
    default: return 0;
  }
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes the UTF-8 sequence at text[pos] and advances pos past it; an
// invalid, overlong or truncated sequence yields U+FFFD for its first byte.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos++]);
  if (lead < 0x80) return lead;
  int extra = 0;
  char32_t code = 0;
  char32_t minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1, code = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2, code = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3, code = lead & 0x07, minimum = 0x10000;
  } else {
    return kReplacement;
  }
  if (text.size() - pos < static_cast<std::size_t>(extra)) return kReplacement;
  for (int i = 0; i < extra; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) return kReplacement;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    return kReplacement;
  }
  pos += extra;
  return code;
}

// The C.UTF-8 locale carries the full Unicode case tables whatever locale
// the process runs in; without it only ASCII letters fold.
locale_t CaseLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  return locale;
}

}  // namespace

bool EscapedTextReader::Next(char16_t& unit) {
  if (pendingLowSurrogate_ != 0) {
    unit = pendingLowSurrogate_;
    pendingLowSurrogate_ = 0;
    return true;
  }
  if (closed_ || pos_ >= text_.size()) return false;
  char c = text_[pos_];
  if (c == endChar_) {
    ++pos_;
    closed_ = true;
    return false;
  }
  if (c == '\\') {
    ++pos_;
    if (pos_ >= text_.size()) return false;  // a line cut after the backslash
    c = text_[pos_];
    if (const char16_t control = ControlEscape(c)) {
      ++pos_;
      unit = control;
      return true;
    }
    if (c == 'x') {
      ++pos_;
      unsigned value = 0;
      int digits = 0;
      while (digits < 4 && pos_ < text_.size() && HexValue(text_[pos_]) >= 0) {
        value = value * 16 + static_cast<unsigned>(HexValue(text_[pos_++]));
        ++digits;
      }
      unit = digits == 0 ? u'x' : static_cast<char16_t>(value);
      return true;
    }
    if (IsOctal(c)) {
      unsigned value = 0;
      for (int digits = 0; digits < 3 && pos_ < text_.size() && IsOctal(text_[pos_]); ++digits) {
        value = value * 8 + static_cast<unsigned>(text_[pos_++] - '0');
      }
      unit = static_cast<char16_t>(value);
      return true;
    }
    // Any other escaped character stands for itself.
  }
  const char32_t code = DecodeUtf8(text_, pos_);
  if (code >= 0x10000) {
    unit = static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
    pendingLowSurrogate_ = static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
  } else {
    unit = static_cast<char16_t>(code);
  }
  return true;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const char32_t code = DecodeUtf8(utf8, pos);
    if (code >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char16_t unit = utf16[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (utf16[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

char16_t UpperCaseUnit(char16_t unit) {
  if (unit < 0x80) return (unit >= u'a' && unit <= u'z') ? unit - (u'a' - u'A') : unit;
  if (unit >= 0xD800 && unit <= 0xDFFF) return unit;
  const locale_t locale = CaseLocale();
  if (locale == locale_t{}) return unit;
  const wint_t upper = towupper_l(static_cast<wint_t>(unit), locale);
  // A letter whose capital lies outside the BMP keeps its own unit.
  return upper <= 0xFFFF ? static_cast<char16_t>(upper) : unit;
}

}  // namespace bt::wine
