// The results of the Error Code Search window as they are copied, saved
// and completed with module details; the stored column layout.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <thread>

#include "errcode/code_result_rows.h"
#include "errcode/module_details_pass.h"
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
            L"5 = Access is denied.  \t/s/a.dll\t10.0.0.19041\tModule A\r\n"
            L"5 = Two  lines.  \t/s/b.dll\t\t");
  EXPECT_EQ(CodeResultRowsText(rows, {1}, CodeResultCopy::kMessages), L"Two  lines.");
  EXPECT_EQ(CodeResultRowsText(rows, {0, 1}, CodeResultCopy::kModules), L"/s/a.dll\r\n/s/b.dll");
  EXPECT_EQ(CodeResultRowsText(rows, {7}, CodeResultCopy::kRows), L"");
}

TEST(CodeResultRows, SavedAsUtf16LinesAndAFailedSaveKeepsTheOldFile) {
  TempDir dir("save");
  std::vector<CodeResultRow> rows = {Row(1, L"Denied. \u0416\r\n", L"/s/a.dll")};
  const std::string path = (dir.path() / "out.txt").string();
  ASSERT_TRUE(SaveCodeResultRows(path, rows));
  const std::u16string expected = u"\uFEFF5 = Denied. \u0416  \t/s/a.dll\t\t\r\n";
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
  const auto bytes = EncodeCodeResultColumns({2, 0, 1, 3}, {80, 400, 300, 200});
  ASSERT_EQ(bytes.size(), 32u);
  ASSERT_TRUE(DecodeCodeResultColumns(bytes, order, widths));
  EXPECT_EQ(order, (std::vector<int32_t>{2, 0, 1, 3}));
  EXPECT_EQ(widths, (std::vector<int32_t>{80, 400, 300, 200}));
  EXPECT_FALSE(DecodeCodeResultColumns(EncodeCodeResultColumns({0, 0, 1, 3}, {1, 1, 1, 1}), order, widths));
  EXPECT_FALSE(DecodeCodeResultColumns(EncodeCodeResultColumns({0, 1, 2, 4}, {1, 1, 1, 1}), order, widths));
  EXPECT_FALSE(DecodeCodeResultColumns(EncodeCodeResultColumns({0, 1, 2, 3}, {1, -1, 1, 1}), order, widths));
  EXPECT_FALSE(DecodeCodeResultColumns({1, 2, 3}, order, widths));
  EXPECT_TRUE(order.empty());
}

TEST(ModuleDetailsPass, EveryRowInBatchesOfAtLeastFour) {
  TempDir dir("details");
  std::vector<ModuleDetailsRow> rows;
  for (int i = 0; i < 10; ++i) {
    std::string name = "m";
    name += std::to_string(i);
    name += ".dll";
    dir.Write(name, PlainModule());
    // Two rows name each module.
    for (int k = 0; k < 2; ++k)
      rows.push_back({static_cast<uint64_t>(rows.size() + 1), rows.size(), Wide(dir.path() / name)});
  }
  QueueMessageTarget window(1024, 5);
  ModuleDetailsPass pass;
  ASSERT_TRUE(pass.Start(rows, &window, 0x409));
  std::vector<ModuleDetailsFound> found;
  std::vector<size_t> batches;
  int done = -1;
  while (done < 0) {
    PostedMessage m;
    ASSERT_TRUE(window.Take(m, std::chrono::milliseconds(10000)));
    if (m.id == kEcsMsgDetails) {
      const auto& batch = *m.As<std::vector<ModuleDetailsFound>>();
      batches.push_back(batch.size());
      found.insert(found.end(), batch.begin(), batch.end());
    } else if (m.id == kEcsMsgDetailsDone) {
      done = static_cast<int>(m.wParam);
    }
  }
  EXPECT_EQ(done, 1);
  ASSERT_EQ(found.size(), rows.size());
  for (size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(found[i].number, rows[i].number);
    EXPECT_EQ(found[i].details.version, kUnknownFileVersion);  // no version resource
    EXPECT_EQ(found[i].details.description.rfind(L"<error: (", 0), 0u);
  }
  for (size_t i = 0; i + 1 < batches.size(); ++i) EXPECT_GE(batches[i], ModuleDetailsPass::kMinBatch);

  // A cancelled pass ends before its next module and says so.
  QueueMessageTarget stuck(1, 0);
  ASSERT_TRUE(pass.Wait(std::chrono::milliseconds(5000)));
  ASSERT_TRUE(pass.Start(rows, &stuck, 0x409));
  pass.Cancel();
  ASSERT_TRUE(pass.Wait(std::chrono::milliseconds(5000)));
}

}  // namespace
}  // namespace tarnix
