#include "platform/linux/wine/wine_registry_text.h"

#include <locale.h>
#include <wctype.h>

#include "platform/text.h"
#include "platform/utf8.h"

namespace bt::wine {
namespace {

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
      while (digits < 4 && pos_ < text_.size() && HexDigitValue(text_[pos_]) >= 0) {
        value = value * 16 + static_cast<unsigned>(HexDigitValue(text_[pos_++]));
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
  const Utf16Units units = EncodeUtf16(NextUtf8OrReplacement(text_, pos_));
  unit = units.first;
  pendingLowSurrogate_ = units.second;
  return true;
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
