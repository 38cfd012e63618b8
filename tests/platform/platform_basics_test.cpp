#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/errno_map.h"
#include "platform/fault_guard.h"
#include "platform/last_error.h"
#include "platform/mapped_file.h"
#include "platform/text_encoding.h"
#include "platform/time_utils.h"
#include "platform/win_errors.h"
#include "support/temp_dir.h"

namespace tarnix {
namespace {

TEST(LastError, IsPerThreadAndKeptByKeeper) {
  SetLastError(5);
  std::thread([] {
    EXPECT_EQ(GetLastError(), 0u);
    SetLastError(7);
  }).join();
  EXPECT_EQ(GetLastError(), 5u);
  {
    LastErrorKeeper keep;
    SetLastError(99);
  }
  EXPECT_EQ(GetLastError(), 5u);
}

TEST(ErrnoMap, CommonValues) {
  EXPECT_EQ(Win32FromErrno(ENOENT), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Win32FromErrno(EACCES), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Win32FromErrno(ENOTDIR), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(Win32FromErrno(12345), ERROR_GEN_FAILURE);
}

TEST(TextEncoding, Cp1252AndUtf) {
  EXPECT_EQ(FromCp1252("A\x80\x81\x9F\xFF"), std::wstring(L"A\x20AC\x0081\x0178\x00FF"));
  bool lossy = false;
  EXPECT_EQ(ToCp1252(L"A\x20AC\x00FF", &lossy), "A\x80\xFF");
  EXPECT_FALSE(lossy);
  ToCp1252(L"\x4E2D", &lossy);
  EXPECT_TRUE(lossy);
  std::wstring w = L"a\x00E9\x4E2D\U0001F600";
  EXPECT_EQ(FromUtf8(ToUtf8(w)), w);
  EXPECT_EQ(ToUtf8(L""), "");
  EXPECT_EQ(ToUtf8(L"plain.dll"), "plain.dll");
  EXPECT_EQ(ToUtf8(L"plain\x00E9"), "plain\xC3\xA9");  // ASCII, then the rest
  EXPECT_EQ(FromUtf16(ToUtf16(w)), w);
  EXPECT_EQ(ToUtf16(L"\U0001F600").size(), 2u);
  EXPECT_EQ(FromUtf8("a\xC0\x80z"), L"a\xDCC0\xDC80z");  // overlong form
  EXPECT_EQ(FromUtf8("\xE4\xB8"), L"\xDCE4\xDCB8");      // cut short
  // Malformed bytes come back as they were (a Latin-1 file name).
  EXPECT_EQ(ToUtf8(FromUtf8("k\xE9rnel\xFF.dll")), "k\xE9rnel\xFF.dll");
  EXPECT_EQ(ToUtf8(FromUtf8("\xED\xA0\x80")), "\xED\xA0\x80");  // an encoded surrogate
  // Surrogates that stand for no byte cannot be written.
  EXPECT_EQ(ToUtf8(std::wstring(1, wchar_t(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(std::wstring(1, wchar_t(0xDC41))), "\xEF\xBF\xBD");
}

TEST(TimeUtils, FileTimeConversions) {
  EXPECT_EQ(UnixSecondsToFileTime(0), kFileTimeOfUnixEpoch);
  EXPECT_EQ(FileTimeToUnixSeconds(kFileTimeOfUnixEpoch - 1), -1);
  SystemTime st;
  // 2022-07-20 09:15:02.117 UTC
  uint64_t ft = UnixSecondsToFileTime(1658308502) + 117 * 10000;
  ASSERT_TRUE(FileTimeToSystemTime(ft, st));
  EXPECT_EQ(st.year, 2022);
  EXPECT_EQ(st.month, 7);
  EXPECT_EQ(st.day, 20);
  EXPECT_EQ(st.dayOfWeek, 3);  // a Wednesday
  EXPECT_EQ(st.hour, 9);
  EXPECT_EQ(st.minute, 15);
  EXPECT_EQ(st.second, 2);
  EXPECT_EQ(st.milliseconds, 117);
  uint64_t back = 0;
  ASSERT_TRUE(SystemTimeToFileTime(st, back));
  EXPECT_EQ(back, ft);
  st.month = 2;
  st.day = 29;  // 2022 is not a leap year
  EXPECT_FALSE(SystemTimeToFileTime(st, back));
  uint64_t local = 0, utc = 0;
  ASSERT_TRUE(FileTimeUtcToLocal(ft, local));
  ASSERT_TRUE(FileTimeLocalToUtc(local, utc));
  EXPECT_EQ(utc, ft);
}

TEST(MappedFile, SizesStepsAndZeroTail) {
  test::TempDir dir;
  MappedFile f;
  EXPECT_FALSE(f.Open((dir.path() / "missing").string()));
  EXPECT_EQ(f.failedStep(), MappedFile::Step::Open);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  auto small = dir.Write("small", std::string(64, 'x'));
  EXPECT_FALSE(f.Open(small.string(), 64));
  EXPECT_EQ(f.failedStep(), MappedFile::Step::TooSmall);
  EXPECT_EQ(GetLastError(), ERROR_FILE_TOO_SMALL);

  auto ok = dir.Write("ok", std::string(65, 'y'));
  ASSERT_TRUE(f.Open(ok.string(), 64));
  EXPECT_EQ(f.fileSize(), 65u);
  EXPECT_EQ(f.viewSize() % 4096, 0u);
  EXPECT_EQ(f.data()[64], 'y');
  EXPECT_EQ(f.data()[65], 0);  // the rest of the page reads as zero

  EXPECT_FALSE(f.Open(dir.path().string()));  // a folder is not a file
}

TEST(FaultGuard, TruncatedMappingReadsZerosAndIsReported) {
  test::TempDir dir;
  auto p = dir.Write("big", std::string(64 * 1024, 'z'));
  MappedFile f;
  ASSERT_TRUE(f.Open(p.string()));
  ASSERT_EQ(truncate(p.c_str(), 4096), 0);
  FaultGuard guard(f.data(), f.viewSize());
  EXPECT_FALSE(guard.faulted());
  EXPECT_EQ(f.data()[100], 'z');
  volatile uint8_t past = f.data()[40000];  // beyond the new end: SIGBUS absorbed
  EXPECT_EQ(past, 0);
  EXPECT_TRUE(guard.faulted());
}

TEST(FaultGuard, FaultOutsideGuardStillKills) {
  test::TempDir dir;
  auto p = dir.Write("big", std::string(64 * 1024, 'z'));
  pid_t pid = fork();
  if (pid == 0) {
    MappedFile f;
    if (!f.Open(p.string())) _exit(2);
    if (truncate(p.c_str(), 0) != 0) _exit(3);
    { FaultGuard other(&pid, sizeof pid); volatile uint8_t v = f.data()[40000]; (void)v; }
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  // The fault is not absorbed: the process dies of it (or, under a
  // sanitizer that reports deadly signals, exits with its failure status).
  EXPECT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) != 0));
}

}  // namespace
}  // namespace tarnix

namespace tarnix {
namespace {

TEST(FaultGuard, GuardsNestAndTheOuterOneComesBack) {
  test::TempDir dir;
  auto outerPath = dir.Write("outer", std::string(64 * 1024, 'o'));
  auto innerPath = dir.Write("inner", std::string(64 * 1024, 'i'));
  MappedFile outer, inner;
  ASSERT_TRUE(outer.Open(outerPath.string()));
  ASSERT_TRUE(inner.Open(innerPath.string()));
  ASSERT_EQ(truncate(outerPath.c_str(), 4096), 0);
  ASSERT_EQ(truncate(innerPath.c_str(), 4096), 0);
  FaultGuard guard(outer.data(), outer.viewSize());
  {
    FaultGuard nested(inner.data(), inner.viewSize());
    volatile uint8_t v = inner.data()[50000];
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(nested.faulted());
  }
  EXPECT_FALSE(guard.faulted());  // the inner fault was the inner guard's
  volatile uint8_t w = outer.data()[50000];
  EXPECT_EQ(w, 0);
  EXPECT_TRUE(guard.faulted());
}

}  // namespace
}  // namespace tarnix
