// Long work under the busy-progress popup, as the user sees it: nothing for
// short work, a popup over the owner for long work, the event loop turning
// and the owner taking no input meanwhile, Cancel in its two forms, and
// progress and texts coming from the worker.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>
#include <chrono>
#include <cmath>
#include <stdexcept>
#include <thread>

#include "gui/app/loop_stall_meter.h"
#include "gui/widgets/busy_popup.h"
#include "gui/widgets/busy_progress_dlg.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "support/fake_dialogs.h"
#include "support/gui_test.h"
#include "tools/busy_progress.h"

namespace tarnix::gui::test {
namespace {

using namespace std::chrono_literals;

CBusyProgressDlg* ShownPopup() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* d = qobject_cast<CBusyProgressDlg*>(w); d && d->isVisible()) return d;
  return nullptr;
}

QPushButton* CancelOf(QWidget* popup) { return popup->findChild<QPushButton*>(); }
QString LineOf(QWidget* popup, const char* name) {
  auto* l = popup->findChild<QLabel*>(QString::fromLatin1(name));
  return l ? l->text() : QString();
}

// Sleeps in small steps until `until` holds or `ms` passed.
void WorkFor(int ms, const std::function<bool()>& until = nullptr) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end && !(until && until()))
    std::this_thread::sleep_for(5ms);
}

// A window with a button and a Ctrl+S action, counting what reaches them
// and its paint events.
class OwnerWindow : public QWidget {
 public:
  OwnerWindow() {
    setWindowTitle(QStringLiteral("Owner"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tarnix-32.png")));
    button = new QPushButton(QStringLiteral("&Search"), this);
    QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
    save = new QAction(QStringLiteral("&Save\tCtrl+S"), this);
    save->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    QObject::connect(save, &QAction::triggered, [this] { ++saves; });
    addAction(save);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(button);
    resize(640, 480);
    move(100, 80);
  }
  QPushButton* button;
  QAction* save;
  int clicks = 0, saves = 0, paints = 0;

 protected:
  void paintEvent(QPaintEvent* e) override {
    ++paints;
    QWidget::paintEvent(e);
  }
};

// Contrast of two colours as the accessibility guidelines measure it.
double Contrast(const QColor& a, const QColor& b) {
  auto lum = [](const QColor& c) {
    auto ch = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * ch(c.redF()) + 0.7152 * ch(c.greenF()) + 0.0722 * ch(c.blueF());
  };
  double la = lum(a) + 0.05, lb = lum(b) + 0.05;
  return la > lb ? la / lb : lb / la;
}

}  // namespace

class BusyPopupTest : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() {
    QVERIFY(!BusyPopupShowing());
    QVERIFY(!BusyWorkRunning());
  }

