#include "results/details_pass.h"

#include <gtest/gtest.h>

#include <future>
#include <map>

#include "pe/resource_fixture.h"
#include "platform/languages.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"
#include "results/results_details_work.h"
#include "results/streamed_details.h"
#include "support/temp_dir.h"

namespace tarnix {
namespace {

using namespace tarnix::test;

SymbolResult Result(const std::filesystem::path& file, std::wstring name, uint32_t kind) {
  SymbolResult r;
  r.file = FromUtf8(file.string());
  r.name = std::move(name);
  r.kind = kind;
  return r;
}

// A pass with its stop flag, as an owner runs it.
struct Loader {
  StopFlag stop{kStopRun};
  FileDetailsReader reader;
  DetailsPass pass;

  bool Start(DetailsWork work, MessageTarget& target, uint32_t flags = 0, std::function<bool()> mayPost = nullptr,
             MissingVersion missing = MissingVersion::kEmpty) {
    if (!pass.Running()) stop.store(kStopRun);
    DetailsRequest r;
    r.stop = &stop;
    r.target = &target;
    r.work = std::move(work);
    r.undecorationFlags = flags;
    r.mayPost = std::move(mayPost);
    r.reader = reader;
    r.missingVersion = missing;
    return pass.Start(std::move(r));
  }
  bool Stop(std::chrono::milliseconds timeout = std::chrono::milliseconds(3000)) {
    stop.store(kStopStop);
    return pass.Wait(timeout);
  }
  bool Running() const { return pass.Running(); }
};

struct PassRecord {
  std::vector<std::vector<FileDetailsFinding>> files;
  std::vector<std::vector<NameDetailsFinding>> names;
  bool done = false;
  bool completed = false;
  bool doneLast = true;  // nothing arrived after "done"

