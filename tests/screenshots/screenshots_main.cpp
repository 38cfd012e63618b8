// tarnix-screenshots OUTDIR SAMPLES [--dark]: renders every window of the
// desktop program into OUTDIR as a PNG (offscreen, fixed sizes), so that the
// windows can be looked at without a display: the main window idle,
// searching and with results, every filter dialog in every use, the date
// picker, the binary file type picker, the help window, the busy popup and
// a confirmable message box. SAMPLES is a folder of images to search.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFont>
#include <QHeaderView>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QStyleFactory>
#include <QTableView>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "gui/app/dialogs.h"
#include "gui/app/resources.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/unattended_dialogs.h"
#include "gui/dialogs/binary_file_presets.h"
#include "gui/dialogs/date_time_dlg.h"
#include "gui/dialogs/more_info_dlg.h"
#include "gui/dialogs/multi_sel_dlg.h"
#include "gui/mainwnd/tarnix_dlg.h"
#include "gui/widgets/busy_progress_dlg.h"
#include "platform/time_utils.h"

using namespace tarnix;
using namespace tarnix::gui;

namespace {

QString g_out;
int g_shots = 0;

void Shoot(QWidget& w, const QString& name, QSize size = QSize()) {
  if (size.isValid()) w.resize(size);
  w.show();
  if (!QTest::qWaitForWindowExposed(&w)) std::fprintf(stderr, "not shown: %s\n", qPrintable(name));
  QTest::qWait(60);
  const QString path = QDir(g_out).filePath(name + QStringLiteral(".png"));
  if (w.grab().save(path)) {
    ++g_shots;
    std::printf("%s\n", qPrintable(path));
  } else {
    std::fprintf(stderr, "could not write %s\n", qPrintable(path));
  }
}

QPushButton* Button(QWidget* w, const QString& text) {
  for (QPushButton* b : w->findChildren<QPushButton*>())
    if (b->text() == text) return b;
  return nullptr;
}

void DarkPalette(QApplication& app) {
  QPalette p;
  p.setColor(QPalette::Window, QColor(45, 45, 48));
  p.setColor(QPalette::WindowText, QColor(220, 220, 220));
  p.setColor(QPalette::Base, QColor(30, 30, 30));
  p.setColor(QPalette::AlternateBase, QColor(40, 40, 44));
  p.setColor(QPalette::Text, QColor(220, 220, 220));
  p.setColor(QPalette::Button, QColor(55, 55, 60));
  p.setColor(QPalette::ButtonText, QColor(220, 220, 220));
  p.setColor(QPalette::Highlight, QColor(38, 79, 120));
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::Link, QColor(120, 170, 255));
  p.setColor(QPalette::ToolTipBase, QColor(60, 60, 60));
  p.setColor(QPalette::ToolTipText, QColor(220, 220, 220));
  p.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
  app.setPalette(p);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: tarnix-screenshots OUTDIR SAMPLES [--dark]\n");
    return 2;
  }
  const bool dark = argc > 3 && std::string(argv[3]) == "--dark";
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  InitResources();
  CTarnixApp::SetApplicationNames(app);
  app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
  if (dark) DarkPalette(app);
  g_out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(g_out);
  const QString samples = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
  const QString suffix = dark ? QStringLiteral("-dark") : QString();
  UnattendedDialogs dialogs;
  SetAppDialogs(&dialogs);

  {
    CTarnixApp idle({});
    CTarnixDlg w;
    w.resize(1100, 760);
    Shoot(w, QStringLiteral("main-idle") + suffix);
  }
  {
    CTarnixApp withFolder({samples});
    CTarnixDlg w;
    w.resize(1100, 760);
    w.action(QStringLiteral("PE Header Filters"))->trigger();
    w.action(QStringLiteral("Status Output"))->trigger();
    w.show();
    QTest::qWait(50);
    w.StartSearch(false);
    // Paused at once: the window shows its running controls.
    if (QPushButton* pause = Button(&w, QStringLiteral("&Pause"))) pause->click();
    Shoot(w, QStringLiteral("main-searching") + suffix);
    if (QPushButton* resume = Button(&w, QStringLiteral("Res&ume"))) resume->click();
    QElapsedTimer t;
    t.start();
    while ((w.searchRunning() || !w.results().detailsComplete()) && t.elapsed() < 20000)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    w.resultsView()->selectRow(2);
    Shoot(w, QStringLiteral("main-results") + suffix);
    w.action(QStringLiteral("Import Libraries"))->trigger();
    Shoot(w, QStringLiteral("main-importlibs") + suffix);
    w.action(QStringLiteral("WinAPIs"))->trigger();
    w.close();
  }

  CTarnixApp tarnixApp({});
  const char* uses[] = {"lookin", "type", "subsystems", "characteristics", "directories", "undecoration"};
  const uint64_t masks[] = {0x3, 0x2, 0x8 | 0x4, 0x2000000 | 0x1 | 0x8000000000000ULL, 0x4000 | 0x800 | 0x2000000, 0x2};
  const uint64_t values[] = {0, 0, 0, 0x2000000, 0x4000 | 0x2000000, 0};
  for (int use = 0; use < 6; ++use) {
    CMultiSelDlg d(nullptr, use, masks[use], values[use]);
    Shoot(d, QStringLiteral("filter-%1").arg(QString::fromLatin1(uses[use])) + suffix);
    d.close();
  }
  {
    CDateTimeDlg any(nullptr, QStringLiteral("'Time Stamp' Filter: FROM"),
                     QStringLiteral("Local date and time. For a match, the image timestamp has to be on or after this date."),
                     true, 0);
    Shoot(any, QStringLiteral("timestamp-any") + suffix);
    any.close();
    CDateTimeDlg set(nullptr, QStringLiteral("'Time Stamp' Filter: TO"),
                     QStringLiteral("Local date and time. For a match, the image timestamp has to be on or before this date."),
                     false, UnixSecondsToFileTime(1700000000));
    Shoot(set, QStringLiteral("timestamp-set") + suffix);
    set.close();
  }
  {
    CBinaryFilePresets d(0x1F);
    Shoot(d, QStringLiteral("binary-file-presets") + suffix);
    d.close();
  }
  {
    CMoreInfoDlg help(nullptr, QStringLiteral("regex"));
    Shoot(help, QStringLiteral("help") + suffix, QSize(820, 640));
    help.close();
  }
  {
    CBusyProgressDlg busy(nullptr);
    busy.SetTexts(QStringLiteral("Please wait..."), QStringLiteral("Saving data in a file..."),
                  QStringLiteral("Tarnix"), QStringLiteral("&Cancel"));
    busy.SetBarValue(1700);
    Shoot(busy, QStringLiteral("busy-popup") + suffix);
    busy.close();
  }
  {
    // A confirmable box as the program shows it.
    QMessageBox box;
    box.setWindowTitle(QStringLiteral("Tarnix"));
    box.setIcon(QMessageBox::Information);
    box.setText(QStringLiteral("Search has finished.\n\n6 file(s) searched, 42 result(s) found.\n\n(Refer to the status output for additional details.)"));
    box.addButton(QMessageBox::Ok);
    box.setCheckBox(new QCheckBox(QString::fromUtf8(kDontShowAgainText), &box));
    Shoot(box, QStringLiteral("confirmable-box") + suffix);
    box.close();
  }
  SetAppDialogs(nullptr);
  std::printf("%d pictures in %s\n", g_shots, qPrintable(g_out));
  return g_shots > 0 ? 0 : 1;
}
