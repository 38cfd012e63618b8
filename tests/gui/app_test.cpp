// The application's start: the settings snapshot with its clamps and
// fall-backs, the command line, the main window's title, and the desktop
// message target under a flood of posts.
#include <QDir>
#include <QTimer>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <thread>

#include "core/registry_settings.h"
#include "gui/app/command_set.h"
#include "gui/app/desktop_message_target.h"
#include "gui/app/loop_stall_meter.h"
#include "gui/app/placement_binder.h"
#include "gui/app/tarnix_app.h"
#include "gui/mainwnd/main_commands.h"
#include "gui/mainwnd/tarnix_dlg.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"
#include "support/fake_dialogs.h"
#include "support/gui_test.h"
#include "tarnix_version.h"

namespace tarnix::gui::test {

class AppStartTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    RegistrySettings store;
    for (const wchar_t* n : {L"TarnixSrchOutputBuffMaxChLn", L"ErrMsgSrchResultsBuffMaxChLn",
                             L"ErrCodeSrchOutputBuffMaxChLn", L"OnlineSearchURL", L"SrchFor", L"reGrammar"})
      store.DeleteValue(n);
  }

  void settingsAreClampedAndFallBack() {
    RegistrySettings store;
    store.SetDword(L"TarnixSrchOutputBuffMaxChLn", 10);
    store.SetDword(L"ErrMsgSrchResultsBuffMaxChLn", 0x2000000);
    store.SetText(L"ErrCodeSrchOutputBuffMaxChLn", L"not a number");  // wrongly typed
    store.SetText(L"OnlineSearchURL", L"https://example.org/?q=");
    store.SetDword(L"SrchFor", 3);
    store.SetDword(L"reGrammar", 0x100);  // no grammar bit: every search would be refused
    FakeDialogs dialogs;
    CTarnixApp app({});
    QCOMPARE(app.settings().tarnixOutputMaxChars, 1000u);
    QCOMPARE(app.settings().errMsgResultsMaxChars, 0x1000000u);
    QCOMPARE(app.settings().errCodeOutputMaxChars, 100000u);
    QCOMPARE(app.settings().searchFor, 1u);
    QCOMPARE(app.settings().regexGrammar, 1u);
    QVERIFY(app.settings().onlineSearchUrl.find(L"%S%") != std::wstring::npos);
    // The bad template is replaced for this run only, with a beep.
    QCOMPARE(dialogs.beeps.size(), size_t(1));
    QCOMPARE(store.GetText(L"OnlineSearchURL", L""), std::wstring(L"https://example.org/?q="));
    store.SetDword(L"SrchFor", 0);
    QCOMPARE(CTarnixApp({}).settings().searchFor, 1u);
    store.SetDword(L"SrchFor", 2);
    QCOMPARE(CTarnixApp({}).settings().searchFor, 2u);
  }

  void commandLineIsParsedAndBadArgumentsBeep() {
    FakeDialogs dialogs;
    CTarnixApp app({QStringLiteral("/tmp"), QStringLiteral("/isf"), QStringLiteral("1"),
                    QStringLiteral("/li"), QStringLiteral("255"), QStringLiteral("/bogus")});
    QVERIFY(app.commandLineHasCriteria());
    QCOMPARE(app.commandLine().values.isf, 1u);
    QCOMPARE(app.commandLine().values.li, 0x7Fu);
    QVERIFY(!dialogs.beeps.empty());
    QVERIFY(app.errorCodePresetsLock() && app.errorRangePresetsLock());
  }

  // The arguments as the process got them: a folder whose name is not
  // UTF-8 is taken as the file system names it, as tarnix-cli takes it.
  void commandLinePathsAreBytes() {
    FakeDialogs dialogs;
    const std::string folder = QDir::tempPath().toStdString() + "/tarnix-\xff\xfe-" + std::to_string(getpid());
    QVERIFY(::mkdir(folder.c_str(), 0700) == 0);
    std::string isf = "/isf", one = "1", name = "tarnix", path = folder;
    char* argv[] = {name.data(), path.data(), isf.data(), one.data(), nullptr};
    {
      CTarnixApp app(4, argv);
      QVERIFY(app.commandLineHasCriteria());
      QCOMPARE(ToUtf8(app.commandLine().folder), folder + "/");
      QCOMPARE(app.commandLine().values.isf, 1u);
    }
    ::rmdir(folder.c_str());
  }

  void mainWindowHasTitleAndCloses() {
    FakeDialogs dialogs;
    CTarnixApp app({});
    auto* w = new CTarnixDlg;
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QCOMPARE(w->windowTitle(), QStringLiteral("Tarnix - [64-bit]"));
    QVERIFY(w->close());
    delete w;
    QVERIFY(dialogs.unexpected.isEmpty());
  }

  // The About box shows the version the build was given.
  void aboutShowsTheBuildVersion() {
    FakeDialogs dialogs;
    dialogs.AnswerMessageBox(IDOK);
    CTarnixApp app({});
    CTarnixDlg w;
    QVERIFY(w.commands().Trigger(kCmdAbout));
    QCOMPARE(dialogs.boxes.size(), size_t{1});
    QCOMPARE(dialogs.boxes[0].caption, QStringLiteral("About Tarnix"));
    QVERIFY2(dialogs.boxes[0].text.startsWith(QStringLiteral("Tarnix, Version " TARNIX_VERSION_FULL "\n")),
             qPrintable(dialogs.boxes[0].text));
  }
};
TARNIX_GUI_TEST(AppStartTest)

