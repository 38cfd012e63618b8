#include "errcode/error_code_search.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "errcode/extension_filter.h"
#include "errcode/module_lookup.h"
#include "core/error_text.h"
#include "errcode_fixture.h"
#include "support/link_tree.h"
#include "support/settled.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

using namespace tarnix::test;
using Strings = std::vector<std::string>;

class ErrorCodeSearchTest : public ::testing::Test {
 protected:
  ErrorCodeSearchTest()
      : system_({{5, u"Access is denied.\r\n"}, {6, u"The handle is invalid.\r\n"}}) {
    dir_.Write("own.dll", ModuleWith({{5, u"Own text for five.%n"}, {1234, u"Only mine."}}));
    dir_.Write("plain.dll", PlainModule());
    dir_.Write("garbage.dll", "not an image, just text that happens to be named .dll");
    dir_.Write("own.txt", ModuleWith({{5, u"Filtered out."}}));
  }

  SystemTable system_;
  TempDir dir_{"ecs"};
};

TEST_F(ErrorCodeSearchTest, ModuleTableFirstThenTheSystemsForEveryModule) {
  SearchHarness h;
  // Only in the module.
  SearchRecord mine = h.Go(h.Request(1234, {Folder(dir_.path())}));
  EXPECT_EQ(mine.finished, 1);
  ASSERT_EQ(Names(mine), Strings({"own.dll"}));
  EXPECT_EQ(mine.results[0].message, L"Only mine.");
  EXPECT_EQ(mine.results[0].code, 1234u);
  EXPECT_TRUE(mine.status.empty());  // "no such message" and non-modules are silent

  // Only in the system: one result per module examined, the non-image
  // skipped without a word.
  SearchRecord system = h.Go(h.Request(6, {Folder(dir_.path())}));
  ASSERT_EQ(Names(system), Strings({"own.dll", "plain.dll"}));
  for (const auto& r : system.results) EXPECT_EQ(r.message, L"The handle is invalid.\r\n");
  EXPECT_TRUE(system.status.empty());
  EXPECT_EQ(h.search.matchCount(), 2u);
  EXPECT_EQ(h.search.filesExamined(), 3u);  // own.txt never opened

  // In both: the module's own text wins where it has one.
  SearchRecord both = h.Go(h.Request(5, {Folder(dir_.path())}));
  ASSERT_EQ(Names(both), Strings({"own.dll", "plain.dll"}));
  EXPECT_EQ(both.results[0].message, L"Own text for five.\r\n");
  EXPECT_EQ(both.results[1].message, L"Access is denied.\r\n");

  // Known to nobody: nothing at all.
  SearchRecord none = h.Go(h.Request(7777777, {Folder(dir_.path())}));
  EXPECT_EQ(none.finished, 1);
  EXPECT_TRUE(none.results.empty());
  EXPECT_TRUE(none.status.empty());
}

TEST_F(ErrorCodeSearchTest, FailedLookupsOtherThanMissingMessagesAreReported) {
  for (uint32_t silent : {317u, 1812u, 1813u, 1814u, 15100u, 15105u})
    EXPECT_TRUE(IsSilentLookupError(silent)) << silent;
  for (uint32_t loud : {0u, 2u, 5u, 487u, 1815u, 15101u}) EXPECT_FALSE(IsSilentLookupError(loud)) << loud;

  // A table entry that formats to nothing: an empty answer is reported as
  // ERROR_INVALID_ADDRESS, and the search goes on.
  dir_.Write("empty.dll", ModuleWith({{42, u""}}));
  SearchHarness h;
  SearchRecord r = h.Go(h.Request(42, {Folder(dir_.path())}));
  EXPECT_EQ(r.finished, 1);
  EXPECT_TRUE(r.results.empty());
  ASSERT_EQ(r.status.size(), 1u);
  const std::wstring expected = std::wstring(L"ERROR: Failed to retrieve error message from \"") +
                                Wide(dir_.path()) + L"/empty.dll\". (487) ";
  EXPECT_EQ(r.status[0].substr(0, expected.size()), expected);
}

