// The results of the Error Code Search window as they are copied and
// saved; the stored column layout.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <thread>

#include "errcode/code_result_rows.h"
#include "errcode/search_texts.h"
#include "errcode_fixture.h"
#include "platform/file_output.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

using namespace tarnix::test;

CodeResultRow Row(uint64_t number, std::wstring message, std::wstring path) {
  CodeResultRow row;
  row.number = number;
  row.result = {5, ErrorCodeKind::Decimal, std::move(message), std::move(path)};
  row.display = ResultDisplayText(row.result);
  return row;
}

std::string ReadBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(CodeResultRows, CopiedTextsOfTheSelection) {
  std::vector<CodeResultRow> rows = {Row(1, L"Access is denied.\r\n", L"/s/a.dll"),
                                     Row(2, L"Two\r\nlines.\r\n", L"/s/b.dll")};
  rows[0].version = 0x000A000000004A61ull;
  rows[0].description = L"Module A";
  EXPECT_EQ(CodeResultRowsText(rows, {0, 1}, CodeResultCopy::kRows),
            L"5 = Access is denied.\t/s/a.dll\t10.0.0.19041\tModule A\r\n"
            L"5 = Two  lines.\t/s/b.dll\t\t");
  EXPECT_EQ(CodeResultRowsText(rows, {1}, CodeResultCopy::kMessages), L"Two  lines.");
  EXPECT_EQ(CodeResultRowsText(rows, {0, 1}, CodeResultCopy::kModules), L"/s/a.dll\r\n/s/b.dll");
  EXPECT_EQ(CodeResultRowsText(rows, {7}, CodeResultCopy::kRows), L"");
}

TEST(CodeResultRows, SavedAsUtf16LinesAndAFailedSaveKeepsTheOldFile) {
  TempDir dir("save");
  std::vector<CodeResultRow> rows = {Row(1, L"Denied. \u0416\r\n", L"/s/a.dll")};
  const std::string path = (dir.path() / "out.txt").string();
  ASSERT_TRUE(SaveCodeResultRows(path, rows));
  const std::u16string expected = u"\uFEFF5 = Denied. \u0416\t/s/a.dll\t\t\r\n";
  EXPECT_EQ(ReadBytes(path), std::string(reinterpret_cast<const char*>(expected.data()), expected.size() * 2));

  const std::string before = ReadBytes(path);
  FileOutput::FailWritesAfterForTesting(4, ERROR_DISK_FULL);
  EXPECT_FALSE(SaveCodeResultRows(path, {rows[0], rows[0], rows[0]}));
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  FileOutput::FailWritesAfterForTesting(-1, 0);
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_FALSE(SaveCodeResultRows(path, rows, [] { return true; }));
  EXPECT_EQ(GetLastError(), ERROR_CANCELLED);
  EXPECT_EQ(ReadBytes(path), before);
}

TEST(CodeResultRows, StoredColumnsAreEachColumnOnce) {
  std::vector<int32_t> order, widths;
  const auto bytes = EncodeCodeResultColumns({2, 0, 4, 1, 3}, {80, 400, 70, 300, 200});
  ASSERT_EQ(bytes.size(), 40u);
  ASSERT_TRUE(DecodeCodeResultColumns(bytes, order, widths));
  EXPECT_EQ(order, (std::vector<int32_t>{2, 0, 4, 1, 3}));
  EXPECT_EQ(widths, (std::vector<int32_t>{80, 400, 70, 300, 200}));
  // A layout stored before the source column gets it at its end.
  ASSERT_TRUE(DecodeCodeResultColumns(EncodeCodeResultColumns({2, 0, 1, 3}, {80, 400, 300, 200}), order, widths, 66));
  EXPECT_EQ(order, (std::vector<int32_t>{2, 0, 1, 3, 4}));
  EXPECT_EQ(widths, (std::vector<int32_t>{80, 400, 300, 200, 66}));
  EXPECT_FALSE(DecodeCodeResultColumns(EncodeCodeResultColumns({0, 1, 2, 4}, {1, 1, 1, 1}), order, widths));
  EXPECT_FALSE(DecodeCodeResultColumns(EncodeCodeResultColumns({0, 0, 1, 3}, {1, 1, 1, 1}), order, widths));
  EXPECT_FALSE(DecodeCodeResultColumns(EncodeCodeResultColumns({0, 1, 2, 4}, {1, 1, 1, 1}), order, widths));
  EXPECT_FALSE(DecodeCodeResultColumns(EncodeCodeResultColumns({0, 1, 2, 3}, {1, -1, 1, 1}), order, widths));
  EXPECT_FALSE(DecodeCodeResultColumns({1, 2, 3}, order, widths));
  EXPECT_TRUE(order.empty());
}

}  // namespace
}  // namespace tarnix
