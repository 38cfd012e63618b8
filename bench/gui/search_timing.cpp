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
#include <fstream>
#include <string>

#include "event_wait.h"
#include "gui/app/command_set.h"
#include "gui/app/dialogs.h"
#include "gui/app/loop_stall_meter.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/unattended_dialogs.h"
#include "gui/mainwnd/main_commands.h"
#include "gui/mainwnd/tarnix_dlg.h"
#include "results/result_column.h"

using namespace tarnix;
using namespace tarnix::gui;

namespace {

// The process's resident memory in bytes.
uint64_t ResidentBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::stoull(line.substr(6)) * 1024;
  return 0;
}

// Sorts by a result column with a header click, as the user does; answers
// the seconds and the longest stall.
std::pair<double, qint64> TimeSort(CTarnixDlg& window, int32_t column) {
  QAbstractItemModel* model = window.resultsView()->model();
  int section = -1;
  for (int c = 0; c < model->columnCount(); ++c)
    if (model->headerData(c, Qt::Horizontal).toString() == QString::fromWCharArray(ResultColumnCaption(column)))
      section = c;
  if (section < 0) return {-1, 0};
  LoopStallMeter stall;
  QElapsedTimer t;
  t.start();
  stall.Start();
  emit window.resultsView()->horizontalHeader()->sectionClicked(section);
  WaitFor([&] { return window.results().sortColumn() == column; });
  window.resultsView()->viewport()->repaint();
  return {t.elapsed() / 1000.0, stall.Stop()};
}

}  // namespace

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

  const uint64_t residentBefore = ResidentBytes();
  QElapsedTimer t;
  t.start();
  stall.Start();
  window.StartSearch(false);
  WaitFor([&] { return !window.searchRunning(); });
  window.resultsView()->viewport()->repaint();
  const double search = t.elapsed() / 1000.0;
  const qint64 searchStall = stall.Stop();
  const size_t rows = window.results().size();
  const uint64_t residentListed = ResidentBytes();
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

  const auto [sort, sortStall] = TimeSort(window, kColFunctionName);
  const auto [sortFolder, sortFolderStall] = TimeSort(window, kColFolder);
  const ResultsModel& results = window.results();
  const double perResult = double(results.memoryUsed() - results.imageMemory()) / double(rows);
  const double imagesPerResult = double(results.imageMemory()) / double(rows);
  const double residentPerResult = double(residentListed - residentBefore) / double(rows);

  t.restart();
  stall.Start();
  window.commands().Trigger(kCmdClearResults);
  window.resultsView()->viewport()->repaint();
  QCoreApplication::processEvents();
  const double clear = t.elapsed() / 1000.0;
  const qint64 clearStall = stall.Stop();

  std::printf("rows listed:                 %zu\n", rows);
  if (cli >= 0) std::printf("tarnix-cli search:           %.3f s\n", cli);
  std::printf("window search, all listed:   %.3f s%s (longest stall %lld ms)\n", search,
              cli > 0 ? QStringLiteral(" (%1 x the CLI)").arg(search / cli, 0, 'f', 2).toUtf8().constData() : "",
              static_cast<long long>(searchStall));
  std::printf("details for every row:       %.3f s (longest stall %lld ms)\n", details,
              static_cast<long long>(detailsStall));
  std::printf("list memory per result:      %.1f bytes (rows and texts) + %.1f bytes (image records); "
              "process grew %.1f bytes per result while listing\n",
              perResult, imagesPerResult, residentPerResult);
  std::printf("sort by Function Name:       %.3f s (longest stall %lld ms)\n", sort,
              static_cast<long long>(sortStall));
  std::printf("sort by Folder:              %.3f s (longest stall %lld ms)\n", sortFolder,
              static_cast<long long>(sortFolderStall));
  std::printf("clear the list:              %.3f s (longest stall %lld ms)\n", clear,
              static_cast<long long>(clearStall));
  window.close();
  SetAppDialogs(nullptr);
  return 0;
}
