// The rules of platform/registry.h, checked on both registries that stand
// behind it: the Wine prefix reader and the in-memory double the lookup's
// tests use. Both hold the same three values.
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "testing/memory_registry.h"
#include "tests/unit/registry/registry_files.h"

namespace bt::test {
namespace {

using namespace std::string_literals;

struct Implementation {
  const char* name;
  std::function<std::unique_ptr<Registry>(const TempFolder&)> make;
};

void PrintTo(const Implementation& i, std::ostream* out) { *out << i.name; }

std::unique_ptr<Registry> MakeWine(const TempFolder& folder) {
  return MakeWineRegistry(folder.Write(
      "system.reg", kWin32Header + "[Software\\\\KESTAL\\\\Tarvel\\\\2.0] 1\n" +
                        "\"Path\"=\"C:\\\\Tarvel\"\n\"N\"=dword:fffffffe\n\"B\"=hex:01,02,03\n"));
}

std::unique_ptr<Registry> MakeMemory(const TempFolder&) {
  auto registry = std::make_unique<doubles::MemoryRegistry>();
  registry->SetText(kHkeyLocalMachine, kTarvelKey, "Path", "C:\\Tarvel");
  registry->SetDword(kHkeyLocalMachine, kTarvelKey, "N", 0xFFFFFFFEu);
  registry->SetValue(kHkeyLocalMachine, kTarvelKey, "B", kRegBinary, "\x01\x02\x03");
  return registry;
}

class RegistryContract : public ::testing::TestWithParam<Implementation> {
 protected:
  void SetUp() override {
    registry = GetParam().make(folder);
    ASSERT_EQ(registry->RegOpenKeyExA(kHkeyLocalMachine, kTarvelKey, 0, 63, &key), 0);
  }
  void TearDown() override { EXPECT_EQ(registry->RegCloseKey(key), 0); }

  TempFolder folder;
  std::unique_ptr<Registry> registry;
  RegKey key = 0;
};

TEST_P(RegistryContract, ValuesCrossWithTypeAndStoredSize) {
  EXPECT_EQ(Query(*registry, "Path").bytes, "C:\\Tarvel\0"s);
  EXPECT_EQ(Query(*registry, "path").type, kRegSz);
  EXPECT_EQ(Query(*registry, "N").bytes, "\xfe\xff\xff\xff"s);
  EXPECT_EQ(Query(*registry, "N").type, kRegDword);
  EXPECT_EQ(Query(*registry, "B").bytes, "\x01\x02\x03"s);
  EXPECT_EQ(Query(*registry, "B").type, kRegBinary);
}

TEST_P(RegistryContract, SmallBufferFailsWithMoreDataAndTheSizeNeeded) {
  std::uint8_t buffer[9];
  std::memset(buffer, 'Z', sizeof buffer);
  std::uint32_t size = sizeof buffer;
  std::uint32_t type = 0;
  EXPECT_EQ(registry->RegQueryValueExA(key, "Path", nullptr, &type, buffer, &size), kErrorMoreData);
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 9), "ZZZZZZZZZ") << "nothing is copied";
}

TEST_P(RegistryContract, LargerBufferReceivesTheBytesStored) {
  std::uint8_t buffer[8];
  std::memset(buffer, 0xAA, sizeof buffer);
  std::uint32_t size = sizeof buffer;
  EXPECT_EQ(registry->RegQueryValueExA(key, "B", nullptr, nullptr, buffer, &size), 0);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(buffer[3], 0xAA);
}

TEST_P(RegistryContract, MissingKeyValueAndHandle) {
  RegKey other = 0;
  EXPECT_EQ(registry->RegOpenKeyExA(kHkeyLocalMachine, "Software\\Nada", 0, 63, &other),
            kErrorFileNotFound);
  EXPECT_EQ(other, 0u);
  std::uint32_t type = 77;
  std::uint32_t size = 77;
  EXPECT_EQ(registry->RegQueryValueExA(key, "Nada", nullptr, &type, nullptr, &size),
            kErrorFileNotFound);
  EXPECT_EQ(type, 77u);
  EXPECT_EQ(size, 77u);
  EXPECT_EQ(registry->RegQueryValueExA(0, "Path", nullptr, nullptr, nullptr, &size),
            kErrorInvalidHandle);
  EXPECT_NE(registry->RegCloseKey(0), 0);
}

// A reserved pointer or a buffer without its size breaks the call before
// any value is looked for: even a missing value answers 87, and nothing the
// caller passed is written.
TEST_P(RegistryContract, ArgumentsTheCallForbidsAreRefusedBeforeTheValueIsLookedFor) {
  std::uint32_t reserved = 0;
  std::uint32_t type = 77;
  std::uint32_t size = 77;
  std::uint8_t buffer[16];
  std::memset(buffer, 'Z', sizeof buffer);
  EXPECT_EQ(registry->RegQueryValueExA(key, "Path", &reserved, &type, nullptr, &size), kErrorInvalidParameter);
  EXPECT_EQ(registry->RegQueryValueExA(key, "Nada", &reserved, &type, nullptr, &size), kErrorInvalidParameter);
  EXPECT_EQ(registry->RegQueryValueExA(key, "Path", nullptr, &type, buffer, nullptr), kErrorInvalidParameter);
  EXPECT_EQ(registry->RegQueryValueExA(key, "Nada", nullptr, &type, buffer, nullptr), kErrorInvalidParameter);
  EXPECT_EQ(type, 77u);
  EXPECT_EQ(size, 77u);
  EXPECT_EQ(reserved, 0u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), sizeof buffer), std::string(sizeof buffer, 'Z'));
  // A handle that is no key is told first.
  EXPECT_EQ(registry->RegQueryValueExA(0, "Path", &reserved, &type, nullptr, &size), kErrorInvalidHandle);
}

// Type and size are each the caller's choice to ask for; the type comes
// even with a buffer too small for the data.
TEST_P(RegistryContract, TypeAndSizeComeOnlyWhereAskedFor) {
  std::uint32_t size = 0;
  EXPECT_EQ(registry->RegQueryValueExA(key, "N", nullptr, nullptr, nullptr, &size), 0);
  EXPECT_EQ(size, 4u);
  std::uint32_t type = 0;
  EXPECT_EQ(registry->RegQueryValueExA(key, "B", nullptr, &type, nullptr, nullptr), 0);
  EXPECT_EQ(type, kRegBinary);
  std::uint8_t one = 0;
  size = 1;
  type = 0;
  EXPECT_EQ(registry->RegQueryValueExA(key, "N", nullptr, &type, &one, &size), kErrorMoreData);
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(one, 0);
}

INSTANTIATE_TEST_SUITE_P(BothRegistries, RegistryContract,
                         ::testing::Values(Implementation{"Wine", MakeWine},
                                           Implementation{"Memory", MakeMemory}),
                         [](const ::testing::TestParamInfo<Implementation>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace bt::test
