#include "results/details_loader.h"

#include <gtest/gtest.h>

#include "pe/resource_fixture.h"
#include "platform/text_encoding.h"
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

// Runs a whole pass through a small queue and applies what comes back.
void RunPass(ResultsModel& model, bool undecorate, uint32_t flags, size_t capacity = 2) {
  std::vector<DetailsWorkItem> work;
  ASSERT_TRUE(CollectDetailsWork(model, undecorate, work));
  QueueMessageTarget target(capacity, 5);
  ResultDetailsLoader loader;
  ASSERT_TRUE(loader.Start(std::move(work), &target, flags));
  model.DetailsStarted();
  size_t batches = 0;
  for (bool done = false; !done;) {
    PostedMessage m;
    ASSERT_TRUE(target.Take(m, std::chrono::milliseconds(5000)));
    if (m.id == kMsgDetailsDone) done = true;
    if (auto* batch = m.As<std::vector<ResultDetails>>()) {
      EXPECT_LE(batch->size(), 4u);
      ++batches;
      for (const auto& d : *batch) EXPECT_TRUE(model.ApplyDetails(d));
    }
  }
  model.DetailsDone();
  EXPECT_TRUE(loader.Stop());
  EXPECT_EQ(batches, (model.entries().size() + 3) / 4);
}

TEST(DetailsLoader, VersionsDescriptionsErrorsAndUndecoration) {
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
  RunPass(model, true, 0);

  const auto& e = model.entries();
  EXPECT_EQ(e[0].fileVersion, 0x0001000200030004ULL);
  EXPECT_EQ(e[0].description, L"Line one  line two");
  EXPECT_EQ(e[0].result.name, L"void __cdecl f(void)");
  EXPECT_EQ(e[0].decoratedName, L"?f@@YAXXZ");
  EXPECT_EQ(e[1].fileVersion, kVersionUnknown);
  EXPECT_EQ(e[1].description, L"");
  EXPECT_EQ(e[1].result.name, L"CreateFileW");
  EXPECT_EQ(e[2].fileVersion, kVersionUnknown);
  EXPECT_EQ(e[2].description.rfind(L"<error: (2) ", 0), 0u);
  EXPECT_TRUE(model.detailsComplete());
}

TEST(DetailsLoader, NoUndecorationAfterModuleSearchesOrWhenOff) {
  TempDir dir;
  auto plain = dir.Write("p.dll", BuildImage({}).bytes);
  ResultsModel model;
  model.BeginSearch(true, false);
  model.Add(Result(plain, L"?f@@YAXXZ", kKindExportCpp));
  RunPass(model, false, 0);
  EXPECT_EQ(model.entries()[0].result.name, L"?f@@YAXXZ");
}

TEST(DetailsLoader, StopEndsThePassWithoutDone) {
  TempDir dir;
  auto plain = dir.Write("p.dll", BuildImage({}).bytes);
  ResultsModel model;
  model.BeginSearch(true, false);
  for (int i = 0; i < 200; ++i) model.Add(Result(plain, L"x", kKindExport));
  std::vector<DetailsWorkItem> work;
  ASSERT_TRUE(CollectDetailsWork(model, true, work));
  QueueMessageTarget target(1, 5);  // full after one batch: the pass waits
  ResultDetailsLoader loader;
  ASSERT_TRUE(loader.Start(std::move(work), &target, 0));
  EXPECT_FALSE(loader.Start({}, &target, 0));  // one pass at a time
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(loader.Stop());
  EXPECT_FALSE(loader.Running());
  PostedMessage m;
  while (target.Take(m, std::chrono::milliseconds(0))) EXPECT_NE(m.id, kMsgDetailsDone);

  // Collecting can be cancelled; the caller then marks the details interrupted.
  EXPECT_FALSE(CollectDetailsWork(model, true, work, [](size_t) { return true; }));
}

}  // namespace
}  // namespace tarnix
