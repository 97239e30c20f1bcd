// The text conversions under the reader: UTF-8 and UTF-16 both ways, letter
// case of single units, and key paths.
#include <string>

#include <gtest/gtest.h>

#include "platform/linux/wine/wine_registry_scan.h"
#include "platform/linux/wine/wine_registry_text.h"

namespace bt::wine {
namespace {

TEST(RegistryText, Utf8RoundTrip) {
  const std::string text = "C:\\Aplica\xc3\xa7\xc3\xa3o \xe2\x82\xac \xf0\x9f\x98\x80";
  const std::u16string units = Utf8ToUtf16(text);
  EXPECT_EQ(units, u"C:\\Aplicação € 😀");
  EXPECT_EQ(Utf16ToUtf8(units), text);
}

TEST(RegistryText, InvalidUtf8BecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToUtf16("a\x80z"), u"a\uFFFDz");            // stray continuation byte
  EXPECT_EQ(Utf8ToUtf16("a\xc0\x80z"), u"a\uFFFD\uFFFDz");  // overlong NUL
  EXPECT_EQ(Utf8ToUtf16("a\xe2\x82"), u"a\uFFFD\uFFFD");    // cut short
  EXPECT_EQ(Utf8ToUtf16("\xed\xa0\x80"), u"\uFFFD\uFFFD\uFFFD");  // an encoded surrogate
  EXPECT_EQ(Utf8ToUtf16("\xf4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // past U+10FFFF
  EXPECT_EQ(Utf8ToUtf16("\xff"), u"\uFFFD");
}

TEST(RegistryText, LoneSurrogatesBecomeReplacementCharacters) {
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t{0xD800})), "\xef\xbf\xbd");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t{0xDC00}, u'a'}), "\xef\xbf\xbd" "a");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t{0xD83D}, char16_t{0xD83D}, char16_t{0xDE00}}),
            "\xef\xbf\xbd\xf0\x9f\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(2, u'\0')), std::string(2, '\0'));
}

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
