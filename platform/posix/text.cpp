#include "platform/text.h"

#include <locale.h>
#include <wctype.h>

#include "platform/posix/utf8.h"

namespace bt {
namespace {

// The C.UTF-8 locale gives towlower_l the full Unicode case table whatever
// the user's own locale is. Without it only ASCII letters fold.
locale_t UnicodeLocale() {
  static const locale_t locale = [] {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
      if (locale_t l = newlocale(LC_CTYPE_MASK, name, locale_t{})) return l;
    }
    return locale_t{};
  }();
  return locale;
}

char32_t LowerChar(char32_t value) {
  if (value < 0x80) return (value >= 'A' && value <= 'Z') ? value + ('a' - 'A') : value;
  const locale_t locale = UnicodeLocale();
  if (locale == locale_t{}) return value;
  const wint_t lower = towlower_l(static_cast<wint_t>(value), locale);
  // A fold into a surrogate or beyond Unicode would not encode; keep the letter.
  if (lower > 0x10FFFF || (lower >= 0xD800 && lower <= 0xDFFF)) return value;
  return static_cast<char32_t>(lower);
}

}  // namespace

std::string LowerCase(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const unsigned char byte = static_cast<unsigned char>(utf8[pos]);
    if (byte < 0x80) {
      out += static_cast<char>((byte >= 'A' && byte <= 'Z') ? byte + ('a' - 'A') : byte);
      ++pos;
      continue;
    }
    const Utf8Char ch = DecodeUtf8At(utf8, pos);
    if (ch.length == 0) {
      out += utf8[pos++];
      continue;
    }
    AppendUtf8(out, LowerChar(ch.value));
    pos += ch.length;
  }
  return out;
}

}  // namespace bt