TEST(ExtensionFilter, LowerCasedExactExtensions) {
  ExtensionFilter dll({L".dll"});
  EXPECT_TRUE(dll.Passes(L"A.DLL"));
  EXPECT_TRUE(dll.Passes(L"x.y.dll"));
  for (const wchar_t* name : {L"a.dl", L"a.dllx", L"dll", L"a", L"a.dll.bak"})
    EXPECT_FALSE(dll.Passes(name)) << name;
  EXPECT_TRUE(ExtensionFilter({L".DLL"}).Passes(L"a.dll"));  // entries are lower-cased
  EXPECT_TRUE(ExtensionFilter({}).Passes(L"anything"));      // no filter: every file
  // An entry of 259 characters or more is ignored; a list of only those
  // lets nothing through rather than everything.
  const std::wstring huge = std::wstring(L".") + std::wstring(258, L'x');
  EXPECT_FALSE(ExtensionFilter({huge}).Passes(std::wstring(L"a") + huge));
  EXPECT_TRUE(ExtensionFilter({huge, L".exe"}).Passes(L"a.EXE"));
}

TEST(ErrorCodeWalk, FilesBeforeSubfoldersFileLocationsAsTheyStand) {
  SystemTable system({{5, u"Access is denied."}});
  TempDir dir("walk");
  const std::string m = PlainModule();
  dir.Write("b.dll", m);
  dir.Write("sub/a.dll", m);
  dir.Write("sub/deeper/z.dll", m);
  dir.Write("sub/y.dll", m);
  dir.Write("c.DLL", m);
  dir.Write("sub2/x.dll", m);
  dir.Write("other/inside.dll", m);
  ASSERT_EQ(symlink((dir.path() / "other").c_str(), (dir.path() / "link.dll").c_str()), 0);
  ASSERT_EQ(symlink((dir.path() / "other").c_str(), (dir.path() / "linkdir").c_str()), 0);
  dir.Write("elsewhere/single.dat", m);

  SearchHarness h;
  SearchRecord flat = h.Go(h.Request(5, {Folder(dir.path())}));
  EXPECT_EQ(Names(flat), Strings({"b.dll", "c.DLL"}));
  EXPECT_EQ(h.search.filesExamined(), 2u);  // link.dll leads to a folder
  EXPECT_TRUE(flat.status.empty());

  // The links to "other" give way to the folder itself.
  SearchRecord deep = h.Go(h.Request(5, {Folder(dir.path(), true)}));
  EXPECT_EQ(Names(deep), Strings({"b.dll", "c.DLL", "inside.dll", "a.dll", "y.dll", "z.dll", "x.dll"}));
  const std::wstring root = Wide(dir.path());
  EXPECT_EQ(deep.status, (std::vector<std::wstring>{
                             L"Warning: Folder link not followed: \"" + root +
                                 L"/link.dll\" is the same folder as \"" + root + L"/other/\".",
                             L"Warning: Folder link not followed: \"" + root +
                                 L"/linkdir\" is the same folder as \"" + root + L"/other/\"."}));
  uint64_t total = 0;
  EXPECT_TRUE(h.search.TotalFiles(total));
  EXPECT_EQ(total, 7u);  // both threads walk alike
  EXPECT_EQ(deep.counted, 1);

  // A file location is examined whatever its extension; one that does not
  // exist gives nothing; the locations keep their order.
  SearchRecord files = h.Go(h.Request(
      5, {File(dir.path() / "elsewhere/single.dat"), File(dir.path() / "absent.dll"),
          Folder(dir.path() / "sub2")}));
  EXPECT_EQ(Names(files), Strings({"single.dat", "x.dll"}));
  EXPECT_TRUE(files.status.empty());

  // A folder that can't be listed is one status line; the walk goes on.
  SearchRecord missing = h.Go(h.Request(5, {Folder(dir.path() / "nothere"), Folder(dir.path() / "sub2")}));
  EXPECT_EQ(missing.finished, 1);
  EXPECT_EQ(Names(missing), Strings({"x.dll"}));
  ASSERT_EQ(missing.status.size(), 1u);
  EXPECT_EQ(missing.status[0].rfind(L"ERROR: Folder search failed: (3) ", 0), 0u);
}

