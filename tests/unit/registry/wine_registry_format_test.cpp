// Reading system.reg as Wine writes it: escapes, value forms, continued hex
// lines, line ends, letter case, the default value, and the two views of a
// 64-bit prefix.
#include <string>

#include <gtest/gtest.h>

#include "tests/unit/registry/registry_files.h"

namespace bt::test {
namespace {

using namespace std::string_literals;

// A 64-bit prefix's file whose Tarvel key (in the 32-bit view) holds `lines`.
std::string TarvelFile(const std::string& lines) {
  return kWin64Header + "[Software\\\\Wow6432Node\\\\KESTAL\\\\Tarvel\\\\2.0] 1796736792\n" +
         "#time=1dd8718ac39b1a8\n" + lines + "\n";
}

Answer PathOf(const std::string& lines) { return QueryFile(TarvelFile(lines), "Path"); }

// --- escapes -------------------------------------------------------------

TEST(WineEscapes, CEscapesAndTheQuotedCharacters) {
  const Answer a = PathOf(R"("Path"="a\\b\"c\a\b\t\n\v\f\r\e")");
  ASSERT_EQ(a.status, 0);
  EXPECT_EQ(a.bytes, "a\\b\"c\a\b\t\n\v\f\r\x1b\0"s);
}

TEST(WineEscapes, OctalTakesOneToThreeDigits) {
  EXPECT_EQ(PathOf(R"("Path"="\0|\7|\12|\101|\1012")").bytes, "\0|\a|\n|A|A2\0"s);
  EXPECT_EQ(PathOf(R"("Path"="\377")").bytes, "\xc3\xbf\0"s) << "U+00FF";
  EXPECT_EQ(PathOf(R"("Path"="\08")").bytes, "\0" "8\0"s) << "8 is no octal digit";
}

TEST(WineEscapes, HexTakesOneToFourDigitsAsOneUnit) {
  EXPECT_EQ(PathOf(R"("Path"="\x41|\x4|\xe7|\x00e7|\x00e7f")").bytes,
            "A|\x04|\xc3\xa7|\xc3\xa7|\xc3\xa7" "f\0"s);
  EXPECT_EQ(PathOf(R"("Path"="\x20ac")").bytes, "\xe2\x82\xac\0"s) << "the euro sign";
  EXPECT_EQ(PathOf(R"("Path"="a\xz")").bytes, "axz\0"s) << "\\x without digits is the letter";
}

TEST(WineEscapes, SurrogatePairsCombineAndLoneOnesAreReplaced) {
  EXPECT_EQ(PathOf(R"("Path"="\xd83d\xde00")").bytes, "\xf0\x9f\x98\x80\0"s);
  EXPECT_EQ(PathOf(R"("Path"="\xd83dx")").bytes, "\xef\xbf\xbdx\0"s);
  EXPECT_EQ(PathOf(R"("Path"="\xde00")").bytes, "\xef\xbf\xbd\0"s);
}

TEST(WineEscapes, UnknownEscapesStandForTheCharacter) {
  EXPECT_EQ(PathOf(R"("Path"="\q\]\[")").bytes, "q][\0"s);
}

TEST(WineEscapes, RawUtf8IsRead) {
  EXPECT_EQ(PathOf("\"Path\"=\"C:\\\\A\xc3\xa7\xc3\xa3o \xf0\x9f\x98\x80\"").bytes,
            "C:\\A\xc3\xa7\xc3\xa3o \xf0\x9f\x98\x80\0"s);
}

// --- value forms ---------------------------------------------------------

TEST(WineValueForms, EveryTypeWithItsBytes) {
  struct Case {
    std::string line;
    std::uint32_t type;
    std::string bytes;
  } cases[] = {
      {R"("Path"=str:"C:\\T")", kRegSz, "C:\\T\0"s},
      {R"("Path"=str(2):"%P%")", kRegExpandSz, "%P%\0"s},
      {R"("Path"=str(7):"a\0b\0")", kRegMultiSz, "a\0b\0\0"s},
      {R"("Path"=dword:0000002A)", kRegDword, "\x2a\0\0\0"s},
      {R"("Path"=dword:80000001)", kRegDword, "\x01\0\0\x80"s},
      {R"("Path"=hex:de,ad,BE,ef)", kRegBinary, "\xde\xad\xbe\xef"s},
      {R"("Path"=hex:)", kRegBinary, ""s},
      {R"("Path"=hex(b):01,00,00,00,00,00,00,00)", 11, "\x01\0\0\0\0\0\0\0"s},
      {R"("Path"=hex(1):43,00,3a,00)", kRegSz, "C:"s},
      {R"("Path"=hex(1):43,00,3a)", kRegSz, "C"s},  // the odd byte is dropped
      {R"("Path"=hex(2):25,00,00,00)", kRegExpandSz, "%\0"s},
  };
  for (const Case& c : cases) {
    const Answer a = PathOf(c.line);
    ASSERT_EQ(a.status, 0) << c.line;
    EXPECT_EQ(a.type, c.type) << c.line;
    EXPECT_EQ(a.bytes, c.bytes) << c.line;
  }
}

TEST(WineValueForms, HexListsGoOnOverContinuedLines) {
  const Answer a = PathOf(
      "\"Path\"=hex(1):43,00,3a,00,5c,00,41,00,72,00,71,00,75,00,69,00,76,00,6f,00,73,\\\n"
      "  00,20,00,64,00,65,00,20,00,50,00,72,00,6f,00,67,00,72,00,61,00,6d,00,61,00,\\\n"
      "  73,00,00,00\n"
      "\"Other\"=dword:00000001");
  ASSERT_EQ(a.status, 0);
  EXPECT_EQ(a.bytes, "C:\\Arquivos de Programas\0"s);
  EXPECT_EQ(QueryFile(TarvelFile("\"Path\"=hex:01,\\\n  02\n\"Other\"=dword:00000007"), "Other")
                .bytes,
            "\x07\0\0\0"s)
      << "the line after a continued list is read as its own value";
}

TEST(WineValueForms, DefaultValueHasTheEmptyName) {
  const std::string file = TarvelFile("@=\"C:\\\\Padrao\"\n\"Path\"=\"C:\\\\Tarvel\"");
  EXPECT_EQ(QueryFile(file, "").bytes, "C:\\Padrao\0"s);
  EXPECT_EQ(QueryFile(file, "Path").bytes, "C:\\Tarvel\0"s);
  EXPECT_EQ(QueryFile(file, "@").status, kErrorFileNotFound);
}

TEST(WineValueForms, EscapedValueNames) {
  const std::string file = TarvelFile(R"("Pa\"th\\x"="1")");
  EXPECT_EQ(QueryFile(file, "Pa\"th\\x").bytes, "1\0"s);
  EXPECT_EQ(QueryFile(file, "Pa\"th").status, kErrorFileNotFound);
}

TEST(WineValueForms, OptionAndCommentLinesAreNotValues) {
  const Answer a = PathOf("#class=\"x\"\n;\"Path\"=\"comment\"\n  \"Path\"=\"C:\\\\Tarvel\"\n#link");
  ASSERT_EQ(a.status, 0);
  EXPECT_EQ(a.bytes, "C:\\Tarvel\0"s);
}

TEST(WineValueForms, LaterDefinitionReplacesAnEarlierOne) {
  EXPECT_EQ(PathOf("\"Path\"=\"C:\\\\Um\"\n\"Path\"=\"C:\\\\Dois\"").bytes, "C:\\Dois\0"s);
  const std::string twoSections =
      TarvelFile("\"Path\"=\"C:\\\\Um\"\n\"A\"=\"1\"") +
      "\n[Software\\\\Wow6432Node\\\\KESTAL\\\\Tarvel\\\\2.0] 1\n\"Path\"=\"C:\\\\Dois\"\n";
  EXPECT_EQ(QueryFile(twoSections, "Path").bytes, "C:\\Dois\0"s);
  EXPECT_EQ(QueryFile(twoSections, "A").bytes, "1\0"s);
}

// --- line ends, letter case ---------------------------------------------

TEST(WineLineEnds, CrLfFilesReadAsLfFiles) {
  std::string file = TarvelFile(
      "\"Path\"=\"C:\\\\Tarvel\"\n\"Bin\"=hex:01,02,\\\n  03\n\"N\"=dword:00000005");
  std::string crlf;
  for (char c : file) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  EXPECT_EQ(QueryFile(crlf, "Path").bytes, "C:\\Tarvel\0"s);
  EXPECT_EQ(QueryFile(crlf, "Bin").bytes, "\x01\x02\x03"s);
  EXPECT_EQ(QueryFile(crlf, "N").bytes, "\x05\0\0\0"s);
}

TEST(WineLetterCase, KeyAndValueNamesIgnoreAsciiCase) {
  const std::string file = TarvelFile("\"Path\"=\"C:\\\\Tarvel\"");
  EXPECT_EQ(QueryFile(file, "pATH", "SOFTWARE\\kestal\\tarvel\\2.0").bytes, "C:\\Tarvel\0"s);
}

TEST(WineLetterCase, KeyAndValueNamesIgnoreUnicodeCase) {
  const std::string file =
      kWin32Header + "[Software\\\\A\\xe7\\xe3o\\\\\\x41a\\x44f\\x447] 1\n" +
      "\"\\x3a0\\x3b1\\x3b8\"=\"ok\"\n";
  // The key "Ação\Кяч" asked for as "AÇÃO\КЯЧ", the value "Παθ" as "παΘ".
  EXPECT_EQ(QueryFile(file, "\xcf\x80\xce\xb1\xce\x98",
                      "software\\A\xc3\x87\xc3\x83O\\\xd0\x9a\xd0\xaf\xd0\xa7")
                .bytes,
            "ok\0"s);
  EXPECT_EQ(QueryFile(file, "\xcf\x80\xce\xb1\xce\x98", "software\\Acao\\x").openStatus,
            kErrorFileNotFound);
}

// --- keys ---------------------------------------------------------------

TEST(WineKeys, KeyWithOnlySubkeySectionsExists) {
  const std::string file = TarvelFile("\"Path\"=\"C:\\\\Tarvel\"");
  EXPECT_EQ(QueryFile(file, "Path", "Software\\KESTAL").openStatus, kErrorSuccess);
  EXPECT_EQ(QueryFile(file, "Path", "Software\\KESTAL").status, kErrorFileNotFound);
  EXPECT_EQ(QueryFile(file, "Path", "Software\\KEST").openStatus, kErrorFileNotFound);
  EXPECT_EQ(QueryFile(file, "Path", "Software\\KESTAL\\Tarvel\\2").openStatus, kErrorFileNotFound);
}

TEST(WineKeys, SubkeyValuesAndLookAlikeKeysAreNotTheKeys) {
  const std::string file =
      kWin64Header + "[Software\\\\Wow6432Node\\\\KESTAL\\\\Tarvel\\\\2.0\\\\Sub] 1\n" +
      "\"Path\"=\"C:\\\\Sub\"\n\n[Software\\\\Wow6432Node\\\\KESTAL\\\\Tarvel\\\\2.01] 1\n" +
      "\"Path\"=\"C:\\\\Other\"\n";
  const Answer a = QueryFile(file, "Path");
  EXPECT_EQ(a.openStatus, kErrorSuccess) << "the key exists through its subkey";
  EXPECT_EQ(a.status, kErrorFileNotFound);
}

TEST(WineKeys, SeparatorsAroundAndBetweenNamesAreIgnored) {
  const std::string file = TarvelFile("\"Path\"=\"C:\\\\Tarvel\"");
  EXPECT_EQ(QueryFile(file, "Path", "\\Software\\\\KESTAL\\Tarvel\\2.0\\").bytes, "C:\\Tarvel\0"s);
}

TEST(WineKeys, IndentedHeadersCountAndBracketsInsideValuesDoNot) {
  const std::string file =
      kWin64Header + "[First] 1\n \t[Software\\\\Wow6432Node\\\\KESTAL\\\\Tarvel\\\\2.0] 1\n" +
      "\"Path\"=\"C:\\\\Tarvel\"\n\n[Other] 1\n" +
      "\"V\"=\"[Software\\\\Wow6432Node\\\\KESTAL\\\\Tarvel\\\\2.0]\"\n\"Path\"=\"wrong\"\n";
  EXPECT_EQ(QueryFile(file, "Path").bytes, "C:\\Tarvel\0"s);
}

TEST(WineKeys, SectionWithoutTimestampStillCounts) {
  const std::string file =
      kWin32Header + "[Software\\\\KESTAL\\\\Tarvel\\\\2.0]\n\"Path\"=\"C:\\\\Tarvel\"\n";
  EXPECT_EQ(QueryFile(file, "Path").bytes, "C:\\Tarvel\0"s);
}

// --- views ---------------------------------------------------------------

const std::string kBothViews =
    "[Software\\\\KESTAL\\\\Tarvel\\\\2.0] 1\n\"Path\"=\"C:\\\\Nativo\"\n\n"
    "[Software\\\\Wow6432Node\\\\KESTAL\\\\Tarvel\\\\2.0] 1\n\"Path\"=\"C:\\\\Tarvel32\"\n";

TEST(WineViews, SixtyFourBitPrefixPrefersTheThirtyTwoBitView) {
  EXPECT_EQ(QueryFile(kWin64Header + kBothViews, "Path").bytes, "C:\\Tarvel32\0"s);
  EXPECT_EQ(QueryFile(kWin64Header + kBothViews, "Path", "software\\KESTAL\\Tarvel\\2.0").bytes,
            "C:\\Tarvel32\0"s);
}

TEST(WineViews, ThirtyTwoBitPrefixHasNoRedirection) {
  EXPECT_EQ(QueryFile(kWin32Header + kBothViews, "Path").bytes, "C:\\Nativo\0"s);
  const std::string only32 =
      kWin32Header + "[Software\\\\Wow6432Node\\\\KESTAL\\\\Tarvel\\\\2.0] 1\n\"Path\"=\"C:\\\\X\"\n";
  EXPECT_EQ(QueryFile(only32, "Path").openStatus, kErrorFileNotFound);
}

TEST(WineViews, PrefixWithoutArchLineHasNoRedirection) {
  EXPECT_EQ(QueryFile("WINE REGISTRY Version 2\n\n" + kBothViews, "Path").bytes, "C:\\Nativo\0"s);
}

TEST(WineViews, ArchLineCountsOnlyBeforeTheSections) {
  const std::string file =
      "WINE REGISTRY Version 2\n\n" + kBothViews + "\n#arch=win64\n";
  EXPECT_EQ(QueryFile(file, "Path").bytes, "C:\\Nativo\0"s);
}

TEST(WineViews, OnlyKeysUnderSoftwareAreRedirected) {
  const std::string file = kWin64Header +
                           "[System\\\\X] 1\n\"V\"=\"nativo\"\n\n"
                           "[Software\\\\Wow6432Node\\\\System\\\\X] 1\n\"V\"=\"32\"\n\n"
                           "[SoftwareX\\\\Y] 1\n\"V\"=\"sx\"\n\n"
                           "[Software\\\\Wow6432Node\\\\X\\\\Y] 1\n\"V\"=\"wrong\"\n";
  EXPECT_EQ(QueryFile(file, "V", "System\\X").bytes, "nativo\0"s);
  EXPECT_EQ(QueryFile(file, "V", "SoftwareX\\Y").bytes, "sx\0"s);
}

TEST(WineViews, TheThirtyTwoBitViewCanBeNamedOutright) {
  EXPECT_EQ(QueryFile(kWin64Header + kBothViews, "Path",
                      "Software\\Wow6432Node\\KESTAL\\Tarvel\\2.0")
                .bytes,
            "C:\\Tarvel32\0"s);
}

}  // namespace
}  // namespace bt::test
