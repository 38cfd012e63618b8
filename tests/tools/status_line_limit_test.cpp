#include "tools/status_line_limit.h"

#include <gtest/gtest.h>

#include "core/wformat.h"

namespace tarnix {
namespace {

TEST(StatusLineLimit, LinesOfOneKindPastTheFirstFewAreCounted) {
  EXPECT_EQ(StatusLineLimit::KindOf(L"ERROR: Searching file: \"/a/b.dll\". (200:1782) Too small."),
            L"ERROR: Searching file: \"\u2026\". (200:1782) Too small.");
  EXPECT_EQ(StatusLineLimit::KindOf(L"Warning: \"a\" loops back to \"b\"; \"open"),
            L"Warning: \"\u2026\" loops back to \"\u2026\"; \"open");
  EXPECT_EQ(StatusLineLimit::KindOf(std::wstring(5000, L'x')).size(), StatusLineLimit::kMaxKindLength);

  StatusLineLimit limit(3);
  int written = 0;
  for (int i = 0; i < 10; ++i)
    written += limit.Admit(WFormat(L"ERROR: Searching file: \"/f%d\". (200:1782) Too small.", i));
  for (int i = 0; i < 2; ++i) written += limit.Admit(WFormat(L"ERROR: Folder search failed: \"/d%d\"", i));
  for (int i = 0; i < 4; ++i) written += limit.Admit(WFormat(L"Warning: \"/l%d\" loops", i));
  EXPECT_EQ(written, 3 + 2 + 3);
  EXPECT_EQ(limit.heldBack(), 8u);
  EXPECT_EQ(limit.HeldBackLines(),
            (std::vector<std::wstring>{
                L"7 more line(s) not shown like: ERROR: Searching file: \"\u2026\". (200:1782) Too small.",
                L"1 more line(s) not shown like: Warning: \"\u2026\" loops"}));
}

TEST(StatusLineLimit, KindsBeyondTheBoundShareOneCount) {
  StatusLineLimit limit(1);
  for (size_t i = 0; i < StatusLineLimit::kMaxKinds; ++i) EXPECT_TRUE(limit.Admit(WFormat(L"kind %zu", i)));
  EXPECT_TRUE(limit.Admit(L"one more kind"));
  EXPECT_FALSE(limit.Admit(L"and another"));
  EXPECT_FALSE(limit.Admit(L"kind 0"));
  const auto held = limit.HeldBackLines();
  ASSERT_EQ(held.size(), 2u);
  EXPECT_EQ(held[1], L"1 more line(s) not shown like: (a line of another kind)");
}

}  // namespace
}  // namespace tarnix
