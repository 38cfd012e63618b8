#include "core/preset_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/file_output.h"
#include "platform/last_error.h"
#include "platform/wait_event.h"
#include "platform/win_errors.h"
#include "support/temp_dir.h"
#include "tarnix_version.h"

namespace tarnix {
namespace {

using namespace std::string_literals;
using Clock = std::chrono::steady_clock;

std::string ReadBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Le(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

std::string Be(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) {
    out += static_cast<char>(c >> 8);
    out += static_cast<char>(c & 0xFF);
  }
  return out;
}

int ReadFile(const std::filesystem::path& p, std::vector<PresetSection>& out, uint32_t timeoutMs = 1000) {
  PresetFile f(p.string(), L"");
  return f.Read(out, timeoutMs);
}

// Parses a text through the file reader; the error code on failure.
uint32_t Parse(const std::wstring& text, std::vector<PresetSection>& out) {
  return PresetFile::ParseText(text, out) ? 0 : GetLastError();
}

TEST(PresetFile, CommentLinesArePrefixed) {
  EXPECT_EQ(PresetFile::BuildComment(L"a\nb\n"), L"; a\n; b\n");
  EXPECT_EQ(PresetFile::BuildComment(L"a\r\n\nb"), L"; a\n; \n; b");
  EXPECT_EQ(PresetFile::BuildComment(L""), L"");

  // The export header becomes the comment block of the file.
  const std::wstring c = PresetFile::BuildComment(ErrCodePresetsFileHeader());
  EXPECT_EQ(c.rfind(L"; This file was created by Tarnix v." TARNIX_VERSION_FULL "\n"
                    L"; (It contains exports of the error codes search presets.)\n; \n; Date: ", 0),
            0u);
  EXPECT_EQ(c.back(), L'\n');
  EXPECT_NE(ErrMsgPresetsFileHeader().find(L"(It contains exports of the error messages search presets.)"),
            std::wstring::npos);
}

TEST(PresetFile, WritesExactBytes) {
  test::TempDir dir;
  const auto path = dir.path() / "p.ini";
  PresetFile f(path.string(), L"This file\n\nDate: x\n");
  std::vector<PresetSection> doc{
      {L"ConfigECSPs", {{L"Version", L"1"}}},
      {L"Preset0", {{L"Name", L"a\nb\r\\c\td \u0436"}, {L"Flags", L""}}},
      {L"Empty", {}}};
  ASSERT_EQ(f.Write(doc, 1000), 0);
  const std::string expect =
      "\xFF\xFE"s + Le(u"; This file\r\n; \r\n; Date: x\r\n\r\n[ConfigECSPs]\r\nVersion=1\r\n[Preset0]\r\n"
                       u"Name=a\\nb\\r\\\\c\td \u0436\r\nFlags=\r\n[Empty]\r\n");
  EXPECT_EQ(ReadBytes(path), expect);
  // Nothing but the file is left in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

  std::vector<PresetSection> back;
  ASSERT_EQ(f.Read(back, 1000), 0);
  EXPECT_EQ(back, doc);

  // Without a comment the first section comes first.
  PresetFile bare(path.string(), L"");
  ASSERT_EQ(bare.Write({{L"S", {{L"k", L"v"}}}}, 1000), 0);
  EXPECT_EQ(ReadBytes(path), "\xFF\xFE"s + Le(u"[S]\r\nk=v\r\n"));
}

TEST(PresetFile, InvalidNamesWriteNothing) {
  test::TempDir dir;
  const auto path = dir.path() / "p.ini";
  PresetFile f(path.string(), L"c");
  for (const auto& doc : std::vector<std::vector<PresetSection>>{
           {{L"a]b", {}}}, {{L"", {}}}, {{L"a\nb", {}}}, {{L"[a", {}}},
           {{L"S", {{L"a b", L""}}}}, {{L"S", {{L"", L"v"}}}}, {{L"S", {{L"k=", L"v"}}}}}) {
    SetLastError(0);
    EXPECT_EQ(f.Write(doc, 100), -1);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
    EXPECT_FALSE(std::filesystem::exists(path));
  }
  // Letters beyond ASCII are letters.
  EXPECT_EQ(f.Write({{L"S", {{L"K\u00e9y_1", L"v"}}}}, 100), 0);
  // An existing file stays as it was when a name is invalid.
  const std::string before = ReadBytes(path);
  EXPECT_EQ(f.Write({{L"a]b", {}}}, 100), -1);
  EXPECT_EQ(ReadBytes(path), before);
}

// A failed write keeps the file it was to replace, and what is not a
// regular file is never swapped for one.
TEST(PresetFile, WritingKeepsWhatItReplaces) {
  test::TempDir dir;
  const std::vector<PresetSection> doc{{L"S", {{L"k", L"new"}}}};
  const auto old = dir.Write("old.ini", "old bytes");
  PresetFile full(old.string(), L"");
  FileOutput::FailWritesAfterForTesting(0, ERROR_DISK_FULL);
  EXPECT_EQ(full.Write(doc, 100), -1);
  FileOutput::FailWritesAfterForTesting(-1, 0);
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  EXPECT_EQ(ReadBytes(old), "old bytes");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

  // A read-only file is refused, not made writable and replaced.
  const auto ro = dir.Write("ro.ini", "kept");
  chmod(ro.c_str(), 0444);
  EXPECT_EQ(PresetFile(ro.string(), L"").Write(doc, 100), -1);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadBytes(ro), "kept");

