// Text helpers, alike on every build.
#pragma once

#include <string>
#include <string_view>

namespace bt {

// The lower-case form of a UTF-8 text, letter by letter (Unicode-aware:
// "AÇÃO" gives "ação"), by Unicode's simple mapping from the table in
// platform/lower_case_table.inc, never the host's. Bytes that are not valid
// UTF-8 are kept as they are.
std::string LowerCase(std::string_view utf8);

// The form under which Windows, exFAT and Wine, which compare names by their
// upper-case forms, take two names for one: the lower-case form, with the
// few letters that share their upper case with another letter folded onto
// it ("ς" onto "σ", "ı" onto "i", "ſ" onto "s", "µ" onto "μ").
std::string CaseFoldKey(std::string_view utf8);

// The value of a hexadecimal digit (0-9, a-f, A-F); -1 for any other
// character.
int HexDigitValue(char c);

}  // namespace bt
