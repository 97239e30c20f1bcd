// The text under the reader: letter case of single units, escaped texts and
// key paths. (Its UTF-8 and UTF-16 conversions are tests/unit/platform's.)
#include <string>

#include <gtest/gtest.h>

#include "platform/linux/wine/wine_registry_scan.h"
#include "platform/linux/wine/wine_registry_text.h"

namespace bt::wine {
namespace {

TEST(RegistryText, UnitsCompareIgnoringCase) {
  EXPECT_TRUE(SameUnitIgnoringCase(u'a', u'A'));
  EXPECT_TRUE(SameUnitIgnoringCase(u'ç', u'Ç'));
  EXPECT_TRUE(SameUnitIgnoringCase(u'ж', u'Ж'));
  EXPECT_TRUE(SameUnitIgnoringCase(u'ω', u'Ω'));
  EXPECT_FALSE(SameUnitIgnoringCase(u'a', u'b'));
  EXPECT_FALSE(SameUnitIgnoringCase(u'[', u'{')) << "only letters fold";
  EXPECT_FALSE(SameUnitIgnoringCase(u'@', u'`'));
  EXPECT_EQ(UpperCaseUnit(0xD801), 0xD801) << "surrogates are compared as they are";
}

TEST(RegistryText, EscapedTextStopsAtItsEnd) {
  const std::string line = R"(x\]y] 12)";
  EscapedTextReader reader(line, 0, ']');
  std::u16string units;
  char16_t unit = 0;
  while (reader.Next(unit)) units += unit;
  EXPECT_TRUE(reader.closed());
  EXPECT_EQ(units, u"x]y");
  EXPECT_EQ(reader.position(), 5u);
  EXPECT_FALSE(reader.Next(unit)) << "nothing is read past the end";

  EscapedTextReader open(R"(abc\)", 0, '"');
  units.clear();
  while (open.Next(unit)) units += unit;
  EXPECT_FALSE(open.closed());
  EXPECT_EQ(units, u"abc");
}

TEST(RegistryText, KeyPathsDropEmptyComponents) {
  EXPECT_EQ(NormalizeKeyPath(u"Software\\KESTAL"), u"Software\\KESTAL");
  EXPECT_EQ(NormalizeKeyPath(u"\\\\Software\\\\KESTAL\\"), u"Software\\KESTAL");
  EXPECT_EQ(NormalizeKeyPath(u"\\"), u"");
  EXPECT_EQ(NormalizeKeyPath(u""), u"");
}

}  // namespace
}  // namespace bt::wine
