// The registry calls over a Wine prefix: handles, roots, buffers and sizes,
// as the Windows calls behave.
#include <string>

#include <gtest/gtest.h>

#include "tests/unit/registry/registry_files.h"

namespace bt::test {
namespace {

using namespace std::string_literals;

class WineCalls : public ::testing::Test {
 protected:
  void SetUp() override {
    path = folder.Write("system.reg", kWin64Header +
                                          "[Software\\\\Wow6432Node\\\\KESTAL\\\\Tarvel\\\\2.0] 1\n"
                                          "\"Path\"=\"C:\\\\Tarvel\"\n\"N\"=dword:0000002a\n");
    registry = MakeWineRegistry(path);
  }
  RegKey Open() {
    RegKey handle = 0;
    EXPECT_EQ(registry->RegOpenKeyExA(kHkeyLocalMachine, kTarvelKey, 0, 63, &handle), 0);
    return handle;
  }

  TempFolder folder;
  std::string path;
  std::unique_ptr<Registry> registry;
};

TEST_F(WineCalls, TypeAndSizeMayBeLeftOut) {
  const RegKey key = Open();
  EXPECT_EQ(registry->RegQueryValueExA(key, "N", nullptr, nullptr, nullptr, nullptr), 0);
  std::uint8_t number[4] = {};
  std::uint32_t size = 4;
  EXPECT_EQ(registry->RegQueryValueExA(key, "N", nullptr, nullptr, number, &size), 0);
  EXPECT_EQ(number[0], 42);
  EXPECT_NE(registry->RegQueryValueExA(key, "N", nullptr, nullptr, number, nullptr), 0)
      << "a buffer without its size is refused";
  std::uint32_t reserved = 0;
  EXPECT_NE(registry->RegQueryValueExA(key, "N", &reserved, nullptr, nullptr, nullptr), 0)
      << "reserved must be null";
  registry->RegCloseKey(key);
}

TEST_F(WineCalls, FailedOpenLeavesTheHandleAsItWas) {
  RegKey handle = 0;
  EXPECT_EQ(registry->RegOpenKeyExA(kHkeyLocalMachine, "Software\\Nada", 0, 63, &handle),
            kErrorFileNotFound);
  EXPECT_EQ(handle, 0u);
  handle = 1234;
  EXPECT_EQ(registry->RegOpenKeyExA(0x80000001u, kTarvelKey, 0, 63, &handle), kErrorFileNotFound)
      << "only HKEY_LOCAL_MACHINE is kept";
  EXPECT_EQ(handle, 1234u);
}

TEST_F(WineCalls, RootsThatAreNoKeys) {
  RegKey handle = 0;
  EXPECT_EQ(registry->RegOpenKeyExA(0, kTarvelKey, 0, 63, &handle), kErrorInvalidHandle);
  EXPECT_EQ(registry->RegOpenKeyExA(0x1234, kTarvelKey, 0, 63, &handle), kErrorInvalidHandle);
  EXPECT_EQ(handle, 0u);
}

TEST_F(WineCalls, NullAndClosedHandlesFailHarmlessly) {
  std::uint32_t size = 0;
  EXPECT_EQ(registry->RegQueryValueExA(0, "Path", nullptr, nullptr, nullptr, &size),
            kErrorInvalidHandle);
  EXPECT_EQ(registry->RegCloseKey(0), kErrorInvalidHandle);
  const RegKey key = Open();
  EXPECT_EQ(registry->RegCloseKey(key), 0);
  EXPECT_EQ(registry->RegCloseKey(key), kErrorInvalidHandle);
  EXPECT_EQ(registry->RegQueryValueExA(key, "Path", nullptr, nullptr, nullptr, &size),
            kErrorInvalidHandle);
  EXPECT_EQ(registry->RegCloseKey(kHkeyLocalMachine), 0) << "a root closes as a no-op";
}

TEST_F(WineCalls, KeysOpenTogetherHaveTheirOwnHandles) {
  const RegKey first = Open();
  RegKey parent = 0;
  ASSERT_EQ(registry->RegOpenKeyExA(kHkeyLocalMachine, "Software\\KESTAL", 0, 63, &parent), 0);
  EXPECT_NE(first, parent);
  EXPECT_NE(first, 0u);
  std::uint32_t size = 0;
  EXPECT_EQ(registry->RegQueryValueExA(parent, "Path", nullptr, nullptr, nullptr, &size),
            kErrorFileNotFound);
  EXPECT_EQ(registry->RegCloseKey(parent), 0);
  EXPECT_EQ(registry->RegQueryValueExA(first, "Path", nullptr, nullptr, nullptr, &size), 0);
  EXPECT_EQ(registry->RegCloseKey(first), 0);
}

TEST_F(WineCalls, AnOpenKeyShowsTheFileAsItWasWhenOpened) {
  const RegKey before = Open();
  folder.Write("system.reg", kWin64Header +
                                 "[Software\\\\Wow6432Node\\\\KESTAL\\\\Tarvel\\\\2.0] 1\n"
                                 "\"Path\"=\"D:\\\\Novo\"\n");
  EXPECT_EQ(Query(*registry, "Path").bytes, "D:\\Novo\0"s) << "a new open reads the file again";
  std::uint8_t buffer[16] = {};
  std::uint32_t size = sizeof buffer;
  EXPECT_EQ(registry->RegQueryValueExA(before, "Path", nullptr, nullptr, buffer, &size), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), size), "C:\\Tarvel\0"s);
  registry->RegCloseKey(before);
}

TEST_F(WineCalls, TheRootItselfOpensEvenWithoutAFile) {
  auto none = MakeWineRegistry(folder.Path("missing.reg"));
  RegKey handle = 0;
  EXPECT_EQ(none->RegOpenKeyExA(kHkeyLocalMachine, "", 0, 63, &handle), 0);
  EXPECT_NE(handle, 0u);
  EXPECT_EQ(none->RegCloseKey(handle), 0);
  EXPECT_EQ(none->RegOpenKeyExA(kHkeyLocalMachine, kTarvelKey, 0, 63, &handle), kErrorFileNotFound);
}

}  // namespace
}  // namespace bt::test
