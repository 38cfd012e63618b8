#include "results/column_layout.h"

#include <gtest/gtest.h>

#include "results/result_column.h"
#include "results/results_copy.h"

namespace tarnix {
namespace {

std::vector<uint8_t> Stored(std::vector<std::pair<int32_t, int32_t>> pairs) {
  ColumnLayout l;
  std::vector<int32_t> widths;
  for (auto [id, w] : pairs) {
    ColumnLayoutEntry e;
    e.column = id;
    l.push_back(e);
    widths.push_back(w);
  }
  return EncodeColumnLayout(l, widths);
}

TEST(ColumnLayout, StoredLayoutRules) {
  ColumnLayout l;
  ASSERT_TRUE(DecodeColumnLayout(Stored({{0, 100}, {4, 999}, {14, 40}}), 800, l));
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[1].flags, kColumnStretch);
  EXPECT_EQ(l[1].width, 2);  // stretch columns keep their weight
  EXPECT_EQ(l[2].width, 40);

  std::vector<std::pair<int32_t, int32_t>> seventeen;
  for (int i = 0; i < 17; ++i) seventeen.push_back({i % 16, 10});
  EXPECT_FALSE(DecodeColumnLayout(Stored(seventeen), 800, l));
  EXPECT_FALSE(DecodeColumnLayout(Stored({{0, 10}, {0, 20}}), 800, l));     // duplicate id
  EXPECT_FALSE(DecodeColumnLayout(Stored({{0, 3201}}), 800, l));            // beyond 4 x width
  EXPECT_TRUE(DecodeColumnLayout(Stored({{0, 3200}}), 800, l));
  EXPECT_FALSE(DecodeColumnLayout(Stored({{16, 10}}), 800, l));             // unknown id
  EXPECT_FALSE(DecodeColumnLayout({1, 2, 3}, 800, l));                      // not pairs
  EXPECT_FALSE(DecodeColumnLayout({}, 800, l));
}

TEST(ColumnLayout, DefaultWidthsAndStretch) {
  ColumnLayout l = DefaultColumnLayout(1000);
  ASSERT_EQ(l.size(), 9u);
  EXPECT_EQ(l[0].column, kColFunctionName);
  EXPECT_EQ(l[0].width, 160);
  auto widths = ColumnPixelWidths(l, 1000);
  // 1000 - (160+50+100+120+100+60+80) = 330 shared by two weight-2 columns.
  EXPECT_EQ(widths[6], 165);
  EXPECT_EQ(widths[8], 165);
  auto narrow = ColumnPixelWidths(l, 300);
  EXPECT_EQ(narrow[6], 0);
  EXPECT_EQ(narrow[8], 28);  // the last column keeps a minimum
}

TEST(ColumnLayout, RemovingColumns) {
  ColumnLayout l = DefaultColumnLayout(1000);
  int32_t sort = kColOrdinal;
  ASSERT_TRUE(RemoveColumn(l, kColOrdinal, sort));
  EXPECT_EQ(sort, kColFunctionName);
  ColumnLayout one = {l.front()};
  EXPECT_FALSE(RemoveColumn(one, one.front().column, sort));
}

TEST(ResultsCopy, RowsColumnAndSaveFormat) {
  ResultsModel rows;
  for (int i = 0; i < 3; ++i) {
    SymbolResult r;
    r.name = L"N" + std::to_wstring(i);
    r.module = L"m.dll";
    r.kind = kKindExport;
    rows.Add(r);
  }
  std::wstring text;
  ASSERT_TRUE(CopyRowsText(rows, {2, 0}, {kColFunctionName, kColModule}, true, text));
  EXPECT_EQ(text, L"N2\tm.dll\r\nN0\tm.dll");
  ASSERT_TRUE(CopyColumnText(rows, {1, 2}, kColMatchedIn, true, text));
  EXPECT_EQ(text, L"Export\r\nExport");
  EXPECT_EQ(CopyColumnMenuText(kColModule), L"Cop&y 'Module From/To'");
  EXPECT_EQ(SaveFormatOf(L"/a/b.HTM"), SaveFormat::kHtml);
  EXPECT_EQ(SaveFormatOf(L"/a.html/b"), SaveFormat::kText);
  EXPECT_EQ(SaveFormatOf(L"r.txt"), SaveFormat::kText);

  SaveRequest declined;
  declined.path = "/nonexistent/never.txt";
  declined.detailsIncomplete = true;
  declined.confirm = [](const std::wstring& q) {
    EXPECT_NE(q.find(L"aren't fully processed"), std::wstring::npos);
    return false;
  };
  EXPECT_EQ(SaveResults(rows, declined), 0);
}

}  // namespace
}  // namespace tarnix
