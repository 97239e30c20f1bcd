// Texts across the wide ("W") functions: UTF-8 inside, UTF-16 at the
// boundary, so any name works whatever the code page.
//
// File names may hold UTF-16 that is not valid Unicode (a lone surrogate,
// which Windows allows in a name). Such a unit crosses as the three bytes it
// would have as a character (generalized UTF-8), so that a name read from a
// listing finds the same file again.
#pragma once

#include <string>
#include <string_view>

namespace bt {

enum class LoneSurrogates {
  kKeep,     // carried as three bytes and back: file names
  kReplace,  // U+FFFD: texts only shown, as the Linux registry reader does
};

std::string WideToUtf8(std::wstring_view wide, LoneSurrogates lone = LoneSurrogates::kKeep);

// The inverse of WideToUtf8 with kKeep; a byte that starts no sequence
// becomes U+FFFD.
std::wstring Utf8ToWide(std::string_view utf8);

}  // namespace bt