  // A link stays a link; the file it leads to gets the document.
  const auto real = dir.Write("real.ini", "x");
  const auto link = dir.path() / "link.ini";
  std::filesystem::create_symlink(real, link);
  ASSERT_EQ(PresetFile(link.string(), L"").Write(doc, 100), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  std::vector<PresetSection> back;
  ASSERT_EQ(ReadFile(real, back), 0);
  EXPECT_EQ(back, doc);

  // A FIFO nobody reads is refused and stays a FIFO.
  const auto fifo = dir.path() / "fifo.ini";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(PresetFile(fifo.string(), L"").Write(doc, 100), -1);
  EXPECT_EQ(GetLastError(), ERROR_PIPE_NOT_CONNECTED);
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));

  // A device is written where it is. Only root may make one (a private
  // copy of /dev/full, so that a writer that replaced it harms nothing).
  const auto device = dir.path() / "full";
  if (geteuid() == 0 && mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0) {
    EXPECT_EQ(PresetFile(device.string(), L"").Write(doc, 100), -1);
    EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
    EXPECT_TRUE(std::filesystem::is_character_file(device));
  }
}

// Bytes that are not UTF-8 read as U+FFFD, as unpaired UTF-16 surrogates
// do: a document never holds a surrogate half it could not write back.
TEST(PresetFile, MalformedTextReadsAsReplacementCharacters) {
  std::vector<PresetSection> got;
  ASSERT_TRUE(PresetFile::ParseBytes("\xEF\xBB\xBF[a\xFF]\nk=\xC3\n"s, got));
  EXPECT_EQ(got, (std::vector<PresetSection>{{L"a\uFFFD", {{L"k", L"\uFFFD"}}}}));
  ASSERT_TRUE(PresetFile::ParseBytes("\xFF\xFE"s + Le(u"[a\xDC00]\r\nk=\xD800"), got));
  EXPECT_EQ(got, (std::vector<PresetSection>{{L"a\uFFFD", {{L"k", L"\uFFFD"}}}}));
}

TEST(PresetFile, ReadsEveryEncoding) {
  test::TempDir dir;
  const std::vector<PresetSection> expect{{L"S\u00e9", {{L"Name", L"\u0436 \u20ac"}, {L"PathItem0", L"1|C:\\"}}}};
  std::vector<PresetSection> got;

  dir.Write("u8.ini", "\xEF\xBB\xBF[S\xC3\xA9]\nName=\xD0\xB6 \xE2\x82\xAC\nPathItem0=1|C:\\\\");
  ASSERT_EQ(ReadFile(dir.path() / "u8.ini", got), 0);
  EXPECT_EQ(got, expect);

  dir.Write("le.ini", "\xFF\xFE"s + Le(u"[S\u00e9]\r\nName=\u0436 \u20ac\r\nPathItem0=1|C:\\\\\r\n"));
  ASSERT_EQ(ReadFile(dir.path() / "le.ini", got), 0);
  EXPECT_EQ(got, expect);

  dir.Write("be.ini", "\xFE\xFF"s + Be(u"[S\u00e9]\nName=\u0436 \u20ac\nPathItem0=1|C:\\\\"));
  ASSERT_EQ(ReadFile(dir.path() / "be.ini", got), 0);
  EXPECT_EQ(got, expect);

  // Without a mark: Windows-1252 (0x80 is the euro sign).
  dir.Write("ansi.ini", "[S\xE9]\r\nName=\\x0436 \x80\r\nPathItem0=1|C:\\\\\r\n");
  ASSERT_EQ(ReadFile(dir.path() / "ansi.ini", got), 0);
  EXPECT_EQ(got, expect);

  struct Bad {
    std::string bytes;
    uint32_t error;
  };
  for (const Bad& b : {Bad{"\x0E\xFE\xFF[S]\nk=v"s, ERROR_BAD_FORMAT},
                       Bad{"\x00\x00\xFE\xFF"s + Be(u"[S]"), ERROR_BAD_FORMAT},
                       Bad{"\xFF\xFE"s + Le(u"[S]") + "x", ERROR_BAD_LENGTH},
                       Bad{"\xFE\xFF"s + "x", ERROR_BAD_LENGTH},
                       Bad{"\xFF\xFE\x00\x00"s + "x", ERROR_BAD_LENGTH}}) {
    dir.Write("bad.ini", b.bytes);
    SetLastError(0);
    EXPECT_EQ(ReadFile(dir.path() / "bad.ini", got), -1);
    EXPECT_EQ(GetLastError(), b.error);
    EXPECT_TRUE(got.empty());
  }

  // Size limit: 16 MiB is read, one byte more is refused.
  const auto big = dir.path() / "big.ini";
  dir.Write("big.ini", "[S]\nk=v\n");
  std::filesystem::resize_file(big, kMaxPresetFileSize + 1);
  EXPECT_EQ(ReadFile(big, got), -1);
  EXPECT_EQ(GetLastError(), ERROR_FILE_TOO_LARGE);
  std::filesystem::resize_file(big, kMaxPresetFileSize);
  EXPECT_EQ(ReadFile(big, got), -1);  // the zero bytes are no valid text
  EXPECT_EQ(GetLastError(), ERROR_BAD_FORMAT);
}

