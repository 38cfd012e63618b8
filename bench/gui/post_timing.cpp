// tarnix-gui-timing post [COUNT]: posts COUNT result records (250,000 by
// default) the way the search worker does, once to a queue drained like the
// command-line program drains it (each record formatted as its text line),
// once through the desktop message target into a shown results list, and
// prints both times, their ratio and the longest stretch the window's event
// loop was blocked.
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTableView>
#include <QTimer>
#include <cstdio>
#include <thread>

#include "core/message_poster.h"
#include "gui/app/desktop_message_target.h"
#include "gui/app/loop_stall_meter.h"
#include "gui/mainwnd/results_table_model.h"
#include "results/column_layout.h"
#include "results/text_export.h"
#include "symbolsearch/search_messages.h"

using namespace tarnix;

namespace {

std::vector<SymbolResult> MakeRecords(size_t n) {
  std::vector<SymbolResult> v(n);
  for (size_t i = 0; i < n; ++i) {
    SymbolResult& r = v[i];
    r.file = L"/mnt/c/Windows/System32/module" + std::to_wstring(i / 200) + L".dll";
    r.name = L"SomeExportedFunction" + std::to_wstring(i);
    r.module = L"KERNEL32.dll";
    r.kind = 1 + static_cast<uint32_t>(i % 3);
    r.properties.imageType = 2;
    r.properties.timeStamp = 1600000000 + static_cast<uint32_t>(i);
    r.ordinal = static_cast<uint32_t>(i % 4000);
    r.nameIndexOrHint = static_cast<int32_t>(i % 1000);
  }
  return v;
}

// The worker's side: every record through a BatchPoster, then a flush.
void Produce(MessageTarget& target, const std::vector<SymbolResult>& records) {
  StopFlag stop{kStopRun};
  MessagePoster poster(&target, stop);
  BatchPoster<SymbolResult> batch(poster, kMsgResults, 16384);
  for (const SymbolResult& r : records) batch.Add(r);
  batch.Flush();
  PostedMessage end;
  end.id = kMsgSearchEnded;
  poster.Post(end);
}

double CliSeconds(const std::vector<SymbolResult>& records) {
  QueueMessageTarget target(8192, 0);
  FILE* out = std::fopen("/dev/null", "w");
  const std::vector<int32_t> columns = {0, 14, 1, 2, 3, 5, 4, 12, 13};
  QElapsedTimer t;
  t.start();
  std::thread worker([&] { Produce(target, records); });
  std::wstring line;
  uint64_t id = 1;
  for (bool ended = false; !ended;) {
    PostedMessage m;
    if (!target.Take(m, std::chrono::milliseconds(200))) continue;
    if (m.id == kMsgSearchEnded) ended = true;
    if (m.id != kMsgResults) continue;
    for (SymbolResult& r : *m.As<std::vector<SymbolResult>>()) {
      ResultEntry e;
      e.id = id++;
      e.result = std::move(r);
      ResultExportLine(e, columns, true, line);
      std::fprintf(out, "%ls\n", line.c_str());
    }
  }
  worker.join();
  std::fclose(out);
  return t.elapsed() / 1000.0;
}

}  // namespace

int RunPostTiming(int argc, char** argv) {
  const size_t count = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 250000;
  const std::vector<SymbolResult> records = MakeRecords(count);
  const double cli = CliSeconds(records);

  ResultsModel results;
  gui::ResultsTableModel model(results);
  model.SetColumns(DefaultColumnLayout(1000));
  model.BeginSearch(true, false);  // as the window starts a search
  QTableView view;
  view.setModel(&model);
  view.resize(1000, 600);
  view.show();
  bool ended = false;
  gui::DesktopMessageTarget target([&](PostedMessage& m) {
    if (m.id == kMsgResults) model.Append(std::move(*m.As<std::vector<SymbolResult>>()));
    if (m.id == kMsgSearchEnded) ended = true;
  });
  gui::LoopStallMeter stall;
  QElapsedTimer t;
  t.start();
  stall.Start();
  std::thread worker([&] { Produce(target, records); });
  while (!ended || results.entries().size() < count) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  view.viewport()->repaint();
  const double desktop = t.elapsed() / 1000.0;
  worker.join();
  std::printf("records:                 %zu\n", count);
  std::printf("command-line queue:      %.3f s (each record formatted as its line)\n", cli);
  std::printf("desktop list:            %.3f s (all %zu rows in the shown list)\n", desktop,
              results.entries().size());
  std::printf("ratio desktop / cli:     %.2f\n", desktop / cli);
  std::printf("longest event-loop stall: %lld ms\n", static_cast<long long>(stall.Stop()));
  return 0;
}
