// The files Wine itself wrote for each way of storing the value Path, read
// through the registry calls: type, size and bytes as they cross.
#include <cctype>
#include <string>

#include <gtest/gtest.h>

#include "tests/unit/registry/registry_files.h"

namespace bt::test {
namespace {

using namespace std::string_literals;

struct FixtureCase {
  const char* file;
  std::int32_t status;  // of the query, once the key is open
  std::uint32_t type;
  std::string bytes;
};

void PrintTo(const FixtureCase& c, std::ostream* out) { *out << c.file; }

class WineFixture : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(WineFixture, PathCrossesWithItsTypeSizeAndBytes) {
  const FixtureCase& expected = GetParam();
  auto registry = MakeWineRegistry(Fixture(expected.file));
  const Answer answer = Query(*registry, "Path");
  ASSERT_EQ(answer.openStatus, kErrorSuccess);
  ASSERT_EQ(answer.status, expected.status);
  if (expected.status != kErrorSuccess) return;
  EXPECT_EQ(answer.type, expected.type);
  EXPECT_EQ(answer.bytes, expected.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    WineWroteIt, WineFixture,
    ::testing::Values(
        FixtureCase{"sz.reg", 0, kRegSz, "C:\\Tarvel\0"s},
        FixtureCase{"sz-trailing-sep.reg", 0, kRegSz, "C:\\Tarvel\\\0"s},
        FixtureCase{"sz-no-nul.reg", 0, kRegSz, "C:\\Tarvel"s},
        FixtureCase{"sz-inner-nul.reg", 0, kRegSz, "C:\\Tar\0vel\0"s},
        FixtureCase{"sz-empty-zero-bytes.reg", 0, kRegSz, ""s},
        FixtureCase{"sz-empty-nul.reg", 0, kRegSz, "\0"s},
        FixtureCase{"sz-cp1252.reg", 0, kRegSz,
                    "C:\\Arquivos de Programas\\Aplica\xc3\xa7\xc3\xa3o Tarvel\0"s},
        FixtureCase{"dword-42.reg", 0, kRegDword, "\x2a\0\0\0"s},
        FixtureCase{"dword-all-ones.reg", 0, kRegDword, "\xff\xff\xff\xff"s},
        FixtureCase{"dword-8-bytes.reg", 0, kRegDword, "\x07\0\0\0\0\0\0\0"s},
        FixtureCase{"expand-sz.reg", 0, kRegExpandSz, "%ProgramFiles%\\Tarvel\0"s},
        FixtureCase{"multi-sz.reg", 0, kRegMultiSz, "C:\\Tarvel\0D:\\X\0\0"s},
        FixtureCase{"binary.reg", 0, kRegBinary, "C:\\Tarvel"s},
        FixtureCase{"key-without-path.reg", kErrorFileNotFound, 0, ""},
        FixtureCase{"native-view-only.reg", 0, kRegSz, "C:\\Tarvel\0"s},
        FixtureCase{"both-views.reg", 0, kRegSz, "C:\\Tarvel\0"s},
        FixtureCase{"full-system.reg", 0, kRegSz, "C:\\Tarvel\0"s}),
    [](const ::testing::TestParamInfo<FixtureCase>& info) {
      std::string name = info.param.file;
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

TEST(WineFixtureKeys, OnlyAnotherVersionsKeyMeansTheKeyIsMissing) {
  auto registry = MakeWineRegistry(Fixture("other-version-only.reg"));
  RegKey handle = 0;
  EXPECT_EQ(registry->RegOpenKeyExA(kHkeyLocalMachine, kTarvelKey, 0, 63, &handle),
            kErrorFileNotFound);
  EXPECT_EQ(handle, 0u);
  EXPECT_EQ(Query(*registry, "Path", "Software\\KESTAL\\Tarvel\\1.0").bytes, "C:\\Tarvel1\0"s);
}

TEST(WineFixtureKeys, TextSizeIsThatOfTheUtf8TextWithItsNul) {
  // 41 characters stored as UTF-16 (84 bytes with the NUL) cross as 43
  // bytes of UTF-8 plus the NUL.
  auto registry = MakeWineRegistry(Fixture("sz-cp1252.reg"));
  RegKey handle = 0;
  ASSERT_EQ(registry->RegOpenKeyExA(kHkeyLocalMachine, kTarvelKey, 0, 63, &handle), 0);
  std::uint32_t size = 0;
  std::uint32_t type = 0;
  ASSERT_EQ(registry->RegQueryValueExA(handle, "Path", nullptr, &type, nullptr, &size), 0);
  EXPECT_EQ(size, 44u);
  registry->RegCloseKey(handle);
}

TEST(WineFixtureKeys, AnEightByteDwordDoesNotFitAFourByteBuffer) {
  auto registry = MakeWineRegistry(Fixture("dword-8-bytes.reg"));
  RegKey handle = 0;
  ASSERT_EQ(registry->RegOpenKeyExA(kHkeyLocalMachine, kTarvelKey, 0, 63, &handle), 0);
  std::uint8_t number[4] = {};
  std::uint32_t size = 4;
  std::uint32_t type = 0;
  EXPECT_EQ(registry->RegQueryValueExA(handle, "Path", nullptr, &type, number, &size),
            kErrorMoreData);
  EXPECT_EQ(size, 8u) << "the size needed is reported";
  EXPECT_EQ(type, kRegDword);
  registry->RegCloseKey(handle);
}

TEST(WineFixtureKeys, TheFileIsOnlyRead) {
  const auto before = std::filesystem::last_write_time(Fixture("sz.reg"));
  const auto sizeBefore = std::filesystem::file_size(Fixture("sz.reg"));
  auto registry = MakeWineRegistry(Fixture("sz.reg"));
  Query(*registry, "Path");
  registry.reset();
  EXPECT_EQ(std::filesystem::last_write_time(Fixture("sz.reg")), before);
  EXPECT_EQ(std::filesystem::file_size(Fixture("sz.reg")), sizeBefore);
}

}  // namespace
}  // namespace bt::test
