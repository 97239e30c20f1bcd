// UTF-8, the text of the whole program, and UTF-16, the text of the systems
// it talks to (Windows' wide calls, Wine's registry files).
//
// Decoding is strict: overlong forms, surrogates and values beyond U+10FFFF
// are not characters here, so a caller can treat their bytes one by one.
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

constexpr char32_t kReplacementCharacter = 0xFFFD;

// The character at text[pos], pos moved past it; U+FFFD for a byte that
// starts no valid sequence, pos moved past that byte alone.
char32_t NextUtf8OrReplacement(std::string_view text, std::size_t& pos);

// A character in UTF-16: one unit, or a surrogate pair (second then not 0).
struct Utf16Units {
  char16_t first = 0;
  char16_t second = 0;
};
Utf16Units EncodeUtf16(char32_t value);

// How a UTF-16 unit that is half of a surrogate pair without its other half
// (a lone surrogate) crosses to UTF-8 and back.
enum class LoneSurrogates {
  // U+FFFD (back in UTF-16, one for each of its three bytes, as for any
  // byte that starts no valid sequence): texts only shown or compared
  // (registry texts, window texts).
  kReplace,
  // The three bytes it would have as a character (generalized UTF-8), and
  // back: file names, which Windows allows to hold one, so that a name read
  // from a listing finds the same file again.
  kKeep,
};

// UTF-8 to UTF-16; a byte that starts no valid sequence becomes U+FFFD (with
// kKeep, but for the three bytes of a kept lone surrogate).
std::u16string Utf8ToUtf16(std::string_view utf8, LoneSurrogates lone = LoneSurrogates::kReplace);

// UTF-16 to UTF-8.
std::string Utf16ToUtf8(std::u16string_view utf16, LoneSurrogates lone = LoneSurrogates::kReplace);

}  // namespace bt
