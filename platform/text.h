// Text helpers that need the host's Unicode tables.
#pragma once

#include <string>
#include <string_view>

namespace bt {

// The lower-case form of a UTF-8 text, letter by letter (Unicode-aware:
// "AÇÃO" gives "ação"). Bytes that are not valid UTF-8 are kept as they are.
std::string LowerCase(std::string_view utf8);

}  // namespace bt
