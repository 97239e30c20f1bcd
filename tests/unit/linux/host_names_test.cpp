#include "platform/linux/host_names.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/utf8.h"

namespace bt {
namespace {

// Every character of a Windows name must be valid UTF-8, none of the
// characters Windows refuses, and the name must not end in a dot or space.
bool FitsWindows(const std::string& name) {
  for (std::size_t pos = 0; pos < name.size();) {
    const Utf8Char ch = DecodeUtf8At(name, pos);
    if (ch.length == 0) return false;
    if (ch.value < 32 || std::u32string_view(U"\\:*?\"<>|/").find(ch.value) != std::u32string_view::npos) {
      return false;
    }
    pos += ch.length;
  }
  return name.empty() || (name.back() != '.' && name.back() != ' ');
}

TEST(HostNames, OrdinaryNamesPassUnchanged) {
  for (const std::string name : {"Fotos", "vendrial.mdb", "ação.jpg", "a.b c", "Über Größe", "日本語", "..a"}) {
    EXPECT_EQ(HostNameToWindows(name), name);
    EXPECT_EQ(WindowsNameToHost(name), name);
  }
  EXPECT_EQ(HostNameToWindows("."), ".");
  EXPECT_EQ(HostNameToWindows(".."), "..");
}

TEST(HostNames, EachForbiddenByteTravelsAsAPrivateUseCharacter) {
  EXPECT_EQ(HostNameToWindows("a\\b"), "a\uF05Cb");  // as Cygwin carries it
  EXPECT_EQ(HostNameToWindows("c:d"), "c\uF03Ad");
  EXPECT_EQ(HostNameToWindows("e*f?g"), "e\uF02Af\uF03Fg");
  EXPECT_EQ(HostNameToWindows("\"<>|"), "\uF022\uF03C\uF03E\uF07C");
  EXPECT_EQ(HostNameToWindows("tab\tend\x01"), "tab\uF009end\uF001");
}

TEST(HostNames, OnlyTheTrailingDotOrSpaceIsCarried) {
  EXPECT_EQ(HostNameToWindows("nome."), "nome\uF02E");
  EXPECT_EQ(HostNameToWindows("nome "), "nome\uF020");
  EXPECT_EQ(HostNameToWindows("a.."), "a.\uF02E");
  EXPECT_EQ(HostNameToWindows("a b.c"), "a b.c");
  EXPECT_EQ(HostNameToWindows("..."), "..\uF02E");
}

TEST(HostNames, BytesThatAreNotUtf8AreCarriedOneByOne) {
  EXPECT_EQ(HostNameToWindows("caf\xE9"), "caf\uF0E9");      // Latin-1 é
  EXPECT_EQ(HostNameToWindows("\xC3"), "\uF0C3");             // cut short
  EXPECT_EQ(HostNameToWindows("\xC0\xAF"), "\uF0C0\uF0AF");   // overlong "/"
  EXPECT_EQ(HostNameToWindows("\xED\xA0\x80"), "\uF0ED\uF0A0\uF080");  // a surrogate
}

TEST(HostNames, APrivateUseCharacterAlreadyInTheNameIsCarriedToo) {
  // Otherwise "\uF05C" on the host would come back as "\".
  EXPECT_EQ(HostNameToWindows("x\uF05Cy"), "x\uF0EF\uF081\uF09Cy");
  EXPECT_EQ(WindowsNameToHost("x\uF0EF\uF081\uF09Cy"), "x\uF05Cy");
  EXPECT_EQ(HostNameToWindows("\uF100"), "\uF100");  // outside the carrier range
}

TEST(HostNames, EveryNastyNameRoundTripsAndFitsWindows) {
  std::vector<std::string> names = {"a\\b", "c:d", "e*f", "g?h", "i\"j", "k<l>m", "n|o", "p.", "q ",
                                    "r\x1f", "caf\xE9", "\xFF\xFE", "x\uF05Cy", " . ", "a\\\\b.. "};
  for (int byte = 1; byte < 256; ++byte) {
    if (byte != '/') names.push_back(std::string(1, static_cast<char>(byte)) + "z");
  }
  std::mt19937 random(20240607);
  for (int i = 0; i < 2000; ++i) {
    std::string name;
    const int length = 1 + static_cast<int>(random() % 12);
    for (int j = 0; j < length; ++j) {
      char c = static_cast<char>(1 + random() % 255);
      name += c == '/' ? 'x' : c;
    }
    if (name != "." && name != "..") names.push_back(name);  // never host entry names
  }
  for (const std::string& name : names) {
    const std::string windows = HostNameToWindows(name);
    EXPECT_TRUE(FitsWindows(windows)) << windows;
    EXPECT_EQ(WindowsNameToHost(windows), name);
  }
}

TEST(HostNames, CarrierCharactersCannotSpellAPathStep) {
  EXPECT_FALSE(IsUsableHostName(WindowsNameToHost("\uF02E\uF02E")));  // ".."
  EXPECT_FALSE(IsUsableHostName(WindowsNameToHost("\uF02E")));        // "."
  EXPECT_FALSE(IsUsableHostName(WindowsNameToHost("a\uF02Fb")));      // "a/b"
  EXPECT_FALSE(IsUsableHostName(WindowsNameToHost("a\uF000b")));      // NUL
  EXPECT_FALSE(IsUsableHostName(""));
  EXPECT_TRUE(IsUsableHostName(WindowsNameToHost("\uF02E\uF02E\uF02E")));  // "..." is a name
  EXPECT_TRUE(IsUsableHostName(WindowsNameToHost("a\uF05Cb")));
}

}  // namespace
}  // namespace bt