class DesktopMessageTargetTest : public QObject {
  Q_OBJECT
 private slots:
  // A worker that floods the window fills the bounded queue and waits; the
  // GUI thread keeps turning its event loop and receives every message in
  // order.
  void floodFillsTheQueueAndTheWindowStaysResponsive() {
    constexpr int kCount = 200000;
    int received = 0;
    bool inOrder = true;
    DesktopMessageTarget target(
        [&](PostedMessage& m) {
          if (static_cast<int>(m.wParam) != received) inOrder = false;
          ++received;
        },
        1000, 0);
    std::atomic<int> refusals{0};
    std::thread worker([&] {
      for (int i = 0; i < kCount; ++i) {
        PostedMessage m;
        m.id = 1;
        m.wParam = static_cast<uint64_t>(i);
        while (!target.Post(m)) {
          if (GetLastError() == ERROR_NOT_ENOUGH_QUOTA) ++refusals;
          std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
      }
    });
    // A timer that must keep firing while the flood is delivered.
    LoopStallMeter loop(10);
    loop.Start();
    QVERIFY(WaitUntil([&] { return received == kCount; }, 60000));
    worker.join();
    QVERIFY(inOrder);
    QVERIFY(refusals > 0);
    QVERIFY(loop.Ticks() > 0);
    QVERIFY2(loop.Longest() < 250, qPrintable(QString::number(loop.Longest())));
  }

  void closedTargetRefusesAndHandsThePayloadBack() {
    DesktopMessageTarget target([](PostedMessage&) {}, 2, 5);
    QCOMPARE(target.minPostIntervalMs(), 5u);
    target.Close();
    PostedMessage m;
    m.payload = std::make_unique<PayloadOf<int>>(7);
    QVERIFY(!target.Post(m));
    QCOMPARE(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    QVERIFY(m.As<int>() && *m.As<int>() == 7);
  }
};
TARNIX_GUI_TEST(DesktopMessageTargetTest)

class PlacementTest : public QObject {
  Q_OBJECT
 private slots:
  void cleanup() { SetScreenAreasForTesting(nullptr); }

  // A window saved on a screen that is gone comes back onto the screen of
  // the current layout, within its work area.
  void placementRestoredOntoAChangedScreenLayout() {
    SetScreenAreasForTesting([] {
      return std::vector<MonitorArea>{{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}},
                                      {{1920, 0, 3840, 1080}, {1920, 0, 3840, 1040}}};
    });
    {
      QWidget w;
      new PlacementBinder(&w, L"TestWnd", {});
      w.setGeometry(2200, 100, 600, 400);
      w.show();
      w.setGeometry(2200, 100, 600, 400);
      QVERIFY(QTest::qWaitForWindowExposed(&w));
      w.close();
    }
    RegistrySettings store;
    QCOMPARE(static_cast<int>(store.GetDword(L"TestWnd_l", 0)), 2200);
    // The second screen is unplugged.
    SetScreenAreasForTesting([] {
      return std::vector<MonitorArea>{{{0, 0, 1280, 1024}, {0, 0, 1280, 1000}}};
    });
    QWidget w;
    auto* binder = new PlacementBinder(&w, L"TestWnd", {});
    w.setGeometry(10, 10, 300, 200);
    binder->Restore();
    const QRect g = w.geometry();
    QVERIFY2(g.left() >= 0 && g.right() < 1280, qPrintable(QString::number(g.left())));
    QCOMPARE(g.width(), 600);
    QCOMPARE(g.height(), 400);
  }
};
TARNIX_GUI_TEST(PlacementTest)

}  // namespace tarnix::gui::test

#include "app_test.moc"
