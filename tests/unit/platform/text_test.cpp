#include "platform/text.h"

#include <gtest/gtest.h>

namespace bt {
namespace {

TEST(LowerCase, PortugueseAccentedLettersFold) {
  EXPECT_EQ(LowerCase("AÇÃO"), "ação");
  EXPECT_EQ(LowerCase("FOTOS DE PRODUTOS"), "fotos de produtos");
  EXPECT_EQ(LowerCase("ÉÊÍÓÔÕÚÀÜ"), "éêíóôõúàü");
}

TEST(LowerCase, OtherScriptsFoldToo) {
  EXPECT_EQ(LowerCase("ΣΟΦΙΑ"), "σοφια");
  EXPECT_EQ(LowerCase("МОСКВА"), "москва");
  EXPECT_EQ(LowerCase("ǅ"), "ǆ");  // a title-case letter
}

TEST(LowerCase, WhatIsNotALetterIsKept) {
  EXPECT_EQ(LowerCase("vendrial.mdb"), "vendrial.mdb");
  EXPECT_EQ(LowerCase("123 _-.~ 日本"), "123 _-.~ 日本");
  EXPECT_EQ(LowerCase("\uF05C\uF041"), "\uF05C\uF041");  // carried host bytes stay as they are
  EXPECT_EQ(LowerCase(""), "");
}

TEST(LowerCase, BytesThatAreNotUtf8AreKept) {
  EXPECT_EQ(LowerCase("CAF\xC9"), "caf\xC9");
  EXPECT_EQ(LowerCase("A\xE2\x82"), "a\xE2\x82");
  EXPECT_EQ(LowerCase("\xC0\xC1X"), "\xC0\xC1x");
}

}  // namespace
}  // namespace bt
