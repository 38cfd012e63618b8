// A run's life as its owner sees it, for every engine: the engine's
// messages as typed events, nothing of a run after its end (however late a
// worker posts), workers that ignore Stop abandoned whole, delivery held
// for busy work, and the follow-up pass ended by a new run or by Close.
#include "run/run.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "errcode/errcode_fixture.h"
#include "errmsg/message_search_fixture.h"
#include "pe/look_in.h"
#include "platform/last_error.h"
#include "results/details_pass.h"
#include "run/details_run.h"
#include "run/error_code_search_run.h"
#include "run/message_search_run.h"
#include "run/symbol_search_run.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"
#include "symbolsearch/result_batch.h"

namespace tarnix {
namespace {

using namespace std::chrono_literals;
using namespace tarnix::test;

// An engine as the run starts it, with the stop flag and target it was
// given: a test posts through it as a late worker would.
class Spy final : public RunEngine {
 public:
  explicit Spy(std::unique_ptr<RunEngine> inner) : inner_(std::move(inner)) {}
  bool Start(StopFlag& s, MessageTarget& t) override {
    stop = &s;
    target = &t;
    return inner_->Start(s, t);
  }
  bool Running() const override { return inner_->Running(); }
  bool Wait(std::chrono::milliseconds timeout) override { return inner_->Wait(timeout); }
  void Translate(PostedMessage& m, RunEvents& events) override { inner_->Translate(m, events); }
  RunCounts Counts() const override { return inner_->Counts(); }

  StopFlag* stop = nullptr;
  MessageTarget* target = nullptr;

 private:
  std::unique_ptr<RunEngine> inner_;
};

// Workers that end when told to, or never (until the test lets them go);
// message 99 is the end, anything else a results batch of one int.
class FakeEngine final : public RunEngine {
 public:
  bool Start(StopFlag& s, MessageTarget& t) override {
    stop = &s;
    target = &t;
    return true;
  }
  bool Running() const override { return running.load(); }
  bool Wait(std::chrono::milliseconds timeout) override {
    const auto end = std::chrono::steady_clock::now() + timeout;
    do {
      if (!ignoreStop && stop->load() == kStopStop) running = false;
      if (!running) return true;
      std::this_thread::sleep_for(1ms);
    } while (std::chrono::steady_clock::now() < end);
    return !running;
  }
  void Translate(PostedMessage& m, RunEvents& events) override {
    if (m.id == 99) return events.Ended(m.wParam == 1);
    if (m.payload) events.Results(*m.payload);
  }
  bool Post(uint32_t id, uint64_t wParam = 0) {
    PostedMessage m{id, wParam, 0, std::make_unique<PayloadOf<int>>(static_cast<int>(id))};
    return target->Post(m);
  }

  std::atomic<bool> running{true};
  std::atomic<bool> ignoreStop{false};
  StopFlag* stop = nullptr;
  MessageTarget* target = nullptr;
};

// The owner of a run that polls it, as tarnix-cli does.
struct Owner {
  Run run{PolledRunTarget::Maker()};
  size_t batches = 0, afterEnd = 0;
  std::vector<RunSummary> ends;
  std::vector<std::wstring> status;

