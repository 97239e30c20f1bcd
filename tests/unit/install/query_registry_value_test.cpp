// QueryRegistryValue on an open key of the in-memory registry: what it
// reads for each type, the buffers it asks with, and how it contains every
// failure.
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

class QueryValue : public ::testing::Test {
 protected:
  void SetUp() override {
    registry.AddKey(kHkeyLocalMachine, kKey);
    ASSERT_EQ(registry.RegOpenKeyExA(kHkeyLocalMachine, kKey, 0, 63, &handle), kErrorSuccess);
  }
  void TearDown() override { registry.RegCloseKey(handle); }

  std::int32_t Query(const std::string& name = "Path") {
    return QueryRegistryValue(registry, handle, name, value);
  }
  // The query calls made so far, in order.
  std::vector<MemoryRegistry::Call> Queries() const {
    std::vector<MemoryRegistry::Call> queries;
    for (const auto& call : registry.calls()) {
      if (call.kind == Kind::kQuery) queries.push_back(call);
    }
    return queries;
  }

  MemoryRegistry registry;
  RegKey handle = 0;
  RegistryValue value;
};

TEST_F(QueryValue, TextStoredWithItsNulIsReadWithTheNul) {
  registry.SetText(kHkeyLocalMachine, kKey, "Path", "C:\\Pasta");
  EXPECT_EQ(Query(), kErrorSuccess);
  EXPECT_EQ(value, RegistryValue("C:\\Pasta\0"s));
  const auto queries = Queries();
  ASSERT_EQ(queries.size(), 2u);
  EXPECT_FALSE(queries[0].withData) << "first asks for the size alone";
  EXPECT_EQ(queries[0].sizeGiven, 0u);
  EXPECT_TRUE(queries[1].withData);
  EXPECT_EQ(queries[1].sizeGiven, 9u) << "a buffer of as many characters as bytes stored";
}

TEST_F(QueryValue, TextWithoutNulIsReadWhole) {
  registry.SetText(kHkeyLocalMachine, kKey, "Path", "C:\\Pasta", false);
  EXPECT_EQ(Query(), kErrorSuccess);
  EXPECT_EQ(value, RegistryValue("C:\\Pasta"s));
}

TEST_F(QueryValue, TextOfZeroBytesIsAnEmptyTextNotNothing) {
  registry.SetValue(kHkeyLocalMachine, kKey, "Path", kRegSz, "");
  value = std::int32_t{7};
  EXPECT_EQ(Query(), kErrorSuccess);
  EXPECT_EQ(value, RegistryValue(""s));
}

TEST_F(QueryValue, ValueNamesIgnoreLetterCase) {
  registry.SetText(kHkeyLocalMachine, kKey, "Path", "C:\\Pasta");
  EXPECT_EQ(Query("PATH"), kErrorSuccess);
  EXPECT_EQ(value, RegistryValue("C:\\Pasta\0"s));
}

TEST_F(QueryValue, TextThatGrewBeforeTheSecondRequestEndsEmpty) {
  registry.SetText(kHkeyLocalMachine, kKey, "Path", "C:\\Pasta");
  registry.AfterQuery([&](int number) {
    if (number == 1) registry.SetText(kHkeyLocalMachine, kKey, "Path", "C:\\Pasta maior");
  });
  value = "antes"s;
  EXPECT_EQ(Query(), kErrorMoreData);
  EXPECT_EQ(value, RegistryValue()) << "a failed copy leaves nothing, not the older value";
}

TEST_F(QueryValue, TextWhoseSecondRequestFailsEndsEmptyWithThatStatus) {
  registry.SetText(kHkeyLocalMachine, kKey, "Path", "C:\\Pasta");
  registry.FailQuery(2, kErrorAccessDenied);
  value = "antes"s;
  EXPECT_EQ(Query(), kErrorAccessDenied);
  EXPECT_EQ(value, RegistryValue());
}