TEST(ErrorCodeWalk, FolderLinksAreWalkedOncePerRealFolder) {
  SystemTable system({{5, u"Access is denied."}});
  LinkTree tree(PlainModule());
  const std::wstring root = Wide(tree.root());
  SearchHarness h;
  SearchRecord r = h.Go(h.Request(5, {Folder(tree.root(), true)}));
  EXPECT_EQ(r.finished, 1);
  std::vector<std::string> files;
  for (const auto& x : r.results) files.push_back(ToUtf8(x.path.substr(root.size() + 1)));
  EXPECT_EQ(files, LinkTree::WalkedFiles());
  EXPECT_EQ(h.search.filesExamined(), files.size());
  ASSERT_EQ(r.status.size(), LinkTree::kWarnings);
  EXPECT_EQ(r.status[1], L"Warning: Link not followed: \"" + root + L"/dangling\". " + ErrorText(2));
  EXPECT_EQ(r.status[4], L"Warning: Folder link not followed: \"" + root + L"/self\" loops back to \"" +
                             root + L"/\".");
  uint64_t total = 0;
  EXPECT_TRUE(h.search.TotalFiles(total));
  EXPECT_EQ(total, files.size());

  // Without subfolders: the two files, and no word about links whose names
  // the extension filter skips.
  SearchRecord flat = h.Go(h.Request(5, {Folder(tree.root())}));
  EXPECT_EQ(Names(flat), Strings({".dll", "a.dll"}));
  EXPECT_TRUE(flat.status.empty());
}

// A window whose queue can be made to refuse every post as full.
class GatedTarget final : public MessageTarget {
 public:
  bool Post(PostedMessage& msg) override {
    std::lock_guard<std::mutex> lock(lock_);
    if (full_ && msg.id != kEcsMsgSearchFinished && msg.id != kEcsMsgCountingFinished) {
      if (msg.id == kEcsMsgResult) ++refusedResults;
      SetLastError(ERROR_NOT_ENOUGH_QUOTA);
      return false;
    }
    if (msg.id == kEcsMsgResult) {
      results += static_cast<int>(msg.As<std::vector<ErrorCodeSearchResult>>()->size());
      if (results >= fullAfter) full_ = true;
    }
    if (msg.id == kEcsMsgSearchFinished) finished = static_cast<int>(msg.wParam);
    msg = PostedMessage{};
    return true;
  }
  uint32_t minPostIntervalMs() const override { return 5; }

  std::atomic<int> refusedResults{0};
  std::atomic<int> finished{-1};
  int results = 0;  // guarded by lock_
  int fullAfter = 2;
  int Results() {
    std::lock_guard<std::mutex> lock(lock_);
    return results;
  }

 private:
  std::mutex lock_;
  bool full_ = false;
};

