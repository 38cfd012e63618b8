#include "symbolsearch/search_worker.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <thread>

#include "core/error_text.h"
#include "core/run_stopwatch.h"
#include "pe/look_in.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "support/link_tree.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"
#include "symbolsearch/result_batch.h"
#include "symbolsearch/search_harness.h"
#include "symbolsearch/symbol_result.h"

namespace tarnix {
namespace {

using test::PeBuilder;

std::string Dll(std::vector<std::string> names) {
  test::ImportModule m;
  m.module = "KERNEL32.dll";
  for (auto& n : names) m.symbols.push_back(test::ImportSymbol::Named(n));
  return PeBuilder(PeBuilder::Kind::kPe64).Import(m).Build().bytes;
}

TEST(SearchWorker, EmptyFolderCompletesWithNothing) {
  test::TempDir dir;
  SearchHarness h;
  SearchRun r = h.Go(h.Params(dir.path(), L"x"));
  EXPECT_EQ(r.ended, 1);
  EXPECT_EQ(r.sizeScanEnded, 1);
  EXPECT_EQ(r.files, 0u);
  EXPECT_TRUE(r.results.empty());
}

TEST(SearchWorker, ResultsComeInWalkOrderAndWarningsDependOnFileName) {
  test::TempDir dir;
  dir.Write("b.dll", Dll({"CreateFileW", "ReadFile"}));
  dir.Write("A.dll", Dll({"CreateFileA"}));
  dir.Write("c.dll", "just text, not an image at all, but long enough to pass the size test....");
  SearchHarness h;
  SearchRun r = h.Go(h.Params(dir.path(), L"CreateFile"));
  ASSERT_EQ(r.results.size(), 2u);
  EXPECT_EQ(r.results[0].name, L"CreateFileA");
  EXPECT_EQ(r.results[1].name, L"CreateFileW");
  EXPECT_EQ(r.results[1].module, L"KERNEL32.dll");
  EXPECT_EQ(r.results[1].properties.computed & 0x7u, 0x7u);  // complete properties
  EXPECT_EQ(r.files, 3u);
  EXPECT_EQ(r.warnings, 1u);
  EXPECT_EQ(r.errors, 0u);
  ASSERT_EQ(r.status.size(), 1u);
  EXPECT_EQ(r.status[0].rfind(L"Warning: Searching file: \"", 0), 0u);
  EXPECT_NE(r.status[0].find(L"c.dll\". (198:193) "), std::wstring::npos);

  // The same file with a 'File Name' that does not match every file: an error.
  SearchRun r2 = h.Go(h.Params(dir.path(), L"CreateFile", L"*.dll"));
  EXPECT_EQ(r2.errors, 1u);
  EXPECT_EQ(r2.warnings, 0u);
  ASSERT_EQ(r2.status.size(), 1u);
  EXPECT_EQ(r2.status[0].rfind(L"ERROR: Searching file: \"", 0), 0u);
}

TEST(SearchWorker, LiteralNamesIgnoreCaseAndMissingOnesAreReported) {
  test::TempDir dir;
  dir.Write("KERNEL32.DLL", Dll({"CreateFileW"}));
  SearchHarness h;
  SearchRun r = h.Go(h.Params(dir.path(), L"CreateFileW", L"kernel32.dll"));
  ASSERT_EQ(r.results.size(), 1u);
  EXPECT_EQ(r.files, 1u);

  SearchRun missing = h.Go(h.Params(dir.path(), L"x", L"nothere.dll"));
  EXPECT_EQ(missing.ended, 1);
  EXPECT_EQ(missing.errors, 1u);
  ASSERT_EQ(missing.status.size(), 1u);
  EXPECT_EQ(missing.status[0].rfind(L"ERROR: Folder search failed: (2) ", 0), 0u);
}

TEST(SearchWorker, UnlistableSubfolderIsOneErrorAndTheSearchGoesOn) {
  test::TempDir dir;
  dir.Write("a.dll", Dll({"CreateFileW"}));
  // A folder whose path is longer than the system allows cannot be listed,
  // even by root.
  std::string rel;
  int fd = open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < 20; ++i) {
    std::string name(240, char('a' + i));
    ASSERT_EQ(mkdirat(fd, name.c_str(), 0755), 0);
    int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = next;
  }
  close(fd);
  SearchHarness h;
  auto p = h.Params(dir.path(), L"CreateFile");
  p.includeSubfolders = true;
  SearchRun r = h.Go(p);
  EXPECT_EQ(r.ended, 1);
  EXPECT_EQ(r.results.size(), 1u);
  ASSERT_EQ(r.status.size(), 1u);
  EXPECT_EQ(r.status[0].rfind(L"ERROR: Folder search failed: (206) ", 0), 0u);
  EXPECT_EQ(r.errors, 1u);
}

TEST(SearchWorker, FolderLinksAreWalkedOncePerRealFolder) {
  test::LinkTree tree(Dll({"CreateFileW"}));
  const std::wstring root = FromUtf8(tree.root().string());
  SearchHarness h;
  auto p = h.Params(tree.root(), L"CreateFileW");
  p.includeSubfolders = true;
  SearchRun r = h.Go(p);
  EXPECT_EQ(r.ended, 1);
  std::vector<std::string> files;
  for (const auto& x : r.results) files.push_back(ToUtf8(x.file.substr(root.size() + 1)));
  EXPECT_EQ(files, test::LinkTree::WalkedFiles());
  EXPECT_EQ(r.files, files.size());
  EXPECT_EQ(r.errors, 0u);
  EXPECT_EQ(r.warnings, test::LinkTree::kWarnings);
  const std::wstring unresolvable = ErrorText(1921);
  EXPECT_EQ(r.status,
            (std::vector<std::wstring>{
                L"Warning: Folder link not followed: \"" + root + L"/again\" is the same folder as \"" +
                    root + L"/sub/\".",
                L"Warning: Link not followed: \"" + root + L"/dangling\". " + ErrorText(2),
                L"Warning: Link not followed: \"" + root + L"/deep\". " + unresolvable,
                L"Warning: Link not followed: \"" + root + L"/me\". " + unresolvable,
                L"Warning: Folder link not followed: \"" + root + L"/self\" loops back to \"" + root + L"/\".",
                L"Warning: Folder link not followed: \"" + root + L"/sub/up\" loops back to \"" + root +
                    L"/\"."}));
  {
    // The size scan walks alike: the bytes it adds up are those of the files read.
    std::lock_guard<std::mutex> lock(h.stats.sizeLock);
    EXPECT_TRUE(h.stats.sizeKnown);
    EXPECT_EQ(h.stats.totalSize, files.size() * Dll({"CreateFileW"}).size());
  }

  // Without subfolders no link to a folder is followed or reported; a link
  // that leads nowhere is reported only where its name would be read.
  p.includeSubfolders = false;
  SearchRun flat = h.Go(p);
  ASSERT_EQ(flat.results.size(), 2u);
  EXPECT_EQ(flat.results[0].file, root + L"/.dll");
  EXPECT_EQ(flat.warnings, 3u);  // dangling, deep, me: the empty 'File Name' reads every name
  p.fileName.text = L"*.dll";
  SearchRun dlls = h.Go(p);
  EXPECT_EQ(dlls.results.size(), 2u);
  EXPECT_TRUE(dlls.status.empty());
}

// A folder the user may not read, seen by a user other than root (a child
// process that gives up root first when the tests run as root).
TEST(SearchWorker, FolderTheUserMayNotReadIsOneErrorAndTheSearchGoesOn) {
  test::TempDir dir;
  dir.Write("open/a.dll", Dll({"CreateFileW"}));
  dir.Write("shut/b.dll", Dll({"CreateFileW"}));
  chmod(dir.path().c_str(), 0755);
  chmod((dir.path() / "open").c_str(), 0755);
  const std::string shut = (dir.path() / "shut").string();
  chmod(shut.c_str(), geteuid() == 0 ? 0700 : 0);  // root's own folder shuts out everyone else
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(fds[0]);
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(77);
    SearchHarness h;
    auto p = h.Params(dir.path(), L"CreateFileW");
    p.includeSubfolders = true;
    SearchRun r = h.Go(p);
    std::string out = std::to_string(r.results.size()) + " " + std::to_string(r.errors) + " " +
                      std::to_string(r.warnings) + "\n";
    for (const auto& line : r.status) out += ToUtf8(line) + "\n";
    if (write(fds[1], out.data(), out.size()) != static_cast<ssize_t>(out.size())) _exit(1);
    _exit(0);
  }
  close(fds[1]);
  std::string out;
  char buffer[4096];
  for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  chmod(shut.c_str(), 0700);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot run as another user here";
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(out, "1 1 0\nERROR: Folder search failed: (5) " + ToUtf8(ErrorDescription(5)) +
                     " Folder=\"" + shut + "/\"\n");
}

