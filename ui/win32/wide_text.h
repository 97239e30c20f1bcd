// UTF-8 inside the program, UTF-16 at the window system's boundary (the
// wide "W" functions), so that any name shows whatever the code page.
#pragma once

#include <string>
#include <string_view>

namespace bt {

// Bytes that are not UTF-8 become U+FFFD: only for display, never for a
// path that goes back to the file system.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace bt
