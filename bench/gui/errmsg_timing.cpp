// tarnix-gui-timing errmsg WINDOWS TARNIX_CLI [RUNS]: the Error Message
// Search window searches "access" over the built-in set 7 (the Win32 codes
// and the whole HRESULT warning/error range) with WINDOWS as the Windows
// folder, and `tarnix-cli errmsg access --set 7` does the same, taking turns
// RUNS times (default 9). Prints whether both wrote the same lines (the
// finish line's time aside), the median times and their ratio, and the
// longest stretch the event loop was blocked.
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "errmsg/range_set.h"
#include "event_wait.h"
#include "gui/app/dialogs.h"
#include "gui/app/loop_stall_meter.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/unattended_dialogs.h"
#include "gui/errmsg/err_msg_search_dlg.h"
#include "gui/widgets/output_text_box.h"
#include "gui/widgets/pattern_box.h"

using namespace tarnix;
using namespace tarnix::gui;

namespace {

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The lines without the finish line, which holds the time taken.
QStringList Body(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QStringList lines = text.split(QLatin1Char('\n'));
  while (!lines.isEmpty() && (lines.back().isEmpty() || lines.back().startsWith(QStringLiteral("Search finished"))))
    lines.removeLast();
  return lines;
}

}  // namespace

int RunErrMsgTiming(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: tarnix-gui-timing errmsg WINDOWS TARNIX_CLI [RUNS]\n");
    return 2;
  }
  setenv("TARNIX_WINDOWS_ROOT", argv[2], 1);
  const QString cliPath = QString::fromLocal8Bit(argv[3]);
  const int runs = std::max(1, argc > 4 ? std::atoi(argv[4]) : 9);

  UnattendedDialogs dialogs;
  SetAppDialogs(&dialogs);
  CTarnixApp app(QStringList{});
  CErrMsgSearchDlg window;
  window.show();
  window.SetRanges(BuildBuiltInRangeSets().at(7).ranges);
  window.pattern()->SetText(L"access");

  std::vector<double> cli, search;
  QStringList cliLines, windowLines;
  qint64 stallMax = 0;
  for (int run = 0; run < runs; ++run) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(cliPath, {QStringLiteral("errmsg"), QStringLiteral("access"), QStringLiteral("--set"), QStringLiteral("7")});
    p.waitForFinished(-1);
    cli.push_back(t.elapsed() / 1000.0);
    cliLines = Body(QString::fromUtf8(p.readAllStandardOutput()));

    LoopStallMeter stall;
    t.restart();
    stall.Start();
    window.StartSearch();
    WaitFor([&] { return !window.searchRunning(); }, 1);
    search.push_back(t.elapsed() / 1000.0);
    stallMax = std::max(stallMax, stall.Stop());
    windowLines = Body(QString::fromStdWString(window.results()->Text()));
  }

  const double c = Median(cli), s = Median(search);
  std::printf("lines: window %lld, tarnix-cli %lld, %s\n", static_cast<long long>(windowLines.size()),
              static_cast<long long>(cliLines.size()), windowLines == cliLines ? "the same" : "DIFFERENT");
  std::printf("tarnix-cli errmsg access --set 7 (median of %d): %.3f s\n", runs, c);
  std::printf("window search, all shown:    %.3f s (%.2f x the CLI)\n", s, s / c);
  std::printf("longest event-loop stall:    %lld ms\n", static_cast<long long>(stallMax));
  window.close();
  SetAppDialogs(nullptr);
  return windowLines == cliLines ? 0 : 1;
}