  // Work of 100 ms under a delay of 500 ms: no popup ever appears, the
  // result and the worker's last error come back.
  void shortWorkShowsNothing() {
    FakeDialogs dialogs;
    OwnerWindow owner;
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    bool seen = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] { seen = seen || ShownPopup() || BusyPopupShowing(); });
    watch.start(10);
    SetLastError(0);
    const int r = RunBusy(&owner, BusyTexts{}, [](BusyProgress&) {
      std::this_thread::sleep_for(100ms);
      SetLastError(ERROR_CANCELLED);
      return 7;
    }, 500);
    QCOMPARE(r, 7);
    QCOMPARE(GetLastError(), ERROR_CANCELLED);
    QTest::qWait(700);  // past the delay
    QVERIFY(!seen);
    QVERIFY(dialogs.unexpected.isEmpty());
  }

  // A one-second work: the event loop keeps turning (a timer keeps firing,
  // the owner repaints), the popup appears over the owner after the delay,
  // and the owner takes neither clicks nor its shortcut.
  void longWorkKeepsTheLoopTurningAndTheOwnerBlocked() {
    FakeDialogs dialogs;
    OwnerWindow owner;
    owner.show();
    owner.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&owner));
    LoopStallMeter loop(10, [&] { owner.update(); });
    loop.Start();
    int paintsBefore = 0;
    QTimer::singleShot(100, [&] {
      paintsBefore = owner.paints;
      QTest::mouseClick(owner.button, Qt::LeftButton);  // before the popup, too
      QTest::keyClick(&owner, Qt::Key_S, Qt::ControlModifier);
    });
    bool shownEarly = true;
    QTimer::singleShot(250, [&] { shownEarly = ShownPopup() != nullptr; });
    QString caption, line1, line2, cancelText;
    bool cancelFocused = false, centred = false, iconTaken = false;
    QStringList unnamed;
    QTimer::singleShot(700, [&] {
      CBusyProgressDlg* popup = ShownPopup();
      if (!popup) return;
      caption = popup->windowTitle();
      line1 = LineOf(popup, "text1");
      line2 = LineOf(popup, "text2");
      cancelText = CancelOf(popup)->text();
      cancelFocused = CancelOf(popup)->hasFocus();
      centred = (popup->frameGeometry().center() - owner.frameGeometry().center()).manhattanLength() <= 2;
      iconTaken = popup->windowIcon().cacheKey() == owner.windowIcon().cacheKey();
      unnamed = UnnamedControls(popup);
      QTest::mouseClick(owner.button, Qt::LeftButton);
      QTest::keyClick(&owner, Qt::Key_S, Qt::ControlModifier);
    });
    int barAtEnd = -1;
    std::atomic<bool> sawEnd{false};
    QTimer watchBar;
    QObject::connect(&watchBar, &QTimer::timeout, [&] {
      if (CBusyProgressDlg* p = ShownPopup())
        if (int v = p->findChild<QProgressBar*>()->value(); v == kBusyBarMax) barAtEnd = v, sawEnd = true;
    });
    watchBar.start(10);

    const int r = RunBusy(&owner, BusyTexts{}, [&](BusyProgress& progress) {
      progress.SetRange(1000);
      for (int i = 0; i <= 1000; ++i) {
        progress.SetPosition(static_cast<uint64_t>(i));
        std::this_thread::sleep_for(1ms);
      }
      WorkFor(1000, [&] { return sawEnd.load(); });
      return 1;
    });
    QCOMPARE(r, 1);
    QVERIFY(!shownEarly);
    QCOMPARE(caption, QStringLiteral("Tarnix"));
    QCOMPARE(line1, QStringLiteral("Please wait..."));
    QCOMPARE(line2, QStringLiteral("Processing"));
    QCOMPARE(cancelText, QStringLiteral("&Cancel"));
    QVERIFY(cancelFocused);
    QVERIFY(centred);
    QVERIFY(iconTaken);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QLatin1Char(','))));
    QCOMPARE(barAtEnd, kBusyBarMax);
    QCOMPARE(owner.clicks, 0);
    QCOMPARE(owner.saves, 0);
    QVERIFY(loop.Ticks() > 50);
    QVERIFY2(loop.Longest() < 250, qPrintable(QString::number(loop.Longest())));
    QVERIFY(owner.paints > paintsBefore);
    QVERIFY(!ShownPopup());

    // Afterwards the owner is the user's again.
    QTest::mouseClick(owner.button, Qt::LeftButton);
    QCOMPARE(owner.clicks, 1);
    QVERIFY(dialogs.unexpected.isEmpty());
  }

  // Cancel asks once: the work sees it, the button greys, the popup stays
  // until the work ends.
  void cancelGreysTheButtonAndKeepsThePopupUntilTheWorkEnds() {
    OwnerWindow owner;
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    bool clicked = false, keptAfterCancel = false, greyed = false;
    QTimer::singleShot(300, [&] {
      if (CBusyProgressDlg* p = ShownPopup()) {
        QTest::mouseClick(CancelOf(p), Qt::LeftButton);
        clicked = true;
      }
    });
    QTimer::singleShot(500, [&] {
      CBusyProgressDlg* p = ShownPopup();
      keptAfterCancel = p != nullptr;
      greyed = p && !CancelOf(p)->isEnabled();
      if (p) QTest::keyClick(p, Qt::Key_Escape);  // a second cancel does nothing
    });
    const int r = RunBusy(&owner, BusyTexts{}, [&](BusyProgress& progress) {
      WorkFor(5000, [&] { return progress.Cancelled(); });
      WorkFor(400);  // winding down
      return progress.Cancelled() ? -2 : 1;
    }, 100);
    QCOMPARE(r, -2);
    QVERIFY(clicked);
    QVERIFY(keptAfterCancel);
    QVERIFY(greyed);
    QVERIFY(!ShownPopup());
  }

  // With "Cancel closes at once" the popup goes away on the click while the
  // work still winds down.
  void cancelThatClosesAtOnce() {
    OwnerWindow owner;
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    std::atomic<bool> workRunning{true};
    bool goneWhileRunning = false;
    QTimer::singleShot(300, [&] {
      if (CBusyProgressDlg* p = ShownPopup()) QTest::mouseClick(CancelOf(p), Qt::LeftButton);
    });
    QTimer::singleShot(400, [&] { goneWhileRunning = !ShownPopup() && !BusyPopupShowing() && workRunning; });
    BusyTexts texts;
    texts.flags = kBusyCancelCloses;
    const int r = RunBusy(&owner, texts, [&](BusyProgress& progress) {
      WorkFor(5000, [&] { return progress.Cancelled(); });
      WorkFor(500);
      workRunning = false;
      return progress.Cancelled() ? -2 : 1;
    }, 100);
    QCOMPARE(r, -2);
    QVERIFY(goneWhileRunning);
  }

  // Escape and the window's Close ask to cancel, as the button does; while
  // Cancel is disabled they do nothing.
  void escapeAndCloseActAsCancel() {
    for (int way = 0; way < 2; ++way) {
      bool stillShownWhileDisabled = false;
      QTimer::singleShot(300, [&] {
        CBusyProgressDlg* p = ShownPopup();
        if (!p) return;
        stillShownWhileDisabled = !CancelOf(p)->isEnabled();
        if (way == 0) QTest::keyClick(p, Qt::Key_Escape); else p->close();
      });
      QTimer::singleShot(600, [&] {
        CBusyProgressDlg* p = ShownPopup();
        if (!p) return;
        stillShownWhileDisabled = stillShownWhileDisabled && p->isVisible();
        if (way == 0) QTest::keyClick(p, Qt::Key_Escape); else p->close();
      });
      BusyTexts texts;
      texts.flags = kBusyCancelDisabled;
      std::atomic<bool> cancelledWhileDisabled{false};
      const int r = RunBusy(nullptr, texts, [&](BusyProgress& progress) {
        WorkFor(450);
        cancelledWhileDisabled = progress.Cancelled();
        progress.EnableCancel(true);
        WorkFor(5000, [&] { return progress.Cancelled(); });
        return progress.Cancelled() ? -2 : 1;
      }, 100);
      QCOMPARE(r, -2);
      QVERIFY(!cancelledWhileDisabled);
      QVERIFY(stillShownWhileDisabled);
    }
  }

  // Progress, texts and the Cancel state set by the worker reach the popup.
  void theWorkDrivesBarTextsAndCancel() {
    std::atomic<bool> seen{false};
    QString line1, line2, cancelText;
    bool cancelGreyed = false, marqueeFirst = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      CBusyProgressDlg* p = ShownPopup();
      if (!p) return;
      auto* bar = p->findChild<QProgressBar*>();
      if (bar->maximum() == 0) marqueeFirst = true;
      if (bar->maximum() == kBusyBarMax && bar->value() == 2048) {
        line1 = LineOf(p, "text1");
        line2 = LineOf(p, "text2");
        cancelText = CancelOf(p)->text();
        cancelGreyed = !CancelOf(p)->isEnabled();
        seen = true;
      }
    });
    poll.start(10);
    const int r = RunBusy(nullptr, BusyTexts{}, [&](BusyProgress& progress) {
      WorkFor(300);  // shown as a marquee first
      const QString saving = QStringLiteral("Saving data in a file..."), empty;
      progress.SetTexts(&saving, nullptr, nullptr, &empty);
      progress.EnableCancel(false);
      progress.SetRange(1000);
      progress.SetPosition(500);
      WorkFor(3000, [&] { return seen.load(); });
      return 0;
    }, 50);
    QCOMPARE(r, 0);
    QVERIFY(marqueeFirst);
    QVERIFY(seen);
    QCOMPARE(line1, QStringLiteral("Saving data in a file..."));
    QCOMPARE(line2, QStringLiteral("Processing"));
    QCOMPARE(cancelText, QStringLiteral("&Cancel"));
    QVERIFY(cancelGreyed);
  }

  // A RunBusy from the event loop of a running one does not start a second
  // work; an exception of the work reaches the caller.
  void secondRunIsRefusedAndExceptionsReachTheCaller() {
    int inner = 0;
    bool innerRan = false;
    uint32_t innerError = 0;
    QTimer::singleShot(100, [&] {
      inner = RunBusy(nullptr, BusyTexts{}, [&](BusyProgress&) { innerRan = true; return 5; });
      innerError = GetLastError();
    });
    QCOMPARE(RunBusy(nullptr, BusyTexts{}, [](BusyProgress&) { WorkFor(300); return 3; }), 3);
    QCOMPARE(inner, -1);
    QCOMPARE(innerError, ERROR_BUSY);
    QVERIFY(!innerRan);

    bool caught = false;
    try {
      RunBusy(nullptr, BusyTexts{}, [](BusyProgress&) -> int { throw std::runtime_error("broken"); });
    } catch (const std::runtime_error& e) {
      caught = QString::fromLatin1(e.what()) == QStringLiteral("broken");
    }
    QVERIFY(caught);
    QCOMPARE(RunBusy(nullptr, BusyTexts{}, nullptr), -1);
    QCOMPARE(GetLastError(), ERROR_INVALID_PARAMETER);
  }

  // The dimmer second line stays readable on a light and a dark palette.
  void secondLineIsReadableOnLightAndDark() {
    for (bool dark : {false, true}) {
      CBusyProgressDlg dlg(nullptr);
      QPalette p = dlg.palette();
      p.setColor(QPalette::Window, dark ? QColor(0x20, 0x20, 0x20) : QColor(0xF0, 0xF0, 0xF0));
      p.setColor(QPalette::WindowText, dark ? QColor(0xEE, 0xEE, 0xEE) : QColor(0x10, 0x10, 0x10));
      dlg.setPalette(p);
      dlg.SetTexts(QStringLiteral("Please wait..."), QStringLiteral("Processing"),
                   QStringLiteral("Tarnix"), QStringLiteral("&Cancel"));
      auto* line2 = dlg.findChild<QLabel*>(QStringLiteral("text2"));
      const QColor second = line2->palette().color(QPalette::WindowText);
      const QColor back = p.color(QPalette::Window);
      QVERIFY(second != p.color(QPalette::WindowText));  // dimmer
      QVERIFY2(Contrast(second, back) >= 4.5, qPrintable(QString::number(Contrast(second, back))));
    }
  }
};
TARNIX_GUI_TEST(BusyPopupTest)

}  // namespace tarnix::gui::test

#include "busy_popup_test.moc"
