// UTF-8 inside the program, UTF-16 at the window system's boundary (the
// wide "W" functions), so that any name shows whatever the code page.
#pragma once

#include <string>
#include <string_view>

#include "platform/wide_text.h"

namespace bt {

// Texts only shown or typed, never a path that goes back to the file system:
// bytes that are not UTF-8 (a lone surrogate kept in a file name among them)
// become U+FFFD, and so does a lone surrogate typed into a text box.
inline std::wstring Widen(std::string_view utf8) { return Utf8ToWide(utf8, LoneSurrogates::kReplace); }
inline std::string Narrow(std::wstring_view utf16) { return WideToUtf8(utf16, LoneSurrogates::kReplace); }

}  // namespace bt
