// Searches that read images on several threads deliver exactly what a
// search on one thread delivers: the same results, status lines and counts
// in the same order, whatever the timing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>
#include <tuple>
#include <utility>

#include "core/wformat.h"
#include "support/mixed_tree.h"
#include "support/pe_builder.h"
#include "support/settled.h"
#include "support/temp_dir.h"
#include "symbolsearch/search_harness.h"
#include "symbolsearch/search_variants.h"

namespace tarnix {
namespace {

using std::chrono::milliseconds;

TEST(ParallelSearch, OneReaderOrManyGiveTheSameOutput) {
  test::TempDir dir("mixed");
  test::WriteMixedImageTree(dir.path());
  const std::vector<SearchVariant> variants = SearchVariants();
  for (const SearchVariant& v : variants) {
    SearchHarness h;
    SearchParams p = h.Params(dir.path(), L"");
    p.includeSubfolders = true;
    SearchStartSettings settings;
    v.set(p, settings);
    settings.readers = 1;
    const std::wstring one = Transcript(h.Go(p, nullptr, settings));
    ASSERT_NE(one.find(L"ended=1"), std::wstring::npos) << v.what << "\n" << ToUtf8(one);
    // Enough runs with several readers to meet the races a wrong order would show.
    for (uint32_t readers : {4u, 2u, 4u, 8u, 4u, 3u}) {
      settings.readers = readers;
      EXPECT_EQ(Transcript(h.Go(p, nullptr, settings)), one) << v.what << ", " << readers << " readers";
    }
    // A tiny queue that a slow window drains: what waits is neither lost nor doubled.
    SearchHarness slow(4, 0);
    SearchParams q = p;
    q.stopFlag = &slow.stop;
    q.statistics = &slow.stats;
    q.window = slow.window();
    int n = 0;
    EXPECT_EQ(Transcript(slow.Go(q,
                                 [&](const PostedMessage&) {
                                   if (++n % 8 == 0) std::this_thread::sleep_for(milliseconds(1));
                                 },
                                 settings)),
              one)
        << v.what << ", slow window";
  }
}

TEST(ParallelSearch, PauseHoldsEverythingAndResumeLosesNothing) {
  test::TempDir dir("pause");
  test::WriteMixedImageTree(dir.path());
  SearchStartSettings settings;
  settings.readers = 1;
  SearchHarness h;
  SearchParams p = h.Params(dir.path(), L"");
  p.includeSubfolders = true;
  const std::wstring one = Transcript(h.Go(p, nullptr, settings));
  auto files = [&] {
    std::lock_guard<std::mutex> lock(h.stats.countersLock);
    return h.stats.filesSearched;
  };
  settings.readers = 4;
  bool paused = false;
  uint64_t filesAtPause = 0, filesLater = 0;
  size_t queuedAtPause = 0, queuedLater = 0;
  const SearchRun r = h.Go(p, [&](const PostedMessage& m) {
    if (m.id != kMsgResults || paused) return;
    paused = true;
    h.stop = kStopPause;
    // The files in hand are finished first.
    std::tie(filesAtPause, queuedAtPause) =
        test::SettledValue([&] { return std::make_pair(files(), h.window()->size()); });
    std::this_thread::sleep_for(milliseconds(300));
    filesLater = files();
    queuedLater = h.window()->size();
    h.stop = kStopRun;
  }, settings);
  // Nothing was counted or posted while paused, and nothing was lost.
  EXPECT_EQ(filesLater, filesAtPause);
  EXPECT_EQ(queuedLater, queuedAtPause);
  EXPECT_EQ(Transcript(r), one);
}

// Images whose reading waits in the undecorator until the test lets it go.
struct HeldUndecorator {
  std::atomic<int> inside{0}, calls{0}, callsAfterEnd{0};
  std::atomic<bool> release{false}, ended{false};