TEST_F(QueryValue, DwordIsReadWithAFourByteBufferAsASignedNumber) {
  registry.SetDword(kHkeyLocalMachine, kKey, "Path", 42);
  EXPECT_EQ(Query(), kErrorSuccess);
  EXPECT_EQ(value, RegistryValue(std::int32_t{42}));
  const auto queries = Queries();
  ASSERT_EQ(queries.size(), 2u);
  EXPECT_TRUE(queries[1].withData);
  EXPECT_EQ(queries[1].sizeGiven, 4u);

  registry.SetDword(kHkeyLocalMachine, kKey, "Path", 0xFFFFFFFFu);
  EXPECT_EQ(Query(), kErrorSuccess);
  EXPECT_EQ(value, RegistryValue(std::int32_t{-1}));

  registry.SetDword(kHkeyLocalMachine, kKey, "Path", 0x80000000u);
  EXPECT_EQ(Query(), kErrorSuccess);
  EXPECT_EQ(value, RegistryValue(std::int32_t{-2147483647 - 1}));
}

TEST_F(QueryValue, DwordLongerThanFourBytesFailsAndLeavesTheValue) {
  registry.SetValue(kHkeyLocalMachine, kKey, "Path", kRegDword, "\x07\0\0\0\0\0\0\0"s);
  value = "antes"s;
  EXPECT_EQ(Query(), kErrorMoreData);
  EXPECT_EQ(value, RegistryValue("antes"s));
}

TEST_F(QueryValue, DwordShorterThanFourBytesFillsTheLowBytes) {
  registry.SetValue(kHkeyLocalMachine, kKey, "Path", kRegDword, "\x05\x01"s);
  EXPECT_EQ(Query(), kErrorSuccess);
  EXPECT_EQ(value, RegistryValue(std::int32_t{0x105}));
}

TEST_F(QueryValue, DwordWhoseSecondRequestFailsLeavesTheValue) {
  registry.SetDword(kHkeyLocalMachine, kKey, "Path", 42);
  registry.FailQuery(2, kErrorAccessDenied);
  value = "antes"s;
  EXPECT_EQ(Query(), kErrorAccessDenied);
  EXPECT_EQ(value, RegistryValue("antes"s));
}

TEST_F(QueryValue, EveryOtherTypeIsNotReadAndGivesMinusOne) {
  for (std::uint32_t type : {kRegExpandSz, kRegBinary, kRegMultiSz, std::uint32_t{0},
                             std::uint32_t{11}}) {
    registry.SetValue(kHkeyLocalMachine, kKey, "Path", type, "C:\\Pasta\0"s);
    value = RegistryValue();
    const int before = registry.CountCalls(Kind::kQuery);
    EXPECT_EQ(Query(), -1) << "type " << type;
    EXPECT_EQ(value, RegistryValue()) << "type " << type;
    EXPECT_EQ(registry.CountCalls(Kind::kQuery) - before, 1) << "only the size is asked";
  }
}

TEST_F(QueryValue, MissingValueReturnsItsStatusAndLeavesTheValue) {
  value = "antes"s;
  EXPECT_EQ(Query(), kErrorFileNotFound);
  EXPECT_EQ(value, RegistryValue("antes"s));
}

TEST_F(QueryValue, NullHandleFailsInTheFirstStep) {
  handle = 0;
  EXPECT_EQ(Query(), kErrorInvalidHandle);
  EXPECT_EQ(value, RegistryValue());
  EXPECT_EQ(Queries().size(), 1u);
}

TEST_F(QueryValue, LackOfMemoryForTheBufferIsContained) {
  registry.SetText(kHkeyLocalMachine, kKey, "Path", "C:\\Pasta");
  registry.ThrowOnQuery(2);
  value = "antes"s;
  std::int32_t status = 0;
  EXPECT_NO_THROW(status = Query());
  EXPECT_EQ(status, 8) << "a failure after a successful call must not read as success";
  EXPECT_EQ(value, RegistryValue("antes"s)) << "the value keeps what it held at that moment";
}

TEST_F(QueryValue, FailureInTheFirstRequestIsContained) {
  registry.SetDword(kHkeyLocalMachine, kKey, "Path", 42);
  registry.ThrowOnQuery(1);
  std::int32_t status = 0;
  EXPECT_NO_THROW(status = Query());
  EXPECT_NE(status, kErrorSuccess);
  EXPECT_EQ(value, RegistryValue());
}

}  // namespace
}  // namespace bt
