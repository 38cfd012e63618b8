// The exports' output file: whole files or nothing, and a failed output
// leaves the file it was to replace as it was.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/file_output.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "support/small_fs.h"
#include "support/temp_dir.h"

namespace tarnix {
namespace {

std::string Slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(FileOutput, CommitWritesEveryBufferAndReplacesAnOldFile) {
  test::TempDir dir;
  const auto path = dir.Write("out.txt", "old contents that are longer than the new ones");
  FileOutput out;
  ASSERT_TRUE(out.Create(path.string(), 3));  // tiny buffer: several flushes
  ASSERT_TRUE(out.Write("abcdefgh"));
  ASSERT_TRUE(out.Write("ij"));
  ASSERT_TRUE(out.Commit());
  EXPECT_EQ(Slurp(path), "abcdefghij");
}

// Nothing but the old file and the new one may ever be seen in the folder.
std::vector<std::string> Names(const std::filesystem::path& dir) {
  std::vector<std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(dir)) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

TEST(FileOutput, AFailedOrDiscardedOutputLeavesTheOldFileAsItWas) {
  test::TempDir dir;
  const auto path = dir.Write("out.txt", "the old export");
  {
    FileOutput out;
    ASSERT_TRUE(out.Create(path.string(), 4));
    ASSERT_TRUE(out.Write("0123456789"));
    EXPECT_EQ(Slurp(path), "the old export");  // nothing touches it before the end
    SetLastError(ERROR_CANCELLED);
    out.Discard();
    EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ERROR_CANCELLED));
  }
  {
    FileOutput out;  // neither committed nor discarded: dropped with its scope
    ASSERT_TRUE(out.Create(path.string()));
    ASSERT_TRUE(out.Write("x"));
  }
  {
    // The disk fills up in the middle of the output.
    FileOutput::FailWritesAfterForTesting(6, ERROR_DISK_FULL);
    FileOutput out;
    ASSERT_TRUE(out.Create(path.string(), 4));
    EXPECT_FALSE(out.Write("0123456789abcdef"));
    EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ERROR_DISK_FULL));
    EXPECT_FALSE(out.Commit());
    FileOutput::FailWritesAfterForTesting(-1, 0);
  }
  {
    // The same when it fills up on the last flush.
    FileOutput::FailWritesAfterForTesting(0, ERROR_WRITE_FAULT);
    FileOutput out;
    ASSERT_TRUE(out.Create(path.string()));
    ASSERT_TRUE(out.Write("short"));
    EXPECT_FALSE(out.Commit());
    EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ERROR_WRITE_FAULT));
    FileOutput::FailWritesAfterForTesting(-1, 0);
  }
  EXPECT_EQ(Slurp(path), "the old export");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"out.txt"});

  const auto fresh = dir.path() / "new.txt";
  FileOutput::FailWritesAfterForTesting(0, ERROR_DISK_FULL);
  FileOutput out;
  ASSERT_TRUE(out.Create(fresh.string()));
  EXPECT_FALSE(out.Write("x") && out.Commit());
  FileOutput::FailWritesAfterForTesting(-1, 0);
  EXPECT_FALSE(std::filesystem::exists(fresh));
}

TEST(FileOutput, AFullFileSystemKeepsTheOldFile) {
  test::SmallFileSystem fs(64 * 1024);
  if (!fs.ok()) GTEST_SKIP() << fs.reason();
  const auto path = fs.path() / "report.html";
  { std::ofstream(path) << std::string(8 * 1024, 'o'); }
  FileOutput out;
  ASSERT_TRUE(out.Create(path.string(), 4096));
  const std::string chunk(4096, 'n');
  bool ok = true;
  for (int i = 0; i < 64 && ok; ++i) ok = out.Write(chunk);
  EXPECT_FALSE(ok && out.Commit());
  EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ERROR_DISK_FULL));
  EXPECT_EQ(Slurp(path), std::string(8 * 1024, 'o'));
  EXPECT_EQ(Names(fs.path()), std::vector<std::string>{"report.html"});
}

TEST(FileOutput, ALinkStaysALinkAndKeepsItsFilesPermissions) {
  test::TempDir dir;
  const auto real = dir.Write("real.txt", "old");
  std::filesystem::permissions(real, std::filesystem::perms(0640));
  const auto link = dir.path() / "link.txt";
  std::filesystem::create_symlink("real.txt", link);
  FileOutput out;
  ASSERT_TRUE(out.Create(link.string()));
  ASSERT_TRUE(out.Write("new"));
  ASSERT_TRUE(out.Commit());
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(Slurp(real), "new");
  EXPECT_EQ(std::filesystem::status(real).permissions() & std::filesystem::perms::all,
            std::filesystem::perms(0640));
}

TEST(FileOutput, AFifoWithoutReaderAndAFolderAreRefused) {
  test::TempDir dir;
  const auto fifo = dir.path() / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  FileOutput out;
  EXPECT_FALSE(out.Create(fifo.string()));
  EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ERROR_PIPE_NOT_CONNECTED));
  EXPECT_FALSE(out.Create(dir.path().string()));
  EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ERROR_ACCESS_DENIED));
}

TEST(FileOutput, FailedWritesToADeviceDoNotRemoveIt) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  FileOutput out;
  ASSERT_TRUE(out.Create("/dev/full", 4));
  EXPECT_FALSE(out.Write("more than four bytes"));
  EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ERROR_DISK_FULL));
  struct stat st {};
  EXPECT_EQ(::stat("/dev/full", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST(FileOutput, AMissingFolderIsPathNotFound) {
  test::TempDir dir;
  FileOutput out;
  EXPECT_FALSE(out.Create((dir.path() / "no-such-folder" / "x.txt").string()));
  EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
}

}  // namespace
}  // namespace tarnix
