// tarnix-gui-timing imginfo FOLDER [COUNT]: the main window searches FOLDER
// for every symbol, then opens the image information window (the command
// behind Ctrl+I) for COUNT results spread over the list. Prints the time
// from the command to the filled window (median and longest) and the
// longest stretch the event loop was blocked meanwhile. Modules resolve
// under the Windows folder found (TARNIX_WINDOWS_ROOT).
#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QTableView>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "event_wait.h"
#include "gui/app/command_set.h"
#include "gui/app/dialogs.h"
#include "gui/app/loop_stall_meter.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/unattended_dialogs.h"
#include "gui/imginfo/img_info_dlg.h"
#include "gui/mainwnd/main_commands.h"
#include "gui/mainwnd/tarnix_dlg.h"

using namespace tarnix;
using namespace tarnix::gui;

int RunImageInfoTiming(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: tarnix-gui-timing imginfo FOLDER [COUNT]\n");
    return 2;
  }
  const int count = argc > 3 ? std::max(1, std::atoi(argv[3])) : 200;
  UnattendedDialogs dialogs;
  SetAppDialogs(&dialogs);
  CTarnixApp app({QString::fromLocal8Bit(argv[2]), QStringLiteral("/isf"), QStringLiteral("1")});
  CTarnixDlg window;
  window.show();
  window.StartSearch(false);
  WaitFor([&] { return !window.searchRunning() && window.results().detailsComplete(); });
  const size_t rows = window.results().size();
  if (rows == 0) {
    std::fprintf(stderr, "nothing listed\n");
    return 1;
  }

  std::vector<double> times;
  LoopStallMeter stall;
  stall.Start();
  QElapsedTimer t;
  for (int i = 0; i < count; ++i) {
    const int row = static_cast<int>(rows * static_cast<size_t>(i) / static_cast<size_t>(count));
    window.resultsView()->selectionModel()->setCurrentIndex(
        window.resultsView()->model()->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    t.start();
    window.commands().Trigger(kCmdResultInfo);
    if (CImgInfoDlg* dlg = CImgInfoDlg::Current()) dlg->repaint();
    times.push_back(t.nsecsElapsed() / 1e6);
  }
  const qint64 longestStall = stall.Stop();
  std::vector<double> sorted = times;
  std::sort(sorted.begin(), sorted.end());
  std::printf("rows listed:                 %zu\n", rows);
  std::printf("windows filled:              %d\n", count);
  std::printf("command to filled window:    median %.1f ms, longest %.1f ms\n", sorted[sorted.size() / 2],
              sorted.back());
  std::printf("longest event-loop stall:    %lld ms\n", static_cast<long long>(longestStall));
  window.close();
  SetAppDialogs(nullptr);
  return 0;
}