  std::vector<FileDetailsFinding> Images() const {
    std::vector<FileDetailsFinding> all;
    for (const auto& b : files) all.insert(all.end(), b.begin(), b.end());
    return all;
  }
  std::vector<NameDetailsFinding> Names() const {
    std::vector<NameDetailsFinding> all;
    for (const auto& b : names) all.insert(all.end(), b.begin(), b.end());
    return all;
  }
  void ApplyTo(ResultsModel& model) {
    for (auto& b : names) model.ApplyNameDetails(b);
    for (auto& b : files) model.ApplyImageDetails(b);
  }
};

// Drains `target` until "done" (or until nothing came for `quiet`).
PassRecord Drain(QueueMessageTarget& target, std::chrono::milliseconds quiet = std::chrono::milliseconds(5000)) {
  PassRecord rec;
  for (PostedMessage m; target.Take(m, quiet);) {
    if (rec.done) rec.doneLast = false;
    if (m.id == kMsgDetailsDone) {
      rec.done = true;
      rec.completed = m.wParam == 1;
    }
    if (auto* found = m.As<std::vector<FileDetailsFinding>>()) rec.files.push_back(std::move(*found));
    if (auto* found = m.As<std::vector<NameDetailsFinding>>()) rec.names.push_back(std::move(*found));
    if (rec.done && target.size() == 0) break;
  }
  return rec;
}

PassRecord RunPass(Loader& loader, DetailsWork work, QueueMessageTarget& target, uint32_t flags = 0,
                   MissingVersion missing = MissingVersion::kEmpty) {
  EXPECT_TRUE(loader.Start(std::move(work), target, flags, nullptr, missing));
  PassRecord rec = Drain(target);
  EXPECT_TRUE(loader.Stop());
  EXPECT_TRUE(rec.done && rec.completed);
  EXPECT_TRUE(rec.doneLast);
  return rec;
}

// Every batch of images but the last holds at least four.
void ExpectBatchesOfFourOrMore(const PassRecord& rec) {
  for (size_t i = 0; i + 1 < rec.files.size(); ++i) EXPECT_GE(rec.files[i].size(), 4u) << i;
}

std::string Path(int i) { return "/d/" + std::to_string(i) + ".dll"; }

TEST(DetailsPass, VersionsDescriptionsErrorsAndUndecoration) {
  TempDir dir;
  auto withVersion = dir.Write(
      "v.dll", BuildImage({{16, 1, 0x409, SimpleVersion(0x409, u"Line one\r\nline two", u"1.2"), u""}}).bytes);
  auto plain = dir.Write("p.dll", BuildImage({}).bytes);
  ResultsModel model;
  model.BeginSearch(true, false);
  model.Add(Result(withVersion, L"?f@@YAXXZ", kKindImportCpp));
  model.Add(Result(plain, L"CreateFileW", kKindImport));
  model.Add(Result(dir.path() / "gone.dll", L"x", kKindExport));
  for (int i = 0; i < 3; ++i) model.Add(Result(plain, L"y", kKindExport));
  // The same decorated text as a plain export keeps its name.
  model.Add(Result(plain, L"?f@@YAXXZ", kKindExport));
  model.Add(Result(plain, L"?f@@YAXXZ", kKindExportCpp));
  DetailsWork work;
  ASSERT_TRUE(CollectDetailsWork(model, true, work));
  EXPECT_EQ(work.files.size(), 3u);
  ASSERT_EQ(work.names.size(), 1u);  // each distinct name once
  QueueMessageTarget target(2, 5);
  Loader loader;
  model.DetailsStarted();
  PassRecord rec = RunPass(loader, std::move(work), target);
  ExpectBatchesOfFourOrMore(rec);
  rec.ApplyTo(model);
  model.DetailsDone();

  const ResultEntry e0 = model.Entry(0), e1 = model.Entry(1), e2 = model.Entry(2);
  EXPECT_EQ(e0.fileVersion, 0x0001000200030004ULL);
  EXPECT_EQ(e0.description, L"Line one  line two");
  EXPECT_EQ(e0.result.name, L"void __cdecl f(void)");
  EXPECT_EQ(e0.decoratedName, L"?f@@YAXXZ");
  EXPECT_EQ(e1.fileVersion, kVersionUnknown);
  EXPECT_EQ(e1.description, L"");
  EXPECT_EQ(e1.result.name, L"CreateFileW");
  EXPECT_EQ(e1.decoratedName, L"");
  EXPECT_EQ(e2.fileVersion, kVersionUnknown);
  EXPECT_EQ(e2.description.rfind(L"<error: (2) ", 0), 0u);
  EXPECT_EQ(model.Entry(6).result.name, L"?f@@YAXXZ");
  EXPECT_EQ(model.Entry(7).result.name, L"void __cdecl f(void)");
  EXPECT_EQ(model.Entry(7).decoratedName, L"?f@@YAXXZ");
  EXPECT_TRUE(model.detailsComplete());

  // A second pass (Re-Scan) undecorates nothing twice.
  ASSERT_TRUE(CollectDetailsWork(model, true, work));
  EXPECT_TRUE(work.names.empty());
  EXPECT_EQ(work.items.size(), model.imageCount());

  // Undecoration is off, or the search listed no WinAPIs: names stay.
  for (bool winApis : {true, false}) {
    ResultsModel m;
    m.BeginSearch(winApis, false);
    m.Add(Result(plain, L"?f@@YAXXZ", kKindExportCpp));
    ASSERT_TRUE(CollectDetailsWork(m, !winApis, work));
    EXPECT_TRUE(work.names.empty());
  }
}

// The images of a list may come back further down it; each file is read
// once per pass, every record of it gets what reading it gives, failures
// included, and every row shows its image's findings.
TEST(DetailsPass, EachFileReadOncePerPassAndShownByEveryRow) {
  TempDir dir;
  const std::vector<std::filesystem::path> files = {
      dir.Write("v.dll", BuildImage({{16, 1, 0x409, SimpleVersion(0x409, u"Two\nlines", u"1.2"), u""}}).bytes),
      dir.Write("p.dll", BuildImage({}).bytes),
      dir.Write("bad.dll", BuildImage({{16, 1, 0x409, VersionInfo(FixedInfo(1, 2, 0x12345678), {}), u""}}).bytes),
      dir.path() / "gone.dll",
  };
  ResultsModel model;
  model.BeginSearch(true, false);
  for (int i = 0; i < 403; ++i) {
    const bool cpp = i % 5 == 0;
    model.Add(Result(files[(i * 7 + i / 3) % files.size()], cpp ? L"?g@@YAHH@Z" : L"Name" + std::to_wstring(i),
                     cpp ? kKindExportCpp : kKindExport));
  }
  DetailsWork work;
  ASSERT_TRUE(CollectDetailsWork(model, true, work));
  ASSERT_EQ(work.files.size(), files.size());
  ASSERT_EQ(work.items.size(), model.imageCount());

  std::map<std::wstring, int> reads;
  Loader loader;
  loader.reader = [&](const std::wstring& path, uint16_t language) {
    ++reads[path];
    return ReadFileDetails(path, language);
  };
  QueueMessageTarget target(1000, 0);
  PassRecord rec = RunPass(loader, work, target, 0);
  ExpectBatchesOfFourOrMore(rec);
  EXPECT_EQ(reads.size(), files.size());
  for (const auto& [path, count] : reads) EXPECT_EQ(count, 1) << ToUtf8(path);
  EXPECT_EQ(rec.Images().size(), model.imageCount());
  EXPECT_EQ(rec.Names().size(), 1u);
  rec.ApplyTo(model);

  const uint16_t language = UserDefaultLanguage();
  for (size_t i = 0; i < model.size(); ++i) {
    const ResultEntry e = model.Entry(i);
    const FileDetails alone = ReadFileDetails(e.result.file, language);
    EXPECT_EQ(e.fileVersion, alone.version) << i;
    EXPECT_EQ(e.description, alone.description) << i;
    EXPECT_EQ(e.result.name, i % 5 == 0 ? L"int __cdecl g(int)" : L"Name" + std::to_wstring(i)) << i;
    if (e.result.file == FromUtf8(files[2].string())) {
      EXPECT_EQ(e.description.rfind(L"<error: (11) ", 0), 0u);
    } else if (e.result.file == FromUtf8(files[3].string())) {
      EXPECT_EQ(e.description.rfind(L"<error: (2) ", 0), 0u);
    }
  }
  EXPECT_EQ(model.Entry(0).description, L"Two lines");

  // A new pass reads the images again (they may have changed meanwhile).
  RunPass(loader, work, target, 0);
  for (const auto& [path, count] : reads) EXPECT_EQ(count, 2) << ToUtf8(path);
}

// A batch carries everything finished since the last post: the spacing
// limits the posts, never the findings, and nothing is lost or reordered.
TEST(DetailsPass, BatchesCarryWhatIsReadyInListOrder) {
  ResultsModel model;
  model.BeginSearch(false, false);
  for (int i = 0; i < 2001; ++i) model.Add(Result(Path(i), L"x", kKindExport));
  DetailsWork work;
  ASSERT_TRUE(CollectDetailsWork(model, false, work));
  Loader loader;
  loader.reader = [](const std::wstring& path, uint16_t) { return FileDetails{7, path}; };

  for (uint32_t spacing : {5u, 0u}) {
    QueueMessageTarget target(3, spacing);
    const PassRecord rec = RunPass(loader, work, target);
    ExpectBatchesOfFourOrMore(rec);
    const std::vector<FileDetailsFinding> got = rec.Images();
    ASSERT_EQ(got.size(), 2001u);
    for (size_t i = 0; i < got.size(); ++i) {
      ASSERT_EQ(got[i].item, i);
      EXPECT_EQ(got[i].description, FromUtf8(Path(static_cast<int>(i))));
    }
    // Batches of four at 5 ms apart would take 2.5 s.
    if (spacing) {
      EXPECT_LE(rec.files.size(), 50u);
    }
  }
}

// While the window's busy popup shows nothing is posted, "done" included;
// the pass stops there if asked.
TEST(DetailsPass, HeldBackWhileThePopupShows) {
  ResultsModel model;
  model.BeginSearch(false, false);
  for (int i = 0; i < 50; ++i) model.Add(Result(Path(i), L"x", kKindExport));
  DetailsWork work;
  ASSERT_TRUE(CollectDetailsWork(model, false, work));
  Loader loader;
  loader.reader = [](const std::wstring&, uint16_t) { return FileDetails{}; };
  std::atomic<bool> popupShown{true};
  std::atomic<int> asked{0};
  auto mayPost = [&] {
    ++asked;
    return !popupShown.load();
  };

  QueueMessageTarget target(100, 5);
  ASSERT_TRUE(loader.Start(work, target, 0, mayPost));
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  EXPECT_EQ(target.size(), 0u);
  EXPECT_TRUE(loader.Running());
  EXPECT_GT(asked.load(), 1);  // it keeps asking
  popupShown = false;
  const PassRecord rec = Drain(target);
  EXPECT_TRUE(rec.done);
  EXPECT_EQ(rec.Images().size(), 50u);
  ExpectBatchesOfFourOrMore(rec);
  EXPECT_TRUE(loader.Stop());

  popupShown = true;
  ASSERT_TRUE(loader.Start(work, target, 0, mayPost));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(loader.Stop(std::chrono::milliseconds(500)));
  // Only the end of a pass that did not complete, nothing it found.
  const PassRecord stopped = Drain(target, std::chrono::milliseconds(0));
  EXPECT_TRUE(stopped.Images().empty());
  EXPECT_FALSE(stopped.completed);
}

// The stop signal is looked at before every image: a pass stopped while it
// reads one reads no other and ends as not completed.
TEST(DetailsPass, StopMidPassEndsBeforeTheNextImage) {
  ResultsModel model;
  model.BeginSearch(false, false);
  for (const char* path : {"/a.dll", "/b.dll", "/c.dll"})
    for (int i = 0; i < 10; ++i) model.Add(Result(path, L"x", kKindExport));
  DetailsWork work;
  ASSERT_TRUE(CollectDetailsWork(model, false, work));
  ASSERT_EQ(work.items.size(), 3u);
  Loader loader;
  std::promise<void> inSecond, resume;
  std::shared_future<void> resumed = resume.get_future().share();
  std::atomic<int> reads{0};
  loader.reader = [&](const std::wstring&, uint16_t) {
    if (++reads == 2) {
      inSecond.set_value();
      resumed.wait();
    }
    return FileDetails{};
  };
  QueueMessageTarget target(100, 0);
  ASSERT_TRUE(loader.Start(work, target, 0));
  EXPECT_FALSE(loader.Start(work, target, 0));  // one pass at a time
  inSecond.get_future().wait();
  std::future<bool> stopped = std::async(std::launch::async, [&] { return loader.Stop(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  resume.set_value();
  EXPECT_TRUE(stopped.get());
  EXPECT_EQ(reads.load(), 2);
  const PassRecord rec = Drain(target, std::chrono::milliseconds(0));
  EXPECT_FALSE(rec.completed);
  for (const FileDetailsFinding& f : rec.Images()) EXPECT_LE(f.item, 1u);

  // Work whose item names no file of it is refused.
  work.items.back().file = static_cast<uint32_t>(work.files.size());
  EXPECT_FALSE(loader.Start(work, target, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(DetailsPass, StopWhileTheQueueIsFull) {
  ResultsModel model;
  model.BeginSearch(true, false);
  for (int i = 0; i < 20000; ++i) model.Add(Result(Path(i), L"x", kKindExport));
  DetailsWork work;
  ASSERT_TRUE(CollectDetailsWork(model, true, work));
  QueueMessageTarget target(1, 5);  // full after one batch: the pass waits
  Loader loader;
  loader.reader = [](const std::wstring&, uint16_t) { return FileDetails{}; };
  ASSERT_TRUE(loader.Start(std::move(work), target, 0));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(loader.Running());
  EXPECT_TRUE(loader.Stop());
  EXPECT_FALSE(loader.Running());
  PostedMessage m;
  while (target.Take(m, std::chrono::milliseconds(0))) EXPECT_TRUE(m.id != kMsgDetailsDone || m.wParam == 0);

  // Collecting can be cancelled; the caller then marks the details interrupted.
  EXPECT_FALSE(CollectDetailsWork(model, true, work, [](size_t) { return true; }));
}

// The Error Code Search list: one item per row (rows naming one module
// read it once), a module without version information shown as the error
// of one whose information cannot be read.
TEST(DetailsPass, RowsOfTheErrorCodeListWithMissingVersionsAsErrors) {
  TempDir dir;
  DetailsWorkBuilder rows;
  for (int i = 0; i < 10; ++i) {
    std::string name = "m";  // built up: GCC 12 warns wrongly about "m" + ... + ".dll"
    name += std::to_string(i);
    name += ".dll";
    const auto module = dir.Write(name, BuildImage({}).bytes);
    for (int k = 0; k < 2; ++k) rows.AddFile(static_cast<uint64_t>(i * 2 + k + 1), FromUtf8(module.string()));
  }
  DetailsWork work = rows.Take();
  ASSERT_EQ(work.files.size(), 10u);
  QueueMessageTarget target(1024, 5);
  Loader loader;
  const PassRecord rec = RunPass(loader, std::move(work), target, 0, MissingVersion::kError);
  ExpectBatchesOfFourOrMore(rec);
  const std::vector<FileDetailsFinding> found = rec.Images();
  ASSERT_EQ(found.size(), 20u);
  for (size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(found[i].item, i + 1);
    EXPECT_EQ(found[i].fileVersion, kVersionUnknown);
    EXPECT_EQ(found[i].description.rfind(L"<error: (1813) ", 0), 0u) << ToUtf8(found[i].description);
  }
}

// Results written as they come get the details the list's pass gives them:
// each image read once even when its rows span two batches, each row as
// the list shows it once its details are in.
TEST(StreamedDetails, RowsAsTheListShowsThemEachImageReadOnce) {
  TempDir dir;
  const std::vector<std::filesystem::path> files = {
      dir.Write("v.dll", BuildImage({{16, 1, 0x409, SimpleVersion(0x409, u"Two\nlines", u"1.2"), u""}}).bytes),
      dir.Write("p.dll", BuildImage({}).bytes),
      dir.path() / "gone.dll",
  };
  ResultsModel model;
  model.BeginSearch(true, false);
  std::vector<ResultBatch> batches(3);
  for (int i = 0; i < 90; ++i) {
    const bool cpp = i % 4 == 0;
    const SymbolResult r = Result(files[i / 30], cpp ? L"?g@@YAHH@Z" : L"Name" + std::to_wstring(i),
                                  cpp ? kKindExportCpp : kKindExport);
    model.Add(r);
    // p.dll's rows span two batches; an image's serial is the same in both.
    batches[i < 45 ? 0 : i < 80 ? 1 : 2].Add(static_cast<uint32_t>(i / 30 + 1), r.file, r.properties, r.kind,
                                             r.name, r.module, r.ordinal, r.nameIndexOrHint);
  }
  DetailsWork work;
  ASSERT_TRUE(CollectDetailsWork(model, true, work));
  QueueMessageTarget target(1000, 0);
  Loader loader;
  RunPass(loader, work, target).ApplyTo(model);

  for (bool undecorate : {true, false}) {
    std::map<std::wstring, int> reads;
    StreamedDetails details(undecorate, 0, [&](const std::wstring& path, uint16_t language) {
      ++reads[path];
      return ReadFileDetails(path, language);
    });
    size_t row = 0;
    ResultEntry e;
    for (const ResultBatch& batch : batches) {
      // A few rows at a time, as the command line hands them out.
      for (size_t first = 0; first < batch.size(); first += 16) {
        StreamedDetails::Batch d;
        details.Complete(batch, first, 16, d);
        for (size_t i = first; i < std::min(batch.size(), first + 16); ++i, ++row) {
          StreamedDetails::Fill(batch, d, i, e);
          const ResultEntry listed = model.Entry(row);
          EXPECT_EQ(e.fileVersion, listed.fileVersion) << row;
          EXPECT_EQ(e.description, listed.description) << row;
          const std::wstring& stored = listed.decoratedName.empty() ? listed.result.name : listed.decoratedName;
          EXPECT_EQ(e.result.name, undecorate ? listed.result.name : stored) << row;
          EXPECT_EQ(e.decoratedName, undecorate ? listed.decoratedName : L"") << row;
        }
      }
    }
    EXPECT_EQ(row, 90u);
    EXPECT_EQ(reads.size(), files.size());
    for (const auto& [path, count] : reads) EXPECT_EQ(count, 1) << ToUtf8(path);
  }
  EXPECT_EQ(model.Entry(0).result.name, L"int __cdecl g(int)");
}

}  // namespace
}  // namespace tarnix