TEST(SearchWorker, FullQueueLosesAndDuplicatesNothing) {
  test::TempDir dir;
  std::vector<std::string> names;
  for (int i = 0; i < 300; ++i) names.push_back("Func" + std::to_string(1000 + i));
  dir.Write("m.dll", Dll(names));
  SearchHarness h(4, 0);  // a tiny queue drained slowly
  int n = 0;
  SearchRun r = h.Go(h.Params(dir.path(), L"Func"), [&](const PostedMessage&) {
    if (++n % 16 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  });
  ASSERT_EQ(r.results.size(), 300u);
  for (int i = 0; i < 300; ++i) EXPECT_EQ(r.results[i].name, L"Func" + std::to_wstring(1000 + i));
}

TEST(SearchWorker, StatusLinesTravelInBatchesLikeResults) {
  // 3,000 files that are not images: one warning line each. Sent one line
  // per post, 5 ms apart, they would take 15 s.
  test::TempDir dir;
  for (int i = 0; i < 3000; ++i) dir.Write(std::string("f") + std::to_string(i).append(".dll"), "");
  SearchHarness h(1024, 5);
  size_t statusPosts = 0;
  SearchRun run = h.Go(h.Params(dir.path(), L"x"), [&](const PostedMessage& m) {
    if (m.id == kMsgStatusLines) ++statusPosts;
  });
  EXPECT_EQ(run.ended, 1);
  EXPECT_EQ(run.status.size(), 3000u);
  EXPECT_EQ(run.errors + run.warnings, 3000u);
  EXPECT_LT(statusPosts, 1000u);
}

TEST(SearchWorker, StopWhilePausedEndsAborted) {
  test::TempDir dir;
  // Enough files that the search cannot finish while the pause is set.
  for (int i = 0; i < 400; ++i) dir.Write(std::string("m") + std::to_string(i).append(".dll"), Dll({"CreateFileW"}));
  SearchHarness h;
  bool paused = false;
  SearchRun r = h.Go(h.Params(dir.path(), L"CreateFile"), [&](const PostedMessage& m) {
    if (m.id == kMsgResults && !paused) {
      paused = true;
      h.stop = kStopPause;
      std::thread([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        h.stop = kStopStop;
      }).detach();
    }
  });
  EXPECT_EQ(r.ended, 0);
  EXPECT_LT(r.results.size(), 400u);
}

TEST(SearchWorker, StartRefusals) {
  SearchHarness h;
  SymbolSearch search;
  SearchParams p;
  EXPECT_FALSE(search.Start(p, {}));
  EXPECT_EQ(GetLastError(), 87u);
}

TEST(RunStopwatch, PausedTimeDoesNotCount) {
  RunStopwatch clock;
  clock.Start();
  clock.Pause();
  std::this_thread::sleep_for(std::chrono::milliseconds(120));
  clock.Resume();
  EXPECT_LT(clock.ElapsedMs(), 100);
}

TEST(SearchSummary, Lines) {
  auto l = SearchSummaryLines(true, 61001, 3, 1, 2, 4);
  EXPECT_EQ(l[0], L"Search Finished in 1m:1s:001ms:");
  EXPECT_EQ(l[1], L"File(s) Searched=3, Error(s)=1, Warning(s)=2.");
  EXPECT_EQ(l[2], L"Result(s) Found=4.");
  EXPECT_EQ(SearchSummaryLines(false, 0, 0, 0, 0, 0)[0], L"Search was ABORTED:");
}

}  // namespace
}  // namespace tarnix
