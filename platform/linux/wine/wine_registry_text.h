// Text as Wine keeps it in a registry file: its escapes, and the letter case
// of the UTF-16 units it stores. (The conversions between that UTF-16 and the
// UTF-8 that crosses the registry calls are platform/utf8.h's.)
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace bt::wine {

// Reads one quoted text of a registry line unit by unit, undoing Wine's
// escapes exactly as Wine reads them back: \a \b \e \f \n \r \t \v; octal
// \0 to \777 (1 to 3 digits); \x with 1 to 4 hex digits as one UTF-16 unit
// ("\x" alone is the letter x); any other escaped character stands for
// itself (\\ \" \[ \]). Bytes above 127 are UTF-8 and may give two units.
// The text ends at the first unescaped `endChar`; a line that ends before
// it is malformed.
class EscapedTextReader {
 public:
  // Starts at text[start], just after the opening quote or bracket.
  EscapedTextReader(std::string_view text, std::size_t start, char endChar)
      : text_(text), pos_(start), endChar_(endChar) {}

  // The next unit of the text; false at its end, which is either the end
  // character (closed()) or the end of the line (the text is malformed).
  bool Next(char16_t& unit);
  bool closed() const { return closed_; }
  // The index just after the end character, once closed().
  std::size_t position() const { return pos_; }

 private:
  std::string_view text_;
  std::size_t pos_;
  char endChar_;
  bool closed_ = false;
  char16_t pendingLowSurrogate_ = 0;
};

// The upper-case form of one UTF-16 unit, by the Unicode simple mapping, as
// Wine compares key and value names (surrogates are kept as they are).
char16_t UpperCaseUnit(char16_t unit);

inline bool SameUnitIgnoringCase(char16_t a, char16_t b) {
  return a == b || UpperCaseUnit(a) == UpperCaseUnit(b);
}

}  // namespace bt::wine
