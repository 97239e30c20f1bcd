// LowerCase folds by the project's own table so that the Windows build
// folds as this one does; the table must still agree, letter for letter,
// with the C library's Unicode tables that the Linux build used before it.
// A failure here means the table is stale: run
// scripts/generate_lower_case_table.py.
#include <gtest/gtest.h>
#include <locale.h>
#include <wctype.h>

#include "platform/text.h"
#include "platform/utf8.h"

namespace bt {
namespace {

TEST(LowerCaseTable, AgreesWithTheCLibraryOnEveryCodePoint) {
  const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  if (unicode == locale_t{}) GTEST_SKIP() << "no C.UTF-8 locale";
  int differences = 0;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::string letter;
    AppendUtf8(letter, c);
    std::string expected;
    AppendUtf8(expected, static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), unicode)));
    if (LowerCase(letter) != expected && ++differences <= 5) ADD_FAILURE() << "U+" << std::hex << unsigned(c);
  }
  freelocale(unicode);
  EXPECT_EQ(differences, 0);
}

}  // namespace
}  // namespace bt
