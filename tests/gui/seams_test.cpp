// The shared window seams: one run of an engine at a time (stale messages
// dropped, workers that ignore Stop abandoned, delivery held for busy
// work), commands by id with one enabled rule, and the test machinery that
// fails a test which forgets a dialog instead of letting it hang.
#include <QAction>
#include <QMenu>
#include <QProcess>
#include <QWidget>
#include <atomic>
#include <thread>

#include "gui/app/coding_fault.h"
#include "gui/app/command_set.h"
#include "gui/app/dialogs.h"
#include "gui/app/search_run.h"
#include "platform/last_error.h"
#include "support/gui_test.h"

namespace tarnix::gui::test {
namespace {

// Workers that end when told to, or never (until the test lets them go).
struct FakeWorkers final : SearchRun::Workers {
  std::atomic<bool> ignoreStop{false};
  std::atomic<bool> running{true};
  StopFlag* stop = nullptr;
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
};

bool Post(MessageTarget& target, uint32_t id) {
  PostedMessage m;
  m.id = id;
  return target.Post(m);
}

}  // namespace

class SearchRunTest : public QObject {
  Q_OBJECT
 private slots:
  void deliversOnlyTheCurrentRunsMessages() {
    std::vector<uint32_t> seen;
    SearchRun run([&](PostedMessage& m) { seen.push_back(m.id); });
    MessageTarget* first = nullptr;
    auto* a = run.Begin<FakeWorkers>(std::make_unique<FakeWorkers>(), [&](FakeWorkers& w, StopFlag& s, MessageTarget& t) {
      w.stop = &s;
      first = &t;
      return true;
    });
    QVERIFY(a && run.active());
    QVERIFY(Post(*first, 1));
    QVERIFY(WaitUntil([&] { return seen.size() == 1; }));
    // A message of the first run still queued when the next one begins.
    QVERIFY(Post(*first, 2));
    QCOMPARE(run.Finish(), run.stopwatch().ElapsedMs());
    MessageTarget* second = nullptr;
    run.Begin<FakeWorkers>(std::make_unique<FakeWorkers>(), [&](FakeWorkers& w, StopFlag& s, MessageTarget& t) {
      w.stop = &s;
      second = &t;
      return true;
    });
    QVERIFY(Post(*second, 3));
    QVERIFY(WaitUntil([&] { return seen.size() == 2; }));
    QVERIFY(EventLoopTurned());
    QCOMPARE(seen, (std::vector<uint32_t>{1, 3}));
  }

  void aRunWhoseWorkersIgnoreStopIsAbandonedWhole() {
    int handled = 0;
    SearchRun run([&](PostedMessage&) { ++handled; });
    MessageTarget* target = nullptr;
    FakeWorkers* w = run.Begin<FakeWorkers>(std::make_unique<FakeWorkers>(),
                                            [&](FakeWorkers& w, StopFlag& s, MessageTarget& t) {
                                              w.stop = &s;
                                              w.ignoreStop = true;
                                              target = &t;
                                              return true;
                                            });
    QVERIFY(!run.Stop(50));
    QCOMPARE(run.abandonedRuns(), size_t(1));
    QVERIFY(run.workers<FakeWorkers>() == nullptr);
    // The late worker's posts go nowhere; the window finishes without it.
    QVERIFY(!Post(*target, 7));
    run.Finish(10);
    QVERIFY(!run.active());
    QVERIFY(EventLoopTurned());
    QCOMPARE(handled, 0);
    w->running = false;  // the worker ends at last; the run is freed with the object
  }

  void busyWorkHoldsDeliveryUntilItEnds() {
    int handled = 0;
    SearchRun run([&](PostedMessage&) { ++handled; });
    MessageTarget* target = nullptr;
    run.Begin<FakeWorkers>(std::make_unique<FakeWorkers>(), [&](FakeWorkers& w, StopFlag& s, MessageTarget& t) {
      w.stop = &s;
      target = &t;
      return true;
    });
    {
      DeliveryHold hold = run.Hold();
      QVERIFY(Post(*target, 1));
      QVERIFY(EventLoopTurned());
      QCOMPARE(handled, 0);
    }
    QVERIFY(WaitUntil([&] { return handled == 1; }));
    run.Stop();
  }

  void aStartThatFailsLeavesNoRun() {
    SearchRun run([](PostedMessage&) {});
    auto* w = run.Begin<FakeWorkers>(std::make_unique<FakeWorkers>(), [](FakeWorkers& w, StopFlag&, MessageTarget&) {
      w.running = false;
      SetLastError(87);
      return false;
    });
    QVERIFY(!w && !run.active());
    QCOMPARE(GetLastError(), 87u);
  }

  void pauseAndResumeSetTheStopFlag() {
    SearchRun run([](PostedMessage&) {});
    StopFlag* flag = nullptr;
    run.Begin<FakeWorkers>(std::make_unique<FakeWorkers>(), [&](FakeWorkers& w, StopFlag& s, MessageTarget&) {
      w.stop = flag = &s;
      return true;
    });
    run.Pause();
    QVERIFY(run.paused());
    QCOMPARE(flag->load(), uint32_t{kStopPause});
    run.Resume();
    QCOMPARE(flag->load(), uint32_t{kStopRun});
    QVERIFY(run.Stop());
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
