// Damaged, odd and very large files: the reader never crashes, hangs or
// reads out of bounds; what it cannot parse is missing.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "platform/linux/wine/wine_registry_scan.h"
#include "platform/linux/wine/wine_registry_value.h"
#include "tests/unit/registry/registry_files.h"

namespace bt::test {
namespace {

using namespace std::string_literals;

const std::string kSection = "[Software\\\\Wow6432Node\\\\KESTAL\\\\Tarvel\\\\2.0] 1796736792\n";

bool Missing(const Answer& a) { return a.openStatus != 0 || a.status != 0; }

TEST(DamagedFiles, FilesThatAreNotWineRegistriesHaveNoKeys) {
  const std::string body = kSection + "\"Path\"=\"C:\\\\Tarvel\"\n";
  for (const std::string& file :
       {""s, "WINE REGISTRY Version 2"s, "REGEDIT4\n\n" + body,
        "Windows Registry Editor Version 5.00\n" + body, "\xef\xbb\xbfWINE REGISTRY Version 2\n" + body,
        "WINE REGISTRY Version 1\n" + body, "\0"s + body}) {
    EXPECT_TRUE(Missing(QueryFile(file, "Path"))) << file.substr(0, 30);
  }
}

TEST(DamagedFiles, FileCutAnywhereBeforeTheValueEndsHasNoValue) {
  const std::string whole = kWin64Header + kSection + "#time=1dd8718ac39b1a8\n" +
                            "\"Path\"=\"C:\\\\Tarvel\"\n";
  const std::size_t valueEnd = whole.size() - 1;  // just after the closing quote
  TempFolder folder;
  for (std::size_t length = 0; length <= whole.size(); ++length) {
    auto registry = MakeWineRegistry(folder.Write("system.reg", whole.substr(0, length)));
    const Answer a = Query(*registry, "Path");
    if (length < valueEnd) {
      EXPECT_TRUE(Missing(a)) << "cut at " << length;
    } else {
      EXPECT_EQ(a.bytes, "C:\\Tarvel\0"s) << "cut at " << length;
    }
  }
}

TEST(DamagedFiles, ContinuedHexCutAnywhereGivesAPrefixOrNothing) {
  const std::string whole = kWin64Header + kSection +
                            "\"Path\"=hex(1):43,00,3a,00,5c,00,54,00,61,00,72,00,76,00,65,00,\\\n"
                            "  6c,00,00,00\n";
  const std::string full = "C:\\Tarvel\0"s;
  TempFolder folder;
  for (std::size_t length = 0; length <= whole.size(); ++length) {
    auto registry = MakeWineRegistry(folder.Write("system.reg", whole.substr(0, length)));
    const Answer a = Query(*registry, "Path");
    if (!Missing(a)) {
      EXPECT_EQ(full.compare(0, a.bytes.size(), a.bytes), 0) << "cut at " << length;
    }
  }
  EXPECT_TRUE(Missing(QueryFile(kWin64Header + kSection + "\"Path\"=hex:01,\\", "Path")))
      << "a list continued past the end of the file";
}

TEST(DamagedFiles, MalformedValuesAreMissing) {
  for (const char* line : {
           R"("Path"="C:\\Tarvel)",        // no closing quote
           R"("Path"="C:\\Tarvel\")",      // the closing quote is escaped
           R"("Path"="C:\)",               // the line ends in an escape
           R"("Path"=dword:)",             // no digits
           R"("Path"=dword:xyz)",          //
           R"("Path"=dword:123456789)",    // more than 32 bits
           R"("Path"=dword:12 34)",        //
           R"("Path"=hex:4g)",             //
           R"("Path"=hex:100)",            // more than a byte
           R"("Path"=hex:01;02)",          //
           R"("Path"=hex(zz):01)",         //
           R"("Path"=hex(1:01)",           //
           R"("Path"=hex(123456789):01)",  //
           R"~("Path"=str(2)"x")~",       //
           R"("Path"=str(2):x)",           //
           R"("Path"=quux:1)",             //
           R"("Path"=)",                   //
           R"("Path" = "C:\\Tarvel")",     // Wine writes no blanks around "="
           R"("Path")",                    //
           R"("Path)",                     //
       }) {
    EXPECT_TRUE(Missing(QueryFile(kWin64Header + kSection + line + "\n", "Path"))) << line;
  }
}

