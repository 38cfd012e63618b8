// The undecorator window's output for what the user types.
#include <gtest/gtest.h>

#include "tools/undecorate_view.h"
#include "undname/undecorate.h"

namespace tarnix {
namespace {

TEST(UndecorateShown, TrimsTheInputAndShowsNothingForBlankInput) {
  EXPECT_EQ(UndecorateShown(L"  \t?x@@3HA \r\n", UNDNAME_COMPLETE), L"int x");
  EXPECT_EQ(UndecorateShown(L"", UNDNAME_COMPLETE), L"");
  EXPECT_EQ(UndecorateShown(L" \t\u3000 ", UNDNAME_COMPLETE), L"");
}

TEST(UndecorateShown, UsesTheFlagsItIsGiven) {
  const wchar_t* name = L"??0bad_alloc@std@@QAE@PBD@Z";
  EXPECT_EQ(UndecorateShown(name, UNDNAME_COMPLETE),
            L"public: __thiscall std::bad_alloc::bad_alloc(char const *)");
  EXPECT_EQ(UndecorateShown(name, UNDNAME_NAME_ONLY), L"std::bad_alloc::bad_alloc");
}

TEST(UndecorateShown, ARejectedNameShowsTheErrorForm) {
  EXPECT_EQ(UndecorateShown(L"?x@@3", UNDNAME_COMPLETE),
            L"<ERROR: (12175) The name could not be undecorated.>");
}

// Names travel in the ANSI code page, both ways.
TEST(UndecorateShown, NamesRoundTripThroughTheAnsiCodePage) {
  EXPECT_EQ(UndecorateShown(L"?caf\u00e9@@3HA", UNDNAME_COMPLETE), L"int caf\u00e9");
  EXPECT_EQ(UndecorateShown(L"?\u20ac@@3HA", UNDNAME_COMPLETE), L"int \u20ac");  // 0x80 in the code page
}

}  // namespace
}  // namespace tarnix
