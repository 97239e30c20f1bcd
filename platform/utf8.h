// Decoding and encoding UTF-8 one character at a time, strictly: overlong
// forms, surrogates and values beyond U+10FFFF are not characters here, so a
// caller can treat their bytes one by one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace bt {

// The character at text[pos] and its length in bytes; length 0 when the
// bytes there are not a valid UTF-8 sequence.
struct Utf8Char {
  char32_t value = 0;
  std::size_t length = 0;
};
Utf8Char DecodeUtf8At(std::string_view text, std::size_t pos);

void AppendUtf8(std::string& out, char32_t value);

}  // namespace bt