TEST(DamagedFiles, AMalformedDefinitionDoesNotHideAGoodOne) {
  const std::string file = kWin64Header + kSection +
                           "\"Path\"=\"C:\\\\Tarvel\"\n\"Path\"=hex:zz\n\"Path\"=\"C:\\\\Meio\n";
  EXPECT_EQ(QueryFile(file, "Path").bytes, "C:\\Tarvel\0"s);
}

TEST(DamagedFiles, HeaderWithoutItsBracketNamesNoKey) {
  const std::string file =
      kWin64Header + "[Software\\\\Wow6432Node\\\\KESTAL\\\\Tarvel\\\\2.0 1\n\"Path\"=\"C:\\\\T\"\n";
  EXPECT_EQ(QueryFile(file, "Path").openStatus, kErrorFileNotFound);
  EXPECT_EQ(QueryFile(file, "Path", "Software\\KESTAL").openStatus, kErrorFileNotFound);
}

TEST(DamagedFiles, NulBytesInsideTheFile) {
  const std::string file = kWin64Header + "[Soft\0ware] 1\n"s + kSection +
                           "\"Pa\0th\"=\"x\"\n\"Path\"=\"C:\\\\T\0arvel\"\n"s;
  const Answer a = QueryFile(file, "Path");
  ASSERT_EQ(a.status, 0);
  EXPECT_EQ(a.bytes, "C:\\T\0arvel\0"s) << "a raw NUL byte is read as a NUL character";
}

// Random damage to the other sections of a file never changes the answer,
// and damage anywhere never crashes (the sanitizer build checks the reads).
TEST(DamagedFiles, RandomDamageElsewhereLeavesTheAnswer) {
  const std::string noise =
      "[Software\\\\Classes\\\\.txt] 1796736560\n#time=1dd871821f7fbb2\n@=\"txtfile\"\n"
      "\"Content Type\"=\"text/plain\"\n\"Bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,\\\n"
      "  0d,0e,0f\n\"E\"=str(2):\"%SystemRoot%\\\\x\\xe7\\0\"\n\"D\"=dword:00000001\n\n"
      "[Software\\\\KESTAL\\\\Tarvel\\\\1.0] 1\n\"Path\"=\"C:\\\\Velho\"\n\n";
  const std::string target = kSection + "\"Path\"=\"C:\\\\Tarvel\"\n\n";
  const std::vector<std::u16string> paths{u"Software\\Wow6432Node\\KESTAL\\Tarvel\\2.0"};
  const char interesting[] = "\\\"[]\n\r\0x0,:()@#=7f\xff\xc3\xa7 ";
  std::mt19937 random(20240611);
  for (int round = 0; round < 3000; ++round) {
    std::string before = noise;
    std::string after = noise;
    const int damages = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < damages; ++i) {
      std::string& part = (random() % 2) ? before : after;
      part[random() % part.size()] = interesting[random() % (sizeof interesting - 1)];
    }
    // A damaged line may run into the next one; keep the target's header on
    // a line of its own, as any damage short of the target's own lines does.
    const std::string file = kWin64Header + before + "\n" + target + after;
    const wine::ScanResult scan = wine::FindKeys(file, paths);
    ASSERT_TRUE(scan.win64);
    ASSERT_TRUE(scan.keys[0].exists) << file;
    const auto value = wine::FindValue(scan.keys[0].bodies, u"Path");
    ASSERT_TRUE(value.has_value()) << file;
    EXPECT_EQ(value->data.size(), 20u) << file;

    std::string anywhere = file;
    for (int i = 0; i < damages; ++i) {
      anywhere[random() % anywhere.size()] = interesting[random() % (sizeof interesting - 1)];
    }
    const wine::ScanResult damaged = wine::FindKeys(anywhere, paths);
    if (damaged.keys[0].exists) {
      if (const auto v = wine::FindValue(damaged.keys[0].bodies, u"Path")) {
        EXPECT_LE(v->data.size(), anywhere.size() * 4);
      }
    }
  }
}

TEST(NotARegularFile, FolderOrDeviceIsLikeAMissingFile) {
  TempFolder folder;
  EXPECT_TRUE(Missing(Query(*MakeWineRegistry(folder.Path("")), "Path")));
  // A reader that did not check would read /dev/zero for ever.
  EXPECT_TRUE(Missing(Query(*MakeWineRegistry("/dev/zero"), "Path")));
  EXPECT_TRUE(Missing(Query(*MakeWineRegistry("/dev/null"), "Path")));
}

