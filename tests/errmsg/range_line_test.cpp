#include <gtest/gtest.h>

#include "errmsg/range_line.h"
#include "errmsg/range_set.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

uint32_t LineError(const std::wstring& line) {
  ErrorRange r{7, 8, 0, L"", L"kept"};
  SetLastError(0);
  EXPECT_FALSE(ParseRangeLine(line, r)) << line;
  EXPECT_EQ(r.rangeName, L"kept");
  return GetLastError();
}

TEST(RangeLine, FormatAndParse) {
  const ErrorRange r{12000, 4294967295u, 1, L"wininet.dll", L"Name | with bars"};
  const std::wstring line = FormatRangeLine(r);
  EXPECT_EQ(line, L"12000|4294967295|1|wininet.dll|Name | with bars");
  ErrorRange back;
  ASSERT_TRUE(ParseRangeLine(line, back));
  EXPECT_EQ(back, r);

  // Names pass whole, embedded NUL characters included.
  const ErrorRange nul{1, 2, 0, L"", std::wstring(L"a\0b", 3)};
  ASSERT_TRUE(ParseRangeLine(FormatRangeLine(nul), back));
  EXPECT_EQ(back, nul);

  ASSERT_TRUE(ParseRangeLine(L" 5 |-1|256|| ", back));  // "%u" reading: blanks, sign
  EXPECT_EQ(back, (ErrorRange{5, 0xFFFFFFFF, 256, L"", L" "}));

  EXPECT_EQ(LineError(L"1|2|3|x"), ERROR_SEPARATOR_MISSING);
  EXPECT_EQ(LineError(L""), ERROR_SEPARATOR_MISSING);
  EXPECT_EQ(LineError(L"a|2|0||"), ERROR_BAD_FORMAT);
  EXPECT_EQ(LineError(L"1||0||"), ERROR_BAD_FORMAT);
  EXPECT_EQ(LineError(L"1|4294967296|0||"), ERROR_BAD_FORMAT);
  EXPECT_EQ(LineError(L"1|2|3||"), ERROR_INVALID_FLAG_NUMBER);
  EXPECT_EQ(LineError(L"1|2|1024||"), ERROR_INVALID_FLAG_NUMBER);
  EXPECT_EQ(LineError(L"1|2|2|" + std::wstring(261, L'a') + L"|"), ERROR_FILENAME_EXCED_RANGE);
  EXPECT_EQ(LineError(L"1|2|0||" + std::wstring(257, L'a')), ERROR_NAME_TOO_LONG);
}

TEST(RangeLine, CopyAndPasteLists) {
  const std::vector<ErrorRange> set0 = BuildBuiltInRangeSets().at(0).ranges;
  const std::wstring text = FormatRangeLines(set0);
  EXPECT_EQ(text, L"0|11999|0||\r\n12176|15999|0||\r\n12000|12175|1|wininet.dll|WinInet Errors");
  std::vector<ErrorRange> back;
  size_t bad = 99;
  ASSERT_TRUE(ParseRangeLines(text, back, bad));
  EXPECT_EQ(back, set0);

  // Blank lines and surrounding white space are skipped; bad lines are named.
  ASSERT_TRUE(ParseRangeLines(L"\n  1|2|0||a  \r\n\r\n\t3|4|256||\n", back, bad));
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].rangeName, L"a");
  EXPECT_FALSE(ParseRangeLines(L"1|2|0||\n\nbroken\n", back, bad));
  EXPECT_EQ(bad, 3u);
  EXPECT_EQ(GetLastError(), ERROR_SEPARATOR_MISSING);
  EXPECT_EQ(back.size(), 2u);

  std::vector<ErrorRange> list = set0;
  size_t added = 0;
  ASSERT_TRUE(PasteRangeLines(list, 1, L"5|6|0||x\n7|8|0||y", added, bad));
  EXPECT_EQ(added, 2u);
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list[1].rangeName, L"x");
  EXPECT_EQ(list[2].rangeName, L"y");
  EXPECT_EQ(list[3], set0[1]);

  // 1025 ranges in total are refused and leave the list as it was.
  std::vector<ErrorRange> full(1023);
  EXPECT_FALSE(PasteRangeLines(full, 0, L"1|2|0||\n3|4|0||", added, bad));
  EXPECT_EQ(GetLastError(), ERROR_TOO_MANY_CMDS);
  EXPECT_EQ(full.size(), 1023u);
  EXPECT_TRUE(PasteRangeLines(full, 0, L"1|2|0||", added, bad));
  EXPECT_EQ(full.size(), 1024u);
}

}  // namespace
}  // namespace tarnix
