// Texts across Windows' wide ("W") calls: UTF-8 inside the program, UTF-16
// at the boundary, so that any name works whatever the code page. For the
// Windows build, whose wchar_t is a UTF-16 unit.
#pragma once

#include <string>
#include <string_view>

#include "platform/utf8.h"

namespace bt {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide texts are the UTF-16 of Windows");

// kKeep (the default) for file names: a name read from a listing, lone
// surrogate and all, comes back to the same file. kReplace for texts only
// shown.
inline std::wstring Utf8ToWide(std::string_view utf8, LoneSurrogates lone = LoneSurrogates::kKeep) {
  const std::u16string units = Utf8ToUtf16(utf8, lone);
  return std::wstring(units.begin(), units.end());
}

inline std::string WideToUtf8(std::wstring_view wide, LoneSurrogates lone = LoneSurrogates::kKeep) {
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()), lone);
}

}  // namespace bt
