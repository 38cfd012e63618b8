// tarnix-gui-timing errcode WINDOWS TARNIX_CLI [CODE] [RUNS]: the Error
// Code Search window looks CODE (default 5) up in System32 of the Windows
// folder WINDOWS (its built-in preset "System32 (No subfolders)"), and
// `tarnix-cli errcode CODE --in WINDOWS/System32/` does the same, taking
// turns RUNS times (default 9). Prints the rows each lists, the median
// times and their ratio, the time until the details of every row are in,
// and the longest stretch the event loop was blocked.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gui/app/command_set.h"
#include "event_wait.h"
#include "gui/app/dialogs.h"
#include "gui/app/loop_stall_meter.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/unattended_dialogs.h"
#include "gui/errcode/code_results_model.h"
#include "gui/errcode/err_code_commands.h"
#include "gui/errcode/err_code_search_dlg.h"
#include "gui/widgets/combo_box_auto.h"
#include "platform/windows_root.h"

using namespace tarnix;
using namespace tarnix::gui;

namespace {

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int RunErrCodeTiming(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: tarnix-gui-timing errcode WINDOWS TARNIX_CLI [CODE] [RUNS]\n");
    return 2;
  }
  setenv("TARNIX_WINDOWS_ROOT", argv[2], 1);
  const QString cliPath = QString::fromLocal8Bit(argv[3]);
  const QString code = QString::fromLocal8Bit(argc > 4 ? argv[4] : "5");
  const int runs = std::max(1, argc > 5 ? std::atoi(argv[5]) : 9);
  const WindowsRoot root = WindowsRoot::Find();
  const auto& system = root.Folder(root.Folder(WindowsFolder::kSystem64).empty() ? WindowsFolder::kSystem32
                                                                                 : WindowsFolder::kSystem64);
  if (system.empty()) {
    std::fprintf(stderr, "tarnix-gui-timing: %s has no System32\n", argv[2]);
    return 2;
  }

  UnattendedDialogs dialogs;
  SetAppDialogs(&dialogs);
  CTarnixApp app(QStringList{});
  CErrCodeSearchDlg window;
  window.show();
  window.findChild<CComboBoxAuto*>()->SetText(code.toStdWString());

  std::vector<double> cli, search, details;
  int cliRows = 0;
  size_t rows = 0;
  qint64 stallMax = 0;
  for (int run = 0; run < runs; ++run) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(cliPath, {QStringLiteral("errcode"), code, QStringLiteral("--in"),
                      QString::fromStdString(system.string()) + "/"});
    p.waitForFinished(-1);
    cli.push_back(t.elapsed() / 1000.0);
    cliRows = static_cast<int>(p.readAllStandardOutput().count('\n'));

    window.commands().Trigger(kEcsClearResults);
    LoopStallMeter stall;
    t.restart();
    stall.Start();
    window.StartSearch();
    WaitFor([&] { return !window.searchRunning(); }, 1);
    search.push_back(t.elapsed() / 1000.0);
    rows = window.results().rows().size();
    t.restart();
    WaitFor([&] { return !window.detailsRunning(); }, 1);
    details.push_back(t.elapsed() / 1000.0);
    stallMax = std::max(stallMax, stall.Stop());
  }

  const double c = Median(cli), s = Median(search);
  std::printf("rows listed by the window:   %zu\n", rows);
  std::printf("rows printed by tarnix-cli:  %d\n", cliRows);
  std::printf("tarnix-cli errcode (median of %d): %.3f s\n", runs, c);
  std::printf("window search, all listed:   %.3f s (%.2f x the CLI)\n", s, s / c);
  std::printf("details for every row:       %.3f s\n", Median(details));
  std::printf("longest event-loop stall:    %lld ms\n", static_cast<long long>(stallMax));
  window.close();
  SetAppDialogs(nullptr);
  return 0;
}
