// tarnix-gui-timing post [COUNT]: posts COUNT result records (250,000 by
// default) the way the search worker does, once to a queue drained like the
// command-line program drains it (each record formatted as its text line),
// once through the desktop message target into a shown results list, and
// prints both times, their ratio, the longest stretch the window's event
// loop was blocked, the list's memory per result and the time to clear it.
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

// The records as the worker delivers them: 200 results per image.
struct Record {
  uint32_t image;
  std::wstring path, name;
  ImageProperties properties;
  uint32_t kind, ordinal;
  int32_t hint;
};

std::vector<Record> MakeRecords(size_t n) {
  std::vector<Record> v(n);
  for (size_t i = 0; i < n; ++i) {
    Record& r = v[i];
    r.image = static_cast<uint32_t>(i / 200);
    r.path = L"/mnt/c/Windows/System32/module" + std::to_wstring(i / 200) + L".dll";
    r.name = L"SomeExportedFunction" + std::to_wstring(i);
    r.kind = 1 + static_cast<uint32_t>(i % 3);
    r.properties.imageType = 2;
    r.properties.timeStamp = 1600000000 + static_cast<uint32_t>(i / 200);
    r.ordinal = static_cast<uint32_t>(i % 4000);
    r.hint = static_cast<int32_t>(i % 1000);
  }
  return v;
}

// The worker's side: every record into the batch the worker fills, then a flush.
void Produce(MessageTarget& target, const std::vector<Record>& records) {
  StopFlag stop{kStopRun};
  MessagePoster poster(&target, stop);
  BatchPosterOf<ResultBatch> batch(poster, kMsgResults, 16384);
  for (const Record& r : records) {
    batch.batch().Add(r.image, r.path, r.properties, r.kind, r.name, L"KERNEL32.dll", r.ordinal, r.hint);
    batch.Added();
  }
  batch.Flush();
  PostedMessage end;
  end.id = kMsgSearchEnded;
  poster.Post(end);
}

double CliSeconds(const std::vector<Record>& records) {
  QueueMessageTarget target(16, 1);
  FILE* out = std::fopen("/dev/null", "w");
  const std::vector<int32_t> columns = {0, 14, 1, 2, 3, 5, 4, 12, 13};
  QElapsedTimer t;
  t.start();
  std::thread worker([&] { Produce(target, records); });
  std::wstring line;
  ResultEntry e;
  uint64_t id = 1;
  for (bool ended = false; !ended;) {
    PostedMessage m;
    if (!target.Take(m, std::chrono::milliseconds(200))) continue;
    if (m.id == kMsgSearchEnded) ended = true;
    const ResultBatch* batch = m.As<ResultBatch>();
    if (m.id != kMsgResults || !batch) continue;
    for (size_t i = 0; i < batch->size(); ++i) {
      batch->Fill(i, e.result);
      e.id = id++;
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
  const std::vector<Record> records = MakeRecords(count);
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
    if (m.id == kMsgResults) model.Append(*m.As<ResultBatch>());
    if (m.id == kMsgSearchEnded) ended = true;
  });
  gui::LoopStallMeter stall;
  QElapsedTimer t;
  t.start();
  stall.Start();
  std::thread worker([&] { Produce(target, records); });
  while (!ended || results.size() < count) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  view.viewport()->repaint();
  const double desktop = t.elapsed() / 1000.0;
  const qint64 listStall = stall.Stop();
  worker.join();
  const double rowsAndTexts = double(results.memoryUsed() - results.imageMemory()) / double(count);
  const double images = double(results.imageMemory()) / double(count);
  // Clearing, as a new search or "Clear Search Results" does.
  t.restart();
  stall.Start();
  model.Clear();
  view.viewport()->repaint();
  QCoreApplication::processEvents();
  const double clear = t.elapsed() / 1000.0;
  const qint64 clearStall = stall.Stop();
  std::printf("records:                 %zu\n", count);
  std::printf("command-line queue:      %.3f s (each record formatted as its line)\n", cli);
  std::printf("desktop list:            %.3f s (all %zu rows in the shown list)\n", desktop, count);
  std::printf("ratio desktop / cli:     %.2f\n", desktop / cli);
  std::printf("longest event-loop stall: %lld ms\n", static_cast<long long>(listStall));
  std::printf("list memory per result:  %.1f bytes (rows and texts), %.1f bytes (image records)\n", rowsAndTexts,
              images);
  std::printf("clearing the list:       %.3f s (longest stall %lld ms)\n", clear, static_cast<long long>(clearStall));
  return 0;
}