TEST(ErrorCodeSearchStop, StopDuringQueueFullRetryDropsThePendingResult) {
  SystemTable system({{5, u"Access is denied."}});
  TempDir dir("full");
  // Enough modules for the results to go in several batches.
  for (int i = 0; i < 300; ++i) {
    std::string name = "m";
    name += std::to_string(i);
    name += ".dll";
    dir.Write(name, PlainModule());
  }
  GatedTarget window;
  StopFlag stop{kStopRun};
  ErrorCodeSearchRequest r;
  r.stop = &stop;
  r.window = &window;
  r.code = 5;
  r.locations = {Folder(dir.path())};
  ErrorCodeSearch search;
  ASSERT_TRUE(search.Start(r));
  // Wait until the results after the first batch are being refused.
  for (int i = 0; i < 1000 && window.refusedResults < 2; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_GE(window.refusedResults.load(), 2);
  stop = kStopStop;
  ASSERT_TRUE(search.Wait(std::chrono::milliseconds(5000)));
  EXPECT_EQ(window.finished.load(), 0);  // aborted
  // What was held when the queue filled never arrived.
  const int delivered = window.Results();
  EXPECT_GE(delivered, 2);
  EXPECT_LT(delivered, 300);
}

TEST(ErrorCodeSearchStop, NothingIsExaminedWhilePaused) {
  SystemTable system({{5, u"Access is denied."}});
  TempDir dir("pause");
  for (int i = 0; i < 40; ++i) dir.Write(std::string("m") + std::to_string(100 + i) + ".dll", PlainModule());
  SearchHarness h;
  bool paused = false;
  uint64_t examinedWhenPaused = 0, examinedAfterPause = 0;
  SearchRecord rec = h.Go(h.Request(5, {Folder(dir.path())}), [&](const PostedMessage& m) {
    if (m.id != kEcsMsgResult || paused) return;
    paused = true;
    h.stop.store(kStopPause);
    // The files in hand are finished first.
    examinedWhenPaused = tarnix::test::SettledValue([&] { return h.search.filesExamined(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    examinedAfterPause = h.search.filesExamined();
    h.stop.store(kStopRun);
  });
  EXPECT_EQ(rec.finished, 1);
  EXPECT_EQ(rec.results.size(), 40u);
  EXPECT_EQ(examinedAfterPause, examinedWhenPaused);
}

// Lookups on several threads post the same messages in the same order as
// lookups on one: results, status lines between them, the end.
TEST(ErrorCodeSearchReaders, OneReaderOrManyPostTheSameMessages) {
  SystemTable system({{5, u"Access is denied.\r\n"}});
  TempDir dir("readers");
  const char* folders[] = {"", "a/", "a/b/", "c/"};
  for (int i = 0; i < 60; ++i) {
    std::string name = folders[i % 4];
    name.append("m").append(std::to_string(100 + i));
    if (i % 5 == 0) {
      dir.Write(name + ".dll", ModuleWith({{5, u"Own five."}}));
    } else if (i % 7 == 0) {
      dir.Write(name + ".dll", ModuleWith({{5, u""}}));  // an empty text: a status line
    } else if (i % 3 == 0) {
      dir.Write(name + ".dll", "not a module");
    } else {
      dir.Write(name + (i % 2 ? ".dll" : ".exe"), PlainModule());
    }
  }
  ASSERT_EQ(symlink((dir.path() / "nowhere").c_str(), (dir.path() / "a/gone.dll").c_str()), 0);
  ASSERT_EQ(symlink((dir.path() / "a").c_str(), (dir.path() / "a/b/up").c_str()), 0);
  const std::vector<SearchLocation> where = {Folder(dir.path(), true), File(dir.path() / "c/m103.dll"),
                                             Folder(dir.path() / "missing")};
  auto transcript = [&](uint32_t readers) {
    SearchHarness h;
    ErrorCodeSearchRequest r = h.Request(5, where, {L".dll", L".exe"});
    r.readers = readers;
    std::wstring text;
    h.Go(r, [&](const PostedMessage& m) {
      if (m.id == kEcsMsgResult)
        for (const auto& x : *m.As<std::vector<ErrorCodeSearchResult>>()) text += x.path + L": " + x.message;
      if (m.id == kEcsMsgStatusLine) text += L"status: " + *m.As<std::wstring>() + L"\n";
      if (m.id == kEcsMsgSearchFinished) text += L"finished " + std::to_wstring(m.wParam);
    });
    return text + L" examined " + std::to_wstring(h.search.filesExamined());
  };
  const std::wstring one = transcript(1);
  EXPECT_NE(one.find(L"finished 1 examined 61"), std::wstring::npos) << ToUtf8(one);
  for (uint32_t readers : {4u, 2u, 4u, 8u, 4u}) EXPECT_EQ(transcript(readers), one) << readers << " readers";
}

TEST(ErrorCodeSearchStart, Refusals) {
  ErrorCodeSearch search;
  StopFlag stop{kStopRun};
  QueueMessageTarget window(16, 0);
  ErrorCodeSearchRequest r;
  r.window = &window;
  r.locations = {{kLocationFolder, L"/"}};
  EXPECT_FALSE(search.Start(r));  // no stop state
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  r.stop = &stop;
  r.window = nullptr;
  EXPECT_FALSE(search.Start(r));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  r.window = &window;
  r.locations.clear();
  EXPECT_FALSE(search.Start(r));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  // A second start while the first search runs: it is held up retrying a
  // result against a queue that nobody drains.
  TempDir dir("busy");
  for (const char* name : {"a.dll", "b.dll", "c.dll"}) dir.Write(name, ModuleWith({{5, u"Mine."}}));
  QueueMessageTarget stuck(1, 0);
  r.window = &stuck;
  r.code = 5;
  r.locations = {Folder(dir.path())};
  ASSERT_TRUE(search.Start(r));
  EXPECT_FALSE(search.Start(r));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_ASSIGNED);
  stop.store(kStopStop);
  bool ended = false;
  for (int i = 0; i < 500 && !ended; ++i) {
    PostedMessage m;
    stuck.Take(m, std::chrono::milliseconds(10));
    ended = search.Wait(std::chrono::milliseconds(0));
  }
  EXPECT_TRUE(ended);

  const std::wstring d = DescribeErrorCodeSearchRequest(r);
  EXPECT_NE(d.find(L"srchErrCode=5 (type:1), paths[1]={path=\""), std::wstring::npos);
  EXPECT_NE(d.find(L"flags=0x1, order=0}, fileExts[0]={}"), std::wstring::npos);
}

}  // namespace
}  // namespace tarnix