  UndecorateFn Fn() {
    return [this](std::string_view, uint32_t) -> std::optional<std::string> {
      if (ended) ++callsAfterEnd;
      ++calls;
      ++inside;
      while (!release) std::this_thread::sleep_for(milliseconds(1));
      --inside;
      return std::nullopt;
    };
  }
};

std::string CppDll(int i) {
  const std::string n = std::to_string(i);
  test::ExportTable exports{"d.dll", 1, {}};
  exports.symbols.push_back({1, "Plain" + n, ""});
  exports.symbols.push_back({2, "?Held" + n + "@@YAXXZ", ""});
  exports.symbols.push_back({3, "After" + n, ""});
  return test::PeBuilder().Exports(exports).Build().bytes;
}

TEST(ParallelSearch, ProgressOnlyGrowsAndStaysWithinTheTotal) {
  test::TempDir dir("progress");
  for (int i = 0; i < 100; ++i) dir.Write(std::string("d").append(std::to_string(100 + i)).append(".dll"), CppDll(100 + i));
  for (bool sizeScan : {true, false}) {
    SearchHarness h;
    // Each image takes a while: the progress is posted several times.
    h.undecorate = [](std::string_view, uint32_t) -> std::optional<std::string> {
      std::this_thread::sleep_for(milliseconds(8));
      return std::nullopt;
    };
    SearchStartSettings settings;
    settings.readers = 4;
    settings.sizeScan = sizeScan;
    std::vector<uint64_t> progress;
    const SearchRun r = h.Go(h.Params(dir.path(), L""), [&](const PostedMessage& m) {
      if (m.id == kMsgProgress) progress.push_back(m.wParam | (m.lParam << 32));
    }, settings);
    EXPECT_EQ(r.ended, 1);
    EXPECT_EQ(r.results.size(), 300u);
    EXPECT_EQ(r.sizeScanEnded, sizeScan ? 1 : 0);
    ASSERT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    uint64_t total = 0;
    for (const auto& f : std::filesystem::directory_iterator(dir.path())) total += f.file_size();
    EXPECT_LE(progress.back(), total);
    std::lock_guard<std::mutex> lock(h.stats.sizeLock);
    EXPECT_EQ(h.stats.sizeKnown ? h.stats.totalSize : 0, sizeScan ? total : 0);
  }
}

TEST(ParallelSearch, StopWhileEveryReaderWaitsEndsAfterTheyAllEnd) {
  test::TempDir dir("held");
  for (int i = 0; i < 40; ++i) dir.Write(std::string("d").append(std::to_string(100 + i)).append(".dll"), CppDll(100 + i));
  SearchHarness full;
  full.undecorate = [](std::string_view, uint32_t) -> std::optional<std::string> { return std::nullopt; };
  SearchStartSettings settings;
  settings.readers = 1;
  const SearchRun complete = full.Go(full.Params(dir.path(), L""), nullptr, settings);
  ASSERT_EQ(complete.results.size(), 120u);

  for (uint32_t readers : {1u, 4u}) {
    HeldUndecorator held;
    SearchHarness h;
    h.undecorate = held.Fn();
    std::thread stopper([&] {
      while (held.inside < static_cast<int>(readers)) std::this_thread::sleep_for(milliseconds(1));
      h.stop = kStopStop;
      std::this_thread::sleep_for(milliseconds(50));
      held.release = true;
    });
    settings.readers = readers;
    SearchRun r = h.Go(h.Params(dir.path(), L""), [&](const PostedMessage& m) {
      if (m.id != kMsgSearchEnded) return;
      // No reader is left behind after the search-ended message.
      EXPECT_EQ(held.inside.load(), 0);
      held.ended = true;
    }, settings);
    stopper.join();
    EXPECT_EQ(r.ended, 0);
    EXPECT_EQ(held.callsAfterEnd.load(), 0);
    EXPECT_GE(held.calls.load(), static_cast<int>(readers));
    // What was delivered is where the complete search begins: nothing lost,
    // doubled or out of order.
    ASSERT_LE(r.results.size(), complete.results.size());
    for (size_t i = 0; i < r.results.size(); ++i) {
      EXPECT_EQ(r.results[i].file, complete.results[i].file) << i;
      EXPECT_EQ(r.results[i].name, complete.results[i].name) << i;
    }
    EXPECT_LE(r.files, 40u);
  }
}

TEST(ParallelSearch, FolderRemovedMidWalkLosesNothingElse) {
  // Folder b goes while a reader is inside the first image of folder a:
  // the walk may have listed it already (its files then fail to open) or
  // not; what the other folders give is all there, once, in walk order.
  test::TempDir dir("vanish");
  auto writeFolder = [&](const char* folder, int first) {
    for (int i = first; i < first + 5; ++i)
      dir.Write(std::string(folder).append("/d").append(std::to_string(i)).append(".dll"), CppDll(i));
  };
  writeFolder("a", 100);
  writeFolder("b", 200);
  writeFolder("c", 300);
  SearchStartSettings settings;
  settings.readers = 1;
  SearchHarness full;
  full.undecorate = [](std::string_view, uint32_t) -> std::optional<std::string> { return std::nullopt; };
  SearchParams p = full.Params(dir.path(), L"");
  p.includeSubfolders = true;
  const SearchRun complete = full.Go(p, nullptr, settings);
  ASSERT_EQ(complete.results.size(), 45u);

  for (uint32_t readers : {1u, 4u, 4u}) {
    writeFolder("b", 200);
    std::atomic<bool> removed{false};
    SearchHarness h;
    h.undecorate = [&](std::string_view name, uint32_t) -> std::optional<std::string> {
      if (name.rfind("?Held100", 0) == 0 && !removed.exchange(true)) std::filesystem::remove_all(dir.path() / "b");
      return std::nullopt;
    };
    SearchParams q = h.Params(dir.path(), L"");
    q.includeSubfolders = true;
    settings.readers = readers;
    const SearchRun r = h.Go(q, nullptr, settings);
    EXPECT_TRUE(removed);
    EXPECT_EQ(r.ended, 1) << readers;
    for (const std::wstring& line : r.status) EXPECT_NE(line.find(L"/b/"), std::wstring::npos) << ToUtf8(line);
    // What came is the complete search less some of b's images, each whole.
    size_t at = 0, fromB = 0;
    for (const SymbolResult& x : r.results) {
      while (at < complete.results.size() &&
             !(complete.results[at].file == x.file && complete.results[at].name == x.name)) {
        EXPECT_NE(complete.results[at].file.find(L"/b/"), std::wstring::npos)
            << "lost: " << ToUtf8(complete.results[at].file) << " " << ToUtf8(complete.results[at].name);
        ++at;
      }
      ASSERT_LT(at, complete.results.size()) << "doubled or out of order: " << ToUtf8(x.file) << " " << ToUtf8(x.name);
      if (x.file.find(L"/b/") != std::wstring::npos) ++fromB;
      ++at;
    }
    for (; at < complete.results.size(); ++at) EXPECT_NE(complete.results[at].file.find(L"/b/"), std::wstring::npos);
    EXPECT_EQ(fromB % 3, 0u) << readers;
    // One reader was inside a's first image when b went, so b was not all
    // read; several readers may have opened every image of b by then, and an
    // open image stays readable.
    if (readers == 1) {
      EXPECT_LT(fromB, 15u);
    }
  }
}

// An image whose first export name is a C++ name, "?Cut<i>@@YAXXZ", and
// whose 3,000 other names lie far past its first page.
std::string LongNamesDll(int i) {
  const std::string n = std::to_string(i), padding(40, 'x');
  test::ExportTable exports{"t.dll", 1, {{1, "?Cut" + n + "@@YAXXZ", ""}}};
  for (uint32_t k = 0; k < 3000; ++k) exports.symbols.push_back({k + 2, "Name" + padding + std::to_string(k), ""});
  return test::PeBuilder().Exports(exports).Build().bytes;
}

TEST(ParallelSearch, FilesCutWhileReadOnEveryReaderAreErrors) {
  // Each image's file is cut short while a reader is inside its export
  // names: the pages past the new end fault on whatever thread reads them.
  test::TempDir dir("cut");
  const std::string folder = dir.path().string();
  auto cutting = [folder](std::string_view name, uint32_t) -> std::optional<std::string> {
    if (name.rfind("?Cut", 0) == 0) {
      const std::string file = folder + "/t" + std::string(name.substr(4, 2)) + ".dll";
      EXPECT_EQ(truncate(file.c_str(), 4096), 0) << file;
    }
    return std::nullopt;
  };
  std::wstring one;
  for (uint32_t readers : {1u, 4u}) {
    for (int i = 10; i < 22; ++i) dir.Write(std::string("t").append(std::to_string(i)).append(".dll"), LongNamesDll(i));
    SearchHarness h;
    h.undecorate = cutting;
    SearchStartSettings settings;
    settings.readers = readers;
    const SearchRun r = h.Go(h.Params(dir.path(), L"Name"), nullptr, settings);
    EXPECT_EQ(r.ended, 1);
    EXPECT_EQ(r.files, 12u);
    EXPECT_EQ(r.errors, 12u);
    ASSERT_EQ(r.status.size(), 12u);
    for (const std::wstring& line : r.status) EXPECT_NE(line.find(L". (551:"), std::wstring::npos) << ToUtf8(line);
    if (readers == 1) {
      one = Transcript(r);
    } else {
      EXPECT_EQ(Transcript(r), one);
    }
  }
}

}  // namespace
}  // namespace tarnix