// What a file can make the reader hold is bounded: more sections, pairs or
// longer names and values than any preset file has are a format error.
TEST(PresetFile, ReadingIsBounded) {
  test::TempDir dir;
  std::vector<PresetSection> got;
  auto read = [&](const std::string& bytes) {
    dir.Write("b.ini", bytes);
    SetLastError(0);
    return ReadFile(dir.path() / "b.ini", got) == 0 ? 0u : GetLastError();
  };
  std::string many;
  for (size_t i = 0; i <= PresetFile::kMaxSections; ++i) many += "[a]\n";
  EXPECT_EQ(read(many), ERROR_BAD_FORMAT);
  EXPECT_TRUE(got.empty());
  many.resize(many.size() - 4);
  EXPECT_EQ(read(many), 0u);
  EXPECT_EQ(got.size(), PresetFile::kMaxSections);

  std::string pairs = "[a]\n";
  for (size_t i = 0; i <= PresetFile::kMaxPairs; ++i) {
    if (i % 1000 == 0) pairs += "[b]\n";
    pairs += "a=\n";
  }
  EXPECT_EQ(read(pairs), ERROR_BAD_FORMAT);
  pairs.resize(pairs.size() - 3);
  EXPECT_EQ(read(pairs), 0u);

  const std::string longest(PresetFile::kMaxNameLength, 'k');
  EXPECT_EQ(read("[" + longest + "]\n" + longest + "=1\n"), 0u);
  EXPECT_EQ(read("[" + longest + "k]\n"), ERROR_BAD_FORMAT);
  EXPECT_EQ(read("[s]\n" + longest + "k=1\n"), ERROR_BAD_FORMAT);
  const std::string value(PresetFile::kMaxValueLength, 'v');
  EXPECT_EQ(read("[s]\nk=" + value + "\n"), 0u);
  EXPECT_EQ(read("[s]\nk=" + value + "v\n"), ERROR_BAD_FORMAT);
  std::string escaped;
  for (size_t i = 0; i < PresetFile::kMaxValueLength; ++i) escaped += "\\n";
  EXPECT_EQ(read("[s]\nk=" + escaped + "\n"), 0u);
  EXPECT_EQ(read("[s]\nk=" + escaped + "\\\n"), ERROR_BAD_FORMAT);

  // A full-size file of four million sections or five million pairs is
  // refused (it used to take 20 to 40 times its size).
  std::string sections;
  while (sections.size() + 4 <= kMaxPresetFileSize) sections += "[a]\n";
  EXPECT_EQ(read(sections), ERROR_BAD_FORMAT);
  std::string lines = "[a]\n";
  while (lines.size() + 3 <= kMaxPresetFileSize) lines += "a=\n";
  EXPECT_EQ(read(lines), ERROR_BAD_FORMAT);
}

