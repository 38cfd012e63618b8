// The exports' output file: whole files or nothing, and a failed output never
// removes a file it did not create.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/file_output.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"
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

TEST(FileOutput, DiscardRemovesThePartialFileAndKeepsTheLastError) {
  test::TempDir dir;
  const auto path = dir.path() / "partial.txt";
  {
    FileOutput out;
    ASSERT_TRUE(out.Create(path.string(), 4));
    ASSERT_TRUE(out.Write("0123456789"));
    SetLastError(ERROR_CANCELLED);
    out.Discard();
    EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ERROR_CANCELLED));
  }
  EXPECT_FALSE(std::filesystem::exists(path));
  {
    FileOutput out;  // neither committed nor discarded: gone with its scope
    ASSERT_TRUE(out.Create(path.string()));
    ASSERT_TRUE(out.Write("x"));
  }
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(FileOutput, DiscardLeavesAFileThatReplacedTheOutput) {
  test::TempDir dir;
  const auto path = dir.path() / "report.html";
  FileOutput out;
  ASSERT_TRUE(out.Create(path.string()));
  ASSERT_TRUE(out.Write("partial"));
  // Another program moves the file away and writes its own in its place.
  std::filesystem::rename(path, dir.path() / "moved.html");
  dir.Write("report.html", "someone else's");
  out.Discard();
  EXPECT_EQ(Slurp(path), "someone else's");
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