  Owner() {
    run.OnEnded([this](const RunSummary& s) { ends.push_back(s); });
    run.OnStatus([this](std::vector<std::wstring>& lines) { status.insert(status.end(), lines.begin(), lines.end()); });
  }
  template <class T>
  void Take() {
    run.OnResults<T>([this](T&) {
      ++batches;
      if (!ends.empty()) ++afterEnd;
    });
  }
  template <class E>
  E* Begin(std::unique_ptr<E> engine) {
    E* e = engine.get();
    return run.Begin(std::move(engine)) ? e : nullptr;
  }
  // Pumps until the run has ended `count` times in all.
  void PumpUntilEnded(size_t count = 1) {
    for (int i = 0; i < 1000 && ends.size() < count; ++i) run.Pump(10ms);
  }
};

// Lets the engine end, posts a batch as a late worker would, then hands
// everything to the owner: the end finishes the run and the late batch is
// dropped.
template <class Batch>
void EndsThenDropsALateBatch(Owner& o, Spy& spy, uint32_t resultsId) {
  ASSERT_TRUE(spy.Wait(10s));  // every message, the end among them, is queued
  PostedMessage late{resultsId, 0, 0, std::make_unique<PayloadOf<Batch>>(Batch{})};
  ASSERT_TRUE(spy.target->Post(late));
  o.PumpUntilEnded();
  ASSERT_EQ(o.ends.size(), 1u);
  EXPECT_EQ(o.ends[0].end, RunEnd::kCompleted);
  EXPECT_GE(o.batches, 1u);
  EXPECT_EQ(o.afterEnd, 0u);
  EXPECT_FALSE(o.run.active());
  EXPECT_EQ(o.run.Pump(0ms), 0u);
}

TEST(Run, SymbolSearchEndsAndNothingComesAfter) {
  TempDir dir;
  test::ImportModule m;
  m.module = "KERNEL32.dll";
  m.symbols.push_back(test::ImportSymbol::Named("CreateFileW"));
  dir.Write("app.dll", PeBuilder(PeBuilder::Kind::kPe64).Import(m).Build().bytes);
  dir.Write("notes.dll", "not an image");
  SearchParams p;
  p.folder = FromUtf8(dir.path().string()) + L"/";
  p.searchFor = kSearchForSymbols;
  p.presentAs = kPresentSymbolsInModules;
  p.search.text = L"CreateFile";
  Owner o;
  o.Take<ResultBatch>();
  auto run = std::make_unique<SymbolSearchRun>(p, SearchStartSettings{});
  run->SetBackgroundPriority(false);
  Spy* spy = o.Begin(std::make_unique<Spy>(std::move(run)));
  ASSERT_TRUE(spy);
  EndsThenDropsALateBatch<ResultBatch>(o, *spy, kMsgResults);
  EXPECT_EQ(o.ends[0].counts.items, 2u);
  EXPECT_EQ(o.ends[0].counts.errors + o.ends[0].counts.warnings, 1u);
  EXPECT_FALSE(o.status.empty());  // the line about the file that is no image
  EXPECT_EQ(o.run.bar().phase(), RunPhase::kIdle);
}

TEST(Run, ErrorCodeSearchEndsAndNothingComesAfter) {
  SystemTable system({{5, u"Access is denied."}});
  TempDir dir("codes");
  dir.Write("a.dll", ModuleWith({{5, u"Mine."}}));
  dir.Write("b.dll", PlainModule());
  ErrorCodeSearchRequest r;
  r.code = 5;
  r.locations = {{kLocationFolder, Wide(dir.path()) + L"/"}};
  Owner o;
  o.Take<std::vector<ErrorCodeSearchResult>>();
  Spy* spy = o.Begin(std::make_unique<Spy>(std::make_unique<ErrorCodeSearchRun>(r)));
  ASSERT_TRUE(spy);
  EndsThenDropsALateBatch<std::vector<ErrorCodeSearchResult>>(o, *spy, kEcsMsgResult);
  EXPECT_EQ(o.ends[0].counts.matches, 2u);  // its own text, and the system's
  EXPECT_EQ(o.ends[0].counts.items, 2u);
}

TEST(Run, MessageSearchEndsAndNothingComesAfter) {
  SystemFolder system({MessageTableResource(0x409, {{5, 5, {MessageEntry(u"Access is denied.\r\n")}}})});
  MessageSearchParams p;
  p.word = L"Access";
  p.ranges = {Range(1, 10)};
  p.language = 0x400;
  Owner o;
  std::vector<std::wstring> lines;
  o.run.OnResults<std::vector<std::wstring>>([&](std::vector<std::wstring>& batch) {
    if (o.ends.empty()) lines.insert(lines.end(), batch.begin(), batch.end());
    ++o.batches;
    if (!o.ends.empty()) ++o.afterEnd;
  });
  Spy* spy = o.Begin(std::make_unique<Spy>(std::make_unique<MessageSearchRun>(p)));
  ASSERT_TRUE(spy);
  EndsThenDropsALateBatch<std::vector<std::wstring>>(o, *spy, kMsgErrMsgLines);
  EXPECT_EQ(lines, (std::vector<std::wstring>{L"Code\tWin32 Errors", L"", L"5\t= Access is denied."}));
  EXPECT_EQ(o.ends[0].counts.matches, 1u);
  EXPECT_EQ(o.ends[0].counts.items, 10u);
}

TEST(Run, DetailsFollowUpEndsAndNothingComesAfter) {
  Owner o;
  DetailsWorkBuilder work;
  for (int i = 0; i < 9; ++i) work.AddFile(static_cast<uint64_t>(i), L"/no/such/file.dll");
  DetailsRequest r;
  r.work = work.Take();
  size_t found = 0, late = 0;
  bool ended = false, completed = false;
  o.run.OnFollowUpResults<std::vector<FileDetailsFinding>>([&](std::vector<FileDetailsFinding>& f) {
    (ended ? late : found) += f.size();
  });
  o.run.OnFollowUpEnded([&](bool c) {
    ended = true;
    completed = c;
  });
  auto spy = std::make_unique<Spy>(std::make_unique<DetailsRun>(std::move(r)));
  Spy* s = spy.get();
  ASSERT_TRUE(o.run.Follow(std::move(spy)));
  ASSERT_TRUE(s->Wait(10s));
  PostedMessage extra{kMsgDetailsFiles, 0, 0,
                      std::make_unique<PayloadOf<std::vector<FileDetailsFinding>>>(std::vector<FileDetailsFinding>(3))};
  ASSERT_TRUE(s->target->Post(extra));
  for (int i = 0; i < 1000 && !ended; ++i) o.run.Pump(10ms);
  EXPECT_TRUE(ended && completed);
  EXPECT_EQ(found, 9u);  // one file, read once, shown by every item
  EXPECT_EQ(late, 0u);
  EXPECT_FALSE(o.run.followUpRunning());
}

TEST(Run, WorkersThatIgnoreStopAreAbandonedWhole) {
  Owner o;
  o.Take<int>();
  FakeEngine* e = o.Begin(std::make_unique<FakeEngine>());
  ASSERT_TRUE(e);
  e->ignoreStop = true;
  ASSERT_TRUE(e->Post(1));
  EXPECT_FALSE(o.run.Stop(50));
  EXPECT_EQ(o.run.abandoned(), 1u);
  // The run ends as stopped without its end; what its target held is gone,
  // and a late post is refused.
  ASSERT_EQ(o.ends.size(), 1u);
  EXPECT_EQ(o.ends[0].end, RunEnd::kStopped);
  EXPECT_FALSE(e->Post(2));
  EXPECT_EQ(o.batches, 0u);
  // A new run is not held up by the old workers.
  FakeEngine* next = o.Begin(std::make_unique<FakeEngine>());
  ASSERT_TRUE(next && next->Post(3) && next->Post(99, 1));
  o.PumpUntilEnded(2);
  EXPECT_EQ(o.batches, 1u);
  e->running = false;  // the worker ends at last; the run frees it with itself
}

TEST(Run, AnEndHeldByBusyWorkComesWhenReleased) {
  Owner o;
  o.Take<int>();
  FakeEngine* e = o.Begin(std::make_unique<FakeEngine>());
  {
    RunHold hold = o.run.Hold();
    ASSERT_TRUE(e->Post(1) && e->Post(99, 1));
    EXPECT_EQ(o.run.Pump(20ms), 0u);
    EXPECT_TRUE(o.run.active());
  }
  o.PumpUntilEnded();
  EXPECT_EQ(o.batches, 1u);
  ASSERT_EQ(o.ends.size(), 1u);
  EXPECT_EQ(o.ends[0].end, RunEnd::kCompleted);
}

TEST(Run, EndsOfEachKind) {
  Owner o;
  // A stop the owner asks for without the user: the run ends when the
  // engine's end comes, as failed.
  FakeEngine* e = o.Begin(std::make_unique<FakeEngine>());
  o.run.RequestStop();
  EXPECT_EQ(e->stop->load(), uint32_t{kStopStop});
  ASSERT_TRUE(e->Post(99, 0));
  o.PumpUntilEnded();
  ASSERT_EQ(o.ends.size(), 1u);
  EXPECT_EQ(o.ends[0].end, RunEnd::kFailed);
  // The user's stop ends it as stopped, even when the end it then posts
  // says "completed".
  e = o.Begin(std::make_unique<FakeEngine>());
  o.run.Pause();
  ASSERT_TRUE(e->Post(99, 1));
  EXPECT_TRUE(o.run.Stop());
  ASSERT_EQ(o.ends.size(), 2u);
  EXPECT_EQ(o.ends[1].end, RunEnd::kStopped);
  // Close ends a run without any event.
  e = o.Begin(std::make_unique<FakeEngine>());
  ASSERT_TRUE(e->Post(99, 1));
  o.run.Close();
  EXPECT_FALSE(o.run.active());
  EXPECT_EQ(o.run.Pump(10ms), 0u);
  EXPECT_EQ(o.ends.size(), 2u);
}

TEST(Run, AFollowUpStillRunningEndsWithANewRunOrClose) {
  for (bool byClose : {false, true}) {
    Owner o;
    size_t found = 0;
    bool ended = false;
    o.run.OnFollowUpResults<int>([&](int&) { ++found; });
    o.run.OnFollowUpEnded([&](bool) { ended = true; });
    auto pass = std::make_unique<FakeEngine>();
    FakeEngine* p = pass.get();
    ASSERT_TRUE(o.run.Follow(std::move(pass)));
    ASSERT_TRUE(p->Post(1));
    o.run.Pump(10ms);
    EXPECT_EQ(found, 1u);
    EXPECT_TRUE(o.run.followUpRunning());
    ASSERT_TRUE(p->Post(2));  // queued when it is ended
    if (byClose) {
      o.run.Close();
    } else {
      FakeEngine* e = o.Begin(std::make_unique<FakeEngine>());
      ASSERT_TRUE(e);
      // No follow-up while a run is active.
      EXPECT_FALSE(o.run.Follow(std::make_unique<FakeEngine>()));
      o.run.Stop();
    }
    EXPECT_EQ(p->stop->load(), uint32_t{kStopStop});
    EXPECT_FALSE(o.run.followUpRunning());
    EXPECT_FALSE(p->Post(3));
    o.run.Pump(10ms);
    EXPECT_EQ(found, 1u);
    EXPECT_FALSE(ended);
  }
}

}  // namespace
}  // namespace tarnix
