// The output box's text: capacity, line breaks and separators.
#include <gtest/gtest.h>

#include <string>

#include "tools/output_buffer.h"

namespace tarnix {
namespace {

TEST(OutputBuffer, KeepsTheLastCapacityCharactersAndReportsTheOverflow) {
  OutputBuffer box(1000);
  ASSERT_TRUE(box.AppendLine(std::wstring(993, L'a')));  // 995 with its CR LF
  ASSERT_EQ(box.size(), 995u);
  std::wstring dropped;
  box.SetDropObserver([&](std::wstring_view d) { dropped += d; });
  EXPECT_FALSE(box.AppendLine(L"0123456789"));
  EXPECT_EQ(box.size(), 1000u);
  EXPECT_EQ(box.text(), std::wstring(986, L'a') + L"\r\n0123456789\r\n");
  EXPECT_EQ(dropped, std::wstring(7, L'a'));

  // A line exactly as long as the whole box fits when the box is empty...
  OutputBuffer exact(12);
  EXPECT_TRUE(exact.AppendLine(L"0123456789"));
  // ...and a longer one keeps only its end, cut mid-line.
  EXPECT_FALSE(exact.AppendLine(L"abcdefghijklmnop"));
  EXPECT_EQ(exact.text(), L"ghijklmnop\r\n");
}

// Thousands of overflowing lines leave exactly the newest text, however the
// dead front is compacted along the way.
TEST(OutputBuffer, ManyOverflowingLinesLeaveTheNewestText) {
  OutputBuffer box(1000);
  std::wstring all;
  size_t droppedChars = 0;
  box.SetDropObserver([&](std::wstring_view d) { droppedChars += d.size(); });
  for (int i = 0; i < 5000; ++i) {
    const std::wstring line = L"line " + std::to_wstring(i);
    box.AppendLine(line);
    all += line + L"\r\n";
  }
  EXPECT_EQ(box.text(), std::wstring_view(all).substr(all.size() - 1000));
  EXPECT_EQ(droppedChars, all.size() - 1000);
}

TEST(OutputBuffer, CarriageReturnsGoAndLineFeedsBecomeCrLf) {
  EXPECT_EQ(OutputBuffer::FormatLine(L"a\r\nb\rc\nd"), L"a\r\nbc\r\nd\r\n");
  EXPECT_EQ(OutputBuffer::FormatLine(L""), L"\r\n");
  OutputBuffer box(100);
  box.AppendLine(L"one\ntwo");
  box.AppendLine(L"\r\r");
  EXPECT_EQ(box.text(), L"one\r\ntwo\r\n\r\n");
}

TEST(OutputBuffer, SeparatorIsNeverWrittenTwiceInARow) {
  OutputBuffer box(1000);
  EXPECT_TRUE(box.AppendSeparator());
  EXPECT_FALSE(box.AppendSeparator());
  EXPECT_EQ(box.text(), std::wstring(38, L'-') + L"\r\n");
  EXPECT_TRUE(box.separatorWritten());
  box.AppendLine(L"x");
  EXPECT_FALSE(box.separatorWritten());
  EXPECT_TRUE(box.AppendSeparator());
  // Cleared, the box has no last line: a separator is written.
  box.Clear();
  EXPECT_EQ(box.size(), 0u);
  EXPECT_TRUE(box.AppendSeparator());
  EXPECT_EQ(box.text(), std::wstring(38, L'-') + L"\r\n");
}

TEST(OutputBuffer, ASmallerCapacityDropsTheOldestTextAtOnce) {
  OutputBuffer box(100);
  box.AppendLine(L"first");
  box.AppendLine(L"second");
  box.SetCapacity(8);
  EXPECT_EQ(box.text(), L"second\r\n");
  box.SetCapacity(0);
  EXPECT_EQ(box.size(), 0u);
  EXPECT_FALSE(box.AppendLine(L"x"));
  EXPECT_EQ(box.size(), 0u);
}

}  // namespace
}  // namespace tarnix