TEST(NotARegularFile, UnreadableFileIsLikeAMissingFile) {
  TempFolder folder;
  const std::string path =
      folder.Write("system.reg", kWin64Header + kSection + "\"Path\"=\"C:\\\\T\"\n");
  std::filesystem::permissions(path, std::filesystem::perms::none);
  if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
    std::fclose(probe);
    GTEST_SKIP() << "this user reads files whatever their permissions";
  }
  EXPECT_TRUE(Missing(Query(*MakeWineRegistry(path), "Path")));
}

// --- large files ---------------------------------------------------------

TEST(LargeFiles, HugeValuesAreReadWhole) {
  std::string hex = "\"Path\"=hex:";
  constexpr std::size_t kBytes = 1024 * 1024;
  for (std::size_t i = 0; i < kBytes; ++i) {
    static const char digits[] = "0123456789abcdef";
    hex += digits[(i >> 4) & 15];
    hex += digits[i & 15];
    if (i + 1 < kBytes) hex += (i % 25 == 24) ? ",\\\n  " : ",";
  }
  const std::string text(1024 * 1024, 'a');
  const std::string file =
      kWin64Header + kSection + hex + "\n\"Text\"=\"" + text + "\"\n";
  TempFolder folder;
  auto registry = MakeWineRegistry(folder.Write("system.reg", file));
  const Answer binary = Query(*registry, "Path");
  ASSERT_EQ(binary.status, 0);
  ASSERT_EQ(binary.bytes.size(), kBytes);
  EXPECT_EQ(static_cast<unsigned char>(binary.bytes[kBytes - 1]), (kBytes - 1) & 0xFF);
  const Answer longText = Query(*registry, "Text");
  ASSERT_EQ(longText.status, 0);
  EXPECT_EQ(longText.bytes.size(), text.size() + 1);
}

TEST(LargeFiles, EndlessLinesEndWithTheFile) {
  const std::string endless(4 * 1024 * 1024, 'k');
  EXPECT_TRUE(Missing(QueryFile(kWin64Header + "[" + endless, "Path")));
  EXPECT_TRUE(Missing(QueryFile(kWin64Header + kSection + "\"Path\"=\"" + endless, "Path")));
  EXPECT_TRUE(Missing(QueryFile(kWin64Header + kSection + "\"" + endless, "Path")));
}

// How long a lookup takes is printed, not held against a limit: a busy
// machine (or valgrind) would make such a test fail by its timing alone.
TEST(LargeFiles, FiftyMegabyteFileIsAnswered) {
  std::string file = kWin64Header;
  file.reserve(51 * 1024 * 1024);
  for (int i = 0; file.size() < 50u * 1024 * 1024; ++i) {
    const std::string n = std::to_string(i);
    file += "[Software\\\\Classes\\\\CLSID\\\\{" + n + "}\\\\InprocServer32] 1796736560\n" +
            "#time=1dd871821f7fbb2\n@=\"C:\\\\windows\\\\system32\\\\x" + n + ".dll\"\n" +
            "\"ThreadingModel\"=\"Both\"\n\"Data\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,\\\n"
            "  0d,0e,0f\n\n";
  }
  file += kSection + "\"Path\"=\"C:\\\\Tarvel\"\n";
  TempFolder folder;
  auto registry = MakeWineRegistry(folder.Write("system.reg", file));
  const auto start = std::chrono::steady_clock::now();
  const Answer a = Query(*registry, "Path");
  const auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
  EXPECT_EQ(a.bytes, "C:\\Tarvel\0"s);
  std::printf("lookup on a %zu MB system.reg: %.1f ms\n", file.size() >> 20, elapsed.count());
}

TEST(LargeFiles, WholeSystemRegOfAFreshPrefix) {
  auto registry = MakeWineRegistry(Fixture("full-system.reg"));
  constexpr int kRounds = 20;
  double total = 0;
  double slowest = 0;
  for (int i = 0; i < kRounds; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const Answer a = Query(*registry, "Path");
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(a.bytes, "C:\\Tarvel\0"s);
    total += ms;
    slowest = std::max(slowest, ms);
  }
  std::printf("lookup on full-system.reg (1.7 MB): %.2f ms on average, %.2f ms at most\n",
              total / kRounds, slowest);
}

}  // namespace
}  // namespace bt::test
