#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/error_text.h"
#include "errmsg/range_module.h"
#include "errmsg/range_ok_check.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"
#include "support/temp_dir.h"

namespace tarnix {
namespace {

// The smallest file the load check takes for an image: "MZ", e_lfanew at
// 0x3C, and the PE signature where it points.
std::string TinyImage() {
  std::string b(0x44, '\0');
  b[0] = 'M';
  b[1] = 'Z';
  b[0x3C] = 0x40;
  b.replace(0x40, 4, std::string("PE\0\0", 4));
  return b;
}

class RangeOkCheckTest : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(root_.path() / "system32");
    root_.Write("system32/Kernel32.dll", TinyImage());
    root_.Write("system32/notes.txt", "plain text");
    root_.Write("other.dll", TinyImage());
    env_.systemDir = root_.path() / "system32";
  }
  std::wstring Abs(const char* rel) { return FromUtf8((root_.path() / rel).string()); }

  test::TempDir root_{"ranges"};
  RangeModuleEnv env_;
};

TEST_F(RangeOkCheckTest, CountsAndOverlaps) {
  RangeOkCheck c = CheckRangesForOk({}, env_, nullptr);
  EXPECT_EQ(c.verdict, RangeOkVerdict::NoRanges);
  EXPECT_EQ(c.message, L"At least one error range must be provided.");

  std::vector<ErrorRange> many(1025);
  c = CheckRangesForOk(many, env_, nullptr);
  EXPECT_EQ(c.verdict, RangeOkVerdict::TooManyRanges);
  EXPECT_EQ(c.message, L"Specified 1025 error ranges. Maximum allowed number is 1024.");

  const std::vector<ErrorRange> list = {
      {0xFFFFFFF0, 15, 0, L"", L""}, {100, 200, 0, L"", L""}, {5, 6, 0, L"", L""}};
  EXPECT_EQ(FindOverlappingRanges(list), (std::vector<size_t>{0, 2}));

  std::wstring asked;
  std::vector<size_t> shown;
  auto decline = [&](const std::wstring& q, std::span<const size_t> rows) {
    asked = q;
    shown.assign(rows.begin(), rows.end());
    return false;
  };
  c = CheckRangesForOk(list, env_, decline);
  EXPECT_EQ(c.verdict, RangeOkVerdict::OverlapDeclined);
  EXPECT_EQ(asked,
            L"Found and highlighted 2 error ranges in the list that are overlapping.\n\n"
            L"Do you want to continue?");
  EXPECT_EQ(shown, (std::vector<size_t>{0, 2}));
  EXPECT_EQ(c.rows, shown);

  auto accept = [](const std::wstring&, std::span<const size_t>) { return true; };
  EXPECT_EQ(CheckRangesForOk(list, env_, accept).verdict, RangeOkVerdict::Ok);
  // With the warning switched off nothing is asked.
  EXPECT_EQ(CheckRangesForOk(list, env_, nullptr).verdict, RangeOkVerdict::Ok);
}

TEST_F(RangeOkCheckTest, SystemModules) {
  std::vector<ErrorRange> list = {
      {0, 1, 1, L"kernel32.DLL", L""},  // found ignoring case
      {2, 3, 1, L"KERNEL32.dll", L""},
      {4, 5, 0, L"", L""},
  };
  EXPECT_EQ(CheckRangesForOk(list, env_, nullptr).verdict, RangeOkVerdict::Ok);

  // A full path into the system folder is not a system file name.
  list.push_back({6, 7, 1, Abs("system32/Kernel32.dll"), L""});
  RangeOkCheck c = CheckRangesForOk(list, env_, nullptr);
  EXPECT_EQ(c.verdict, RangeOkVerdict::BadSystemModules);
  EXPECT_EQ(c.rows, (std::vector<size_t>{3}));
  EXPECT_EQ(c.error, ERROR_BAD_PATH_ITEM);
  EXPECT_EQ(c.message,
            L"Found and highlighted 1 error range(s) with incorrectly provided module:\n\n"
            L"Module must be specified by an existing system file name only.\n\n" +
                ErrorText(ERROR_BAD_PATH_ITEM));

  // Several failures: no error text; a name that is not an image fails too.
  list.push_back({8, 9, 1, L"missing.dll", L""});
  list.push_back({10, 11, 1, L"notes.txt", L""});
  list.push_back({12, 13, 1, L"c:kernel32.dll", L""});
  c = CheckRangesForOk(list, env_, nullptr);
  EXPECT_EQ(c.rows, (std::vector<size_t>{3, 4, 5, 6}));
  EXPECT_EQ(c.message,
            L"Found and highlighted 4 error range(s) with incorrectly provided module:\n\n"
            L"Module must be specified by an existing system file name only.");
  uint32_t first = 0;
  std::vector<ErrorRange> one = {{0, 1, 1, L"notes.txt", L""}};
  FindBadRangeModules(one, 1, env_, first);
  EXPECT_EQ(first, ERROR_BAD_EXE_FORMAT);
  one[0].libraryName = L"missing.dll";
  FindBadRangeModules(one, 1, env_, first);
  EXPECT_EQ(first, ERROR_MOD_NOT_FOUND);
}

TEST_F(RangeOkCheckTest, AbsoluteModulesAndLoadedOnce) {
  std::vector<ErrorRange> list = {{0, 1, 2, Abs("other.dll"), L""}};
  EXPECT_EQ(CheckRangesForOk(list, env_, nullptr).verdict, RangeOkVerdict::Ok);

  list.push_back({2, 3, 2, L"other.dll", L""});
  RangeOkCheck c = CheckRangesForOk(list, env_, nullptr);
  EXPECT_EQ(c.verdict, RangeOkVerdict::BadOtherModules);
  EXPECT_EQ(c.rows, (std::vector<size_t>{1}));
  EXPECT_EQ(c.error, ERROR_NOT_ABSOLUTE_PATH);
  EXPECT_EQ(c.message,
            L"Found and highlighted 1 error range(s) with incorrectly provided module:\n\n"
            L"Module must be specified by an absolute path to an existing file.\n\n" +
                ErrorText(ERROR_NOT_ABSOLUTE_PATH));

  // Kind-1 failures are reported first, and kind-2 ones are not looked at.
  list.push_back({4, 5, 1, L"nope.dll", L""});
  EXPECT_EQ(CheckRangesForOk(list, env_, nullptr).verdict, RangeOkVerdict::BadSystemModules);

  // Each module is loaded once per pass; a loader's own error is reported.
  int loads = 0;
  env_.loads = [&](const std::filesystem::path&) {
    ++loads;
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  };
  list = {{0, 1, 1, L"kernel32.dll", L""}, {2, 3, 1, L"KERNEL32.DLL", L""}};
  c = CheckRangesForOk(list, env_, nullptr);
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(c.rows, (std::vector<size_t>{0, 1}));
  EXPECT_EQ(c.error, ERROR_ACCESS_DENIED);
}

}  // namespace
}  // namespace tarnix
