// The shared window seams: one run of an engine at a time as a window
// delivers it (stale and late messages dropped, workers that ignore Stop
// abandoned, delivery held for busy work), commands by id with one enabled
// rule, and the test machinery that fails a test which forgets a dialog
// instead of letting it hang.
#include <QAction>
#include <QMenu>
#include <QProcess>
#include <QWidget>
#include <atomic>
#include <thread>

#include "gui/app/coding_fault.h"
#include "gui/app/command_set.h"
#include "gui/app/dialogs.h"
#include "gui/app/desktop_message_target.h"
#include "platform/last_error.h"
#include "run/run.h"
#include "support/gui_test.h"

namespace tarnix::gui::test {
namespace {

// An engine whose workers end when told to, or never (until the test lets
// them go). Message id 99 is its end (wParam 1 completed); any other id
// comes to the owner as a status line naming the id.
struct FakeEngine final : RunEngine {
  std::atomic<bool> ignoreStop{false};
  std::atomic<bool> running{true};
  StopFlag* stop = nullptr;
  MessageTarget* target = nullptr;
  bool refuse = false;

  bool Start(StopFlag& s, MessageTarget& t) override {
    stop = &s;
    target = &t;
    if (!refuse) return true;
    running = false;
    SetLastError(87);
    return false;
  }
  bool Running() const override { return running.load(); }
  bool Wait(std::chrono::milliseconds timeout) override {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
      if (!ignoreStop && stop && stop->load() == kStopStop) running = false;
      if (!running) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return !running;
  }
  void Translate(PostedMessage& m, RunEvents& events) override {
    if (m.id == 99)
      events.Ended(m.wParam == 1);
    else
      events.Status({std::to_wstring(m.id)});
  }
};

bool Post(MessageTarget& target, uint32_t id, uint64_t wParam = 0) {
  PostedMessage m;
  m.id = id;
  m.wParam = wParam;
  return target.Post(m);
}

// A run of the window's kind and what it told its owner.
struct WindowRun {
  Run run{DesktopRunTargets()};
  std::vector<std::wstring> seen;
  std::vector<RunSummary> ends;
  WindowRun() {
    run.OnStatus([this](std::vector<std::wstring>& lines) { seen.insert(seen.end(), lines.begin(), lines.end()); });
    run.OnEnded([this](const RunSummary& s) { ends.push_back(s); });
  }
  FakeEngine* Begin(bool ignoreStop = false) {
    auto engine = std::make_unique<FakeEngine>();
    FakeEngine* e = engine.get();
    e->ignoreStop = ignoreStop;
    return run.Begin(std::move(engine)) ? e : nullptr;
  }
};

}  // namespace

class SearchRunTest : public QObject {
  Q_OBJECT
 private slots:
  void deliversOnlyTheCurrentRunsMessages() {
    WindowRun w;
    FakeEngine* first = w.Begin();
    QVERIFY(first && w.run.active());
    QVERIFY(Post(*first->target, 1));
    QVERIFY(WaitUntil([&] { return w.seen.size() == 1; }));
    // The end, then a message the first run still posts: the end finishes
    // the run, and nothing of it comes after.
    QVERIFY(Post(*first->target, 99, 1));
    QVERIFY(Post(*first->target, 2));
    QVERIFY(WaitUntil([&] { return w.ends.size() == 1; }));
    QVERIFY(!w.run.active());
    QCOMPARE(w.ends[0].end, RunEnd::kCompleted);
    // The run's time is what its end said; the stopwatch stands still since.
    QCOMPARE(w.ends[0].elapsedMs, w.run.stopwatch().ElapsedMs());
    FakeEngine* second = w.Begin();
    QVERIFY(second);
    QVERIFY(!Post(*first->target, 4));  // the first run's target is closed
    QVERIFY(Post(*second->target, 3));
    QVERIFY(WaitUntil([&] { return w.seen.size() == 2; }));
    QVERIFY(EventLoopTurned());
    QCOMPARE(w.seen, (std::vector<std::wstring>{L"1", L"3"}));
    w.run.Stop();
  }

  void aRunWhoseWorkersIgnoreStopIsAbandonedWhole() {
    WindowRun w;
    FakeEngine* e = w.Begin(true);
    QVERIFY(e);
    MessageTarget* target = e->target;
    QVERIFY(!w.run.Stop(50));
    QCOMPARE(w.run.abandoned(), size_t(1));
    // It ends as stopped, without its end message.
    QVERIFY(!w.run.active());
    QCOMPARE(w.ends.size(), size_t(1));
    QCOMPARE(w.ends[0].end, RunEnd::kStopped);
    // The late worker's posts go nowhere.
    QVERIFY(!Post(*target, 7));
    QVERIFY(EventLoopTurned());
    QVERIFY(w.seen.empty());
    e->running = false;  // the worker ends at last; the run is freed with the object
  }

  void busyWorkHoldsDeliveryUntilItEnds() {
    WindowRun w;
    FakeEngine* e = w.Begin();
    {
      RunHold hold = w.run.Hold();
      QVERIFY(Post(*e->target, 1));
      // An end that arrives while busy work holds delivery waits too.
      QVERIFY(Post(*e->target, 99, 1));
      QVERIFY(EventLoopTurned());
      QVERIFY(w.seen.empty() && w.ends.empty() && w.run.active());
    }
    QVERIFY(WaitUntil([&] { return w.ends.size() == 1; }));
    QCOMPARE(w.seen, std::vector<std::wstring>{L"1"});
  }

