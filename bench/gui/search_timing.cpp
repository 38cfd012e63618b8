// tarnix-gui-timing search CORPUS [TARNIX_CLI]: the main window searches
// CORPUS (with subfolders) for every symbol, as `tarnix FOLDER /isf 1 /auto
// 1` does. Prints the time until every result is listed, the command-line
// program's time for the same search (run here, side by side), the time
// the details (versions, descriptions, undecorated names) take, the time
// to sort by Function Name, and the longest stretch the event loop was
// blocked in each phase.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHeaderView>
#include <QProcess>
#include <QTableView>
#include <QTimer>
#include <cstdio>

#include "event_wait.h"
#include "gui/app/dialogs.h"
#include "gui/app/loop_stall_meter.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/unattended_dialogs.h"
#include "gui/mainwnd/tarnix_dlg.h"

using namespace tarnix;
using namespace tarnix::gui;

int RunSearchTiming(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: tarnix-gui-timing search CORPUS [TARNIX_CLI]\n");
    return 2;
  }
  const QString corpus = QString::fromLocal8Bit(argv[2]);
  double cli = -1;
  if (argc > 3) {
    QProcess p;
    p.setStandardOutputFile(QStringLiteral("/dev/null"));
    QElapsedTimer t;
    t.start();
    p.start(QString::fromLocal8Bit(argv[3]), {QStringLiteral("search"), corpus, QStringLiteral("/isf"),
                                              QStringLiteral("1"), QStringLiteral("--quiet")});
    p.waitForFinished(-1);
    cli = t.elapsed() / 1000.0;
  }

  UnattendedDialogs dialogs;
  SetAppDialogs(&dialogs);
  CTarnixApp app({corpus, QStringLiteral("/isf"), QStringLiteral("1")});
  CTarnixDlg window;
  window.show();
  LoopStallMeter stall;

  QElapsedTimer t;
  t.start();
  stall.Start();
  window.StartSearch(false);
  WaitFor([&] { return !window.searchRunning(); });
  window.resultsView()->viewport()->repaint();
  const double search = t.elapsed() / 1000.0;
  const qint64 searchStall = stall.Stop();
  const size_t rows = window.results().entries().size();
  if (rows == 0) {
    // Nothing listed (a folder of files that are not images): no details
    // to wait for and nothing to sort.
    if (cli >= 0) std::printf("tarnix-cli search:           %.3f s\n", cli);
    std::printf("window search, nothing listed: %.3f s%s (longest stall %lld ms)\n", search,
                cli > 0 ? QStringLiteral(" (%1 x the CLI)").arg(search / cli, 0, 'f', 2).toUtf8().constData() : "",
                static_cast<long long>(searchStall));
    window.close();
    SetAppDialogs(nullptr);
    return 0;
  }

  t.restart();
  stall.Start();
  WaitFor([&] { return window.results().detailsComplete(); });
  window.resultsView()->viewport()->repaint();
  const double details = t.elapsed() / 1000.0;
  const qint64 detailsStall = stall.Stop();

  t.restart();
  stall.Start();
  emit window.resultsView()->horizontalHeader()->sectionClicked(0);  // Function Name
  WaitFor([&] { return window.results().sortColumn() == 0; });
  window.resultsView()->viewport()->repaint();
  const double sort = t.elapsed() / 1000.0;
  const qint64 sortStall = stall.Stop();

  std::printf("rows listed:                 %zu\n", rows);
  if (cli >= 0) std::printf("tarnix-cli search:           %.3f s\n", cli);
  std::printf("window search, all listed:   %.3f s%s (longest stall %lld ms)\n", search,
              cli > 0 ? QStringLiteral(" (%1 x the CLI)").arg(search / cli, 0, 'f', 2).toUtf8().constData() : "",
              static_cast<long long>(searchStall));
  std::printf("details for every row:       %.3f s (longest stall %lld ms)\n", details,
              static_cast<long long>(detailsStall));
  std::printf("sort by Function Name:       %.3f s (longest stall %lld ms)\n", sort,
              static_cast<long long>(sortStall));
  window.close();
  SetAppDialogs(nullptr);
  return 0;
}
