// GetInstallSetting("Path") as start-up calls it: the key it reads and the
// text it makes of each kind of value.
#include <string>

#include <gtest/gtest.h>

#include "install/install_setting.h"
#include "testing/memory_registry.h"

namespace bt {
namespace {

using namespace std::string_literals;
using doubles::MemoryRegistry;
using Kind = MemoryRegistry::CallKind;

const std::string kKey = "Software\\KESTAL\\Tarvel\\2.0";

class InstallSetting : public ::testing::Test {
 protected:
  std::string Answer() { return GetInstallSetting(registry, "Path"); }
  MemoryRegistry registry;
};

TEST_F(InstallSetting, ReadsPathOfTarvel20UnderTheLocalMachine) {
  registry.SetText(kHkeyLocalMachine, kKey, "Path", "C:\\Tarvel");
  EXPECT_EQ(Answer(), "C:\\Tarvel");
  ASSERT_FALSE(registry.calls().empty());
  EXPECT_EQ(registry.calls()[0].key, kHkeyLocalMachine);
  EXPECT_EQ(registry.calls()[0].name, "Software\\KESTAL\\Tarvel\\2.0");
  EXPECT_EQ(registry.calls()[1].name, "Path");
}

TEST_F(InstallSetting, TextWithoutItsNulIsAnsweredWhole) {
  registry.SetText(kHkeyLocalMachine, kKey, "Path", "C:\\Tarvel", false);
  EXPECT_EQ(Answer(), "C:\\Tarvel");
}

TEST_F(InstallSetting, TextIsCutAtItsFirstNul) {
  registry.SetValue(kHkeyLocalMachine, kKey, "Path", kRegSz, "C:\\Tar\0vel\0"s);
  EXPECT_EQ(Answer(), "C:\\Tar");
}

TEST_F(InstallSetting, EmptyTextStoredEitherWayIsEmpty) {
  registry.SetValue(kHkeyLocalMachine, kKey, "Path", kRegSz, "");
  EXPECT_EQ(Answer(), "");
  registry.SetValue(kHkeyLocalMachine, kKey, "Path", kRegSz, "\0"s);
  EXPECT_EQ(Answer(), "");
}

TEST_F(InstallSetting, FolderEndingInASeparatorKeepsIt) {
  registry.SetText(kHkeyLocalMachine, kKey, "Path", "D:\\Programas\\Tarvel\\");
  EXPECT_EQ(Answer(), "D:\\Programas\\Tarvel\\");
}

TEST_F(InstallSetting, NumbersAreWrittenInDecimal) {
  registry.SetDword(kHkeyLocalMachine, kKey, "Path", 42);
  EXPECT_EQ(Answer(), "42");
  registry.SetDword(kHkeyLocalMachine, kKey, "Path", 0xFFFFFFFFu);
  EXPECT_EQ(Answer(), "-1");
  registry.SetDword(kHkeyLocalMachine, kKey, "Path", 0x80000000u);
  EXPECT_EQ(Answer(), "-2147483648");
  registry.SetDword(kHkeyLocalMachine, kKey, "Path", 0);
  EXPECT_EQ(Answer(), "0");
}

TEST_F(InstallSetting, ExpandableTextIsNotReadEvenThoughItHoldsAPath) {
  registry.SetValue(kHkeyLocalMachine, kKey, "Path", kRegExpandSz, "C:\\Tarvel\0"s);
  EXPECT_EQ(Answer(), "");
}

TEST_F(InstallSetting, MissingKeyOrValueGivesEmptyTextAndEveryKeyIsClosed) {
  EXPECT_EQ(Answer(), "");
  registry.SetText(kHkeyLocalMachine, kKey, "Outro", "x");
  EXPECT_EQ(Answer(), "");
  registry.SetText(kHkeyLocalMachine, "Software\\KESTAL\\Tarvel\\1.0", "Path", "C:\\Velho");
  EXPECT_EQ(Answer(), "");
  EXPECT_EQ(registry.CountCalls(Kind::kOpen), 3);
  EXPECT_EQ(registry.CountCalls(Kind::kClose), 3);
  EXPECT_EQ(registry.OpenKeys(), 0);
}

TEST_F(InstallSetting, ValueThatChangesBetweenTheTwoRequestsGivesEmptyText) {
  registry.SetText(kHkeyLocalMachine, kKey, "Path", "C:\\Tarvel");
  registry.AfterQuery([&](int n) {
    if (n == 1) registry.SetText(kHkeyLocalMachine, kKey, "Path", "C:\\Tarvel\\Novo");
  });
  EXPECT_EQ(Answer(), "");
  EXPECT_EQ(registry.OpenKeys(), 0);
}

TEST_F(InstallSetting, LackOfMemoryInTheQueryGivesEmptyText) {
  registry.SetText(kHkeyLocalMachine, kKey, "Path", "C:\\Tarvel");
  registry.ThrowOnQuery(2);
  EXPECT_EQ(Answer(), "");
  EXPECT_EQ(registry.OpenKeys(), 0);
}

}  // namespace
}  // namespace bt