TEST(PresetFile, ScannerRules) {
  std::vector<PresetSection> got;
  ASSERT_EQ(Parse(L"; c [x]\n\n  [A]\t\r\nName = x\nk\t=a;b=c\r\n[a]\nK=1\nK=2\n;last\nE=", got), 0u);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].name, L"A");
  EXPECT_EQ(got[0].pairs, (std::vector<PresetPair>{{L"Name", L" x"}, {L"k", L"a;b=c"}}));
  EXPECT_EQ(got[1].pairs, (std::vector<PresetPair>{{L"K", L"1"}, {L"K", L"2"}, {L"E", L""}}));
  ASSERT_EQ(Parse(L"[S]\nv=\\n\\r\\\\\\t\\x41\\x\\q\\", got), 0u);
  EXPECT_EQ(got[0].pairs[0].value, L"\n\r\\\tAxq\\");
  ASSERT_EQ(Parse(L"", got), 0u);
  EXPECT_TRUE(got.empty());

  for (const wchar_t* bad : {L"k=v", L"[]", L"[a\nb]", L"[a[b]", L"[a", L"[S]\nk", L"[S]\nk x=1",
                             L"[S]\n=v", L"[S]\n-k=v", L"[S] x\n", L"[S]\nk\n=v"}) {
    EXPECT_EQ(Parse(bad, got), ERROR_BAD_FORMAT) << bad;
    EXPECT_TRUE(got.empty());
  }
}

TEST(PresetFile, MissingFilesAndStickyErrors) {
  test::TempDir dir;
  std::vector<PresetSection> got;
  EXPECT_EQ(ReadFile(dir.path() / "none.ini", got), 1);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ReadFile(dir.path() / "no" / "none.ini", got), 1);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(ReadFile(dir.path(), got), -1);  // a folder
  PresetFile w((dir.path() / "no" / "x.ini").string(), L"");
  EXPECT_EQ(w.Write({}, 100), -1);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

  PresetFile sticky((dir.path() / "s.ini").string(), L"");
  sticky.SetStickyError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(sticky.Write({}, 100), -1);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(sticky.Read(got, 100), -1);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "s.ini"));
}

// Another process holds the file exclusively for `holdMs`.
class Holder {
 public:
  Holder(const std::filesystem::path& path, int holdMs) {
    int ready[2];
    if (pipe(ready) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      int fd = open(path.c_str(), O_RDWR | O_CREAT, 0644);
      char c = fd >= 0 && flock(fd, LOCK_EX) == 0 ? '1' : '0';
      (void)!write(ready[1], &c, 1);
      std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
      _exit(0);
    }
    char c = 0;
    ok_ = read(ready[0], &c, 1) == 1 && c == '1';
    close(ready[0]);
    close(ready[1]);
  }
  ~Holder() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  bool ok() const { return ok_; }

 private:
  pid_t pid_ = -1;
  bool ok_ = false;
};

TEST(PresetFile, AnotherProcessHoldingTheFileTimesOut) {
  test::TempDir dir;
  const auto path = dir.path() / "held.ini";
  PresetFile f(path.string(), L"");
  ASSERT_EQ(f.Write({{L"S", {{L"k", L"old"}}}}, 100), 0);
  {
    Holder holder(path, 1000);
    ASSERT_TRUE(holder.ok());
    auto start = Clock::now();
    EXPECT_EQ(f.Write({{L"S", {{L"k", L"new"}}}}, 150), -1);
    EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(150));
    std::vector<PresetSection> got;
    EXPECT_EQ(f.Read(got, 100), -3);
    EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);

    // A longer timeout outlasts the holder.
    EXPECT_EQ(f.Write({{L"S", {{L"k", L"new"}}}}, 5000), 0);
  }
  std::vector<PresetSection> got;
  ASSERT_EQ(f.Read(got, 100), 0);
  EXPECT_EQ(got[0].pairs[0].value, L"new");
}

TEST(PresetFile, CancelEndsTheWait) {
  test::TempDir dir;
  const auto path = dir.path() / "held.ini";
  WaitEvent cancel;
  PresetFile f(path.string(), L"", &cancel);
  ASSERT_EQ(f.Write({{L"S", {}}}, 100), 0);
  Holder holder(path, 5000);
  ASSERT_TRUE(holder.ok());
  std::thread canceller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    cancel.Set();
  });
  std::vector<PresetSection> got;
  EXPECT_EQ(f.Read(got, 5000), -2);
  EXPECT_EQ(GetLastError(), ERROR_CANCELLED);
  canceller.join();
  EXPECT_EQ(f.Write({{L"S", {}}}, 5000), -1);
  EXPECT_EQ(GetLastError(), ERROR_CANCELLED);
}

}  // namespace
}  // namespace tarnix
