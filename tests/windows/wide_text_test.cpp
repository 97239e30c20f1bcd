#include "platform/wide_text.h"

#include <gtest/gtest.h>

namespace bt {
namespace {

TEST(WideNames, AnyNameWindowsCanHoldComesBackUnchanged) {
  for (const std::wstring& name : {std::wstring(L"Ação"), std::wstring(L"日本 \U0001F600.jpg"),
                                  std::wstring(L"meia\xD800" L"dupla"), std::wstring(L"\xDC00")}) {
    EXPECT_EQ(Utf8ToWide(WideToUtf8(name)), name);
  }
  EXPECT_EQ(WideToUtf8(L"Ação"), "Ação");
  EXPECT_EQ(WideToUtf8(L"a\xD800", LoneSurrogates::kReplace), "a\uFFFD");
  EXPECT_EQ(Utf8ToWide("CAF\xC9"), L"CAF\xFFFD");
}

}  // namespace
}  // namespace bt
