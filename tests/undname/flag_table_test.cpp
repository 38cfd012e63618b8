#include <gtest/gtest.h>

#include <set>

#include "undname/undecorate.h"
#include "undname/undname_flag_table.h"

namespace tarnix {
namespace {

TEST(UndnameFlagTable, EveryFlagOnceInListOrder) {
  const auto table = UndnameFlagTable();
  ASSERT_EQ(table.size(), 15u);
  EXPECT_STREQ(table.front().name, L"UNDNAME_NAME_ONLY");
  EXPECT_STREQ(table.back().name, L"UNDNAME_32_BIT_DECODE");
  std::set<uint32_t> values;
  uint32_t all = 0;
  for (const auto& f : table) {
    values.insert(f.value);
    all |= f.value;
    EXPECT_NE(std::wstring(f.description), L"");
  }
  EXPECT_EQ(values.size(), 15u);
  EXPECT_EQ(all, 0x7FFFu);
  EXPECT_STREQ(table[4].description, L"Don't undecorate arguments to functions.");
}

TEST(UndnameFlagTable, NamesOfASetOfFlags) {
  EXPECT_EQ(UndnameFlagNames(0, L" | "), L"UNDNAME_COMPLETE");
  EXPECT_EQ(UndnameFlagNames(UNDNAME_NO_MS_KEYWORDS, L" | "), L"UNDNAME_NO_MS_KEYWORDS");
  EXPECT_EQ(UndnameFlagNames(0x1002, L", "), L"UNDNAME_NAME_ONLY, UNDNAME_NO_MS_KEYWORDS");
  EXPECT_EQ(UndnameFlagNames(0x10002, L", "), L"UNDNAME_NO_MS_KEYWORDS, 0x10000");
}

}  // namespace
}  // namespace tarnix
