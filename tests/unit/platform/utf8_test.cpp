// UTF-8 and UTF-16 both ways, as texts cross to Windows' wide calls and from
// Wine's registry files.
#include "platform/utf8.h"

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

namespace bt {
namespace {

TEST(Utf16Text, Utf8RoundTrip) {
  const std::string text = "C:\\Aplica\xc3\xa7\xc3\xa3o \xe2\x82\xac \xf0\x9f\x98\x80";
  const std::u16string units = Utf8ToUtf16(text);
  EXPECT_EQ(units, u"C:\\Aplicação € 😀");
  EXPECT_EQ(Utf16ToUtf8(units), text);
}

TEST(Utf16Text, InvalidUtf8BecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToUtf16("a\x80z"), u"a\uFFFDz");            // stray continuation byte
  EXPECT_EQ(Utf8ToUtf16("a\xc0\x80z"), u"a\uFFFD\uFFFDz");  // overlong NUL
  EXPECT_EQ(Utf8ToUtf16("a\xe2\x82"), u"a\uFFFD\uFFFD");    // cut short
  EXPECT_EQ(Utf8ToUtf16("\xed\xa0\x80"), u"\uFFFD\uFFFD\uFFFD");  // an encoded surrogate
  EXPECT_EQ(Utf8ToUtf16("\xf4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // past U+10FFFF
  EXPECT_EQ(Utf8ToUtf16("\xff"), u"\uFFFD");
}

TEST(Utf16Text, LoneSurrogatesBecomeReplacementCharacters) {
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t{0xD800})), "\xef\xbf\xbd");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t{0xDC00}, u'a'}), "\xef\xbf\xbd" "a");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t{0xD83D}, char16_t{0xD83D}, char16_t{0xDE00}}),
            "\xef\xbf\xbd\xf0\x9f\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(2, u'\0')), std::string(2, '\0'));
}

// Windows lets a file name hold half a surrogate pair; kept, such a unit
// crosses as three bytes and back, so that a name read from a listing finds
// the same file again. Only those three bytes are taken for one.
TEST(Utf16Text, KeptLoneSurrogatesComeBackUnchanged) {
  for (const std::u16string& name : {std::u16string(u"meia") + char16_t{0xD800} + u"dupla",
                                     std::u16string(1, char16_t{0xDFFF}),
                                     std::u16string{char16_t{0xDC00}, char16_t{0xD800}}}) {
    const std::string kept = Utf16ToUtf8(name, LoneSurrogates::kKeep);
    EXPECT_EQ(Utf8ToUtf16(kept, LoneSurrogates::kKeep), name);
    const std::u16string shown = Utf8ToUtf16(kept, LoneSurrogates::kReplace);
    const auto isSurrogate = [](char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; };
    EXPECT_TRUE(std::none_of(shown.begin(), shown.end(), isSurrogate));
  }
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t{0xD800}), LoneSurrogates::kKeep), "\xed\xa0\x80");
  EXPECT_EQ(Utf8ToUtf16("\xed\x9f\xbf", LoneSurrogates::kKeep), u"\uD7FF");
  EXPECT_EQ(Utf8ToUtf16("\xed\xa0", LoneSurrogates::kKeep), u"\uFFFD\uFFFD");  // cut short
  EXPECT_EQ(Utf8ToUtf16("\xed\xa0" "a", LoneSurrogates::kKeep), u"\uFFFD\uFFFDa");
}

}  // namespace
}  // namespace bt
