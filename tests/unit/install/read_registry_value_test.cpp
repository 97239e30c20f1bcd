// ReadRegistryValue: how the key is opened, and that it is closed in every
// case, also when the open failed.
#include <functional>
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

TEST(ReadValue, OpensTheKeyWithOptionsZeroAndAccess63ThenClosesIt) {
  MemoryRegistry registry;
  registry.SetText(kHkeyLocalMachine, kKey, "Path", "C:\\Tarvel");
  EXPECT_EQ(ReadRegistryValue(registry, kHkeyLocalMachine, kKey, "Path"),
            RegistryValue("C:\\Tarvel\0"s));
  const auto& calls = registry.calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].kind, Kind::kOpen);
  EXPECT_EQ(calls[0].key, kHkeyLocalMachine);
  EXPECT_EQ(calls[0].name, kKey);
  EXPECT_EQ(calls[0].options, 0u);
  EXPECT_EQ(calls[0].access, 63u);
  EXPECT_EQ(calls[1].key, calls[0].opened);
  EXPECT_EQ(calls[2].key, calls[0].opened);
  EXPECT_EQ(calls[3].kind, Kind::kClose);
  EXPECT_EQ(calls[3].key, calls[0].opened);
  EXPECT_EQ(calls[3].status, kErrorSuccess);
  EXPECT_EQ(registry.OpenKeys(), 0);
}

TEST(ReadValue, MissingKeyQueriesAndClosesTheNullHandle) {
  MemoryRegistry registry;
  EXPECT_EQ(ReadRegistryValue(registry, kHkeyLocalMachine, kKey, "Path"), RegistryValue());
  const auto& calls = registry.calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].status, kErrorFileNotFound);
  EXPECT_EQ(calls[1].kind, Kind::kQuery);
  EXPECT_EQ(calls[1].key, 0u);
  EXPECT_EQ(calls[1].status, kErrorInvalidHandle);
  EXPECT_EQ(calls[2].kind, Kind::kClose);
  EXPECT_EQ(calls[2].key, 0u) << "the key is closed even when the open failed";
}

TEST(ReadValue, RefusedOpenGivesNothing) {
  MemoryRegistry registry;
  registry.SetText(kHkeyLocalMachine, kKey, "Path", "C:\\Tarvel");
  registry.RefuseOpen(kHkeyLocalMachine, kKey, kErrorAccessDenied);
  EXPECT_EQ(ReadRegistryValue(registry, kHkeyLocalMachine, kKey, "Path"), RegistryValue());
  EXPECT_EQ(registry.CountCalls(Kind::kClose), 1);
  EXPECT_EQ(registry.calls().back().key, 0u);
}

TEST(ReadValue, OnlyTheRootAskedForIsRead) {
  MemoryRegistry registry;
  constexpr RegKey kHkeyCurrentUser = 0x80000001u;
  registry.SetText(kHkeyCurrentUser, kKey, "Path", "C:\\Tarvel");
  EXPECT_EQ(ReadRegistryValue(registry, kHkeyLocalMachine, kKey, "Path"), RegistryValue());
  EXPECT_EQ(ReadRegistryValue(registry, kHkeyCurrentUser, kKey, "Path"),
            RegistryValue("C:\\Tarvel\0"s));
}

// Every way the read can end closes the key it opened, exactly once.
struct Ending {
  const char* scenario;
  std::function<void(MemoryRegistry&)> arrange;
};

void PrintTo(const Ending& e, std::ostream* out) { *out << e.scenario; }

class EveryEndingClosesTheKey : public ::testing::TestWithParam<Ending> {};

TEST_P(EveryEndingClosesTheKey, Once) {
  MemoryRegistry registry;
  registry.AddKey(kHkeyLocalMachine, kKey);
  GetParam().arrange(registry);
  EXPECT_NO_THROW(ReadRegistryValue(registry, kHkeyLocalMachine, kKey, "Path"));
  EXPECT_EQ(registry.OpenKeys(), 0);
  ASSERT_EQ(registry.CountCalls(Kind::kOpen), 1);
  ASSERT_EQ(registry.CountCalls(Kind::kClose), 1);
  EXPECT_EQ(registry.calls().back().kind, Kind::kClose);
  EXPECT_EQ(registry.calls().back().key, registry.calls().front().opened);
}

INSTANTIATE_TEST_SUITE_P(
    ReadValue, EveryEndingClosesTheKey,
    ::testing::Values(
        Ending{"text", [](MemoryRegistry& r) { r.SetText(kHkeyLocalMachine, kKey, "Path", "C:\\T"); }},
        Ending{"number", [](MemoryRegistry& r) { r.SetDword(kHkeyLocalMachine, kKey, "Path", 1); }},
        Ending{"other_type",
               [](MemoryRegistry& r) { r.SetValue(kHkeyLocalMachine, kKey, "Path", kRegExpandSz, "x"); }},
        Ending{"missing_value", [](MemoryRegistry&) {}},
        Ending{"text_grew",
               [](MemoryRegistry& r) {
                 r.SetText(kHkeyLocalMachine, kKey, "Path", "C:\\T");
                 r.AfterQuery([&r](int n) {
                   if (n == 1) r.SetText(kHkeyLocalMachine, kKey, "Path", "C:\\Tarvel");
                 });
               }},
        Ending{"second_request_fails",
               [](MemoryRegistry& r) {
                 r.SetDword(kHkeyLocalMachine, kKey, "Path", 1);
                 r.FailQuery(2, kErrorAccessDenied);
               }},
        Ending{"out_of_memory_for_the_buffer",
               [](MemoryRegistry& r) {
                 r.SetText(kHkeyLocalMachine, kKey, "Path", "C:\\T");
                 r.ThrowOnQuery(2);
               }},
        Ending{"query_throws_at_once",
               [](MemoryRegistry& r) {
                 r.SetText(kHkeyLocalMachine, kKey, "Path", "C:\\T");
                 r.ThrowOnQuery(1);
               }}),
    [](const ::testing::TestParamInfo<Ending>& info) { return std::string(info.param.scenario); });

}  // namespace
}  // namespace bt