  void aStartThatFailsLeavesNoRun() {
    Run run(DesktopRunTargets());
    auto engine = std::make_unique<FakeEngine>();
    engine->refuse = true;
    QVERIFY(!run.Begin(std::move(engine)));
    QVERIFY(!run.active());
    QCOMPARE(GetLastError(), 87u);
  }

  void pauseAndResumeSetTheStopFlag() {
    WindowRun w;
    FakeEngine* e = w.Begin();
    w.run.Pause();
    QVERIFY(w.run.paused());
    QCOMPARE(e->stop->load(), uint32_t{kStopPause});
    QCOMPARE(w.run.bar().phase(), RunPhase::kPaused);
    w.run.Resume();
    QCOMPARE(e->stop->load(), uint32_t{kStopRun});
    QVERIFY(w.run.Stop());
    QCOMPARE(w.ends.size(), size_t(1));
    QCOMPARE(w.ends[0].end, RunEnd::kStopped);
  }

  void closingDropsWhatTheRunQueued() {
    WindowRun w;
    FakeEngine* e = w.Begin();
    QVERIFY(Post(*e->target, 1));
    QVERIFY(Post(*e->target, 99, 1));
    w.run.Close();
    QVERIFY(EventLoopTurned());
    QVERIFY(w.seen.empty() && w.ends.empty() && !w.run.active());
  }
};
TARNIX_GUI_TEST(SearchRunTest)

class CommandSetTest : public QObject {
  Q_OBJECT
 private slots:
  void menusShowOneCommandUnderOneRule() {
    QWidget window;
    CommandSet commands(&window);
    bool enabled = false;
    int runs = 0;
    commands.Add(1, "&Copy Search Results", [&] { ++runs; }).Enabled([&] { return enabled; });
    QMenu bar, context;
    commands.Fill(&bar, {1});
    QAction* shown = commands.Present(&context, 1, QStringLiteral("&Copy\tCtrl+C"));
    QVERIFY(!commands.action(1)->isEnabled() && !shown->isEnabled());
    QVERIFY(!commands.Trigger(1));
    enabled = true;
    commands.Update();
    QVERIFY(commands.action(1)->isEnabled());
    // A context menu is made when it opens: it shows the rule's answer then.
    shown = commands.Present(&context, 1, QStringLiteral("&Copy\tCtrl+C"));
    QVERIFY(shown->isEnabled());
    shown->trigger();
    QVERIFY(commands.Trigger(1));
    QCOMPARE(runs, 2);
    QCOMPARE(bar.actions().front(), commands.action(1));
  }

  void anUnknownIdIsACodingFault() {
    QWidget window;
    CommandSet commands(&window);
    QStringList faults;
    SetCodingFaultHandler([&](const QString& what) { faults.push_back(what); });
    QMenu menu;
    commands.Fill(&menu, {42});
    commands.Add(1, "&One", [] {});
    commands.Add(1, "&Again", [] {});
    SetCodingFaultHandler([](const QString& what) { QTest::qFail(qPrintable(what), __FILE__, __LINE__); });
    QCOMPARE(faults.size(), 2);
    QVERIFY(menu.actions().isEmpty());
  }
};
TARNIX_GUI_TEST(CommandSetTest)

// Run by the test below only: a test that forgets to answer a box.
class ForgottenBoxProbe : public QObject {
  Q_OBJECT
 private slots:
  void forgetsTheBox() {
    AppDialogs().MessageBox(nullptr, QStringLiteral("Nobody answers this"), QString(), mb::kYesNo);
  }
};
TARNIX_GUI_HIDDEN_TEST(ForgottenBoxProbe)

class TestMachineryTest : public QObject {
  Q_OBJECT
 private slots:
  void aTestThatForgetsABoxFailsInsteadOfHanging() {
    QProcess probe;
    probe.setProcessChannelMode(QProcess::MergedChannels);
    probe.start(QCoreApplication::applicationFilePath(), {QStringLiteral("ForgottenBoxProbe")});
    QVERIFY(probe.waitForFinished(60000));
    const QString out = QString::fromUtf8(probe.readAll());
    QVERIFY2(probe.exitCode() != 0, qPrintable(out));
    QVERIFY2(out.contains(QStringLiteral("unexpected message box: Nobody answers this")), qPrintable(out));
  }

  void hiddenClassesAreNotListed() {
    QProcess list;
    list.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--list")});
    QVERIFY(list.waitForFinished(60000));
    const QStringList classes = QString::fromUtf8(list.readAllStandardOutput()).split(QLatin1Char('\n'));
    QVERIFY(classes.contains(QStringLiteral("TestMachineryTest")));
    QVERIFY(!classes.contains(QStringLiteral("ForgottenBoxProbe")));
  }
};
TARNIX_GUI_TEST(TestMachineryTest)

}  // namespace tarnix::gui::test

#include "seams_test.moc"
