#include "run/symbol_search_run.h"

#include <mutex>

namespace tarnix {

SymbolSearchRun::SymbolSearchRun(SearchParams params, SearchStartSettings settings, UndecorateFn undecorate)
    : params_(std::move(params)), settings_(settings), engine_(std::move(undecorate)) {}

bool SymbolSearchRun::Start(StopFlag& stop, MessageTarget& target) {
  params_.stopFlag = &stop;
  params_.statistics = &stats_;
  params_.window = &target;
  return engine_.Start(params_, settings_);
}

uint64_t SymbolSearchRun::TotalSize() const {
  std::lock_guard<std::mutex> lock(stats_.sizeLock);
  return stats_.sizeKnown ? stats_.totalSize : 0;
}

void SymbolSearchRun::Translate(PostedMessage& m, RunEvents& events) {
  switch (m.id) {
    case kMsgStatusLine:
      if (auto* line = m.As<std::wstring>()) events.Status({std::move(*line)});
      break;
    case kMsgStatusLines:
      if (auto* lines = m.As<std::vector<std::wstring>>()) events.Status(std::move(*lines));
      break;
    case kMsgSizeScanEnded:
      if (m.wParam == 1) events.Total(TotalSize());
      break;
    case kMsgProgress:
      events.Total(TotalSize());
      events.Done(m.wParam | (m.lParam << 32));
      break;
    case kMsgCurrentFile:
      if (auto* path = m.As<std::wstring>()) events.Current(std::move(*path));
      break;
    case kMsgResults:
      if (m.payload) events.Results(*m.payload);
      break;
    case kMsgSearchEnded:
      events.Ended(m.wParam == 1);
      break;
    default:
      break;
  }
}

RunCounts SymbolSearchRun::Counts() const {
  std::lock_guard<std::mutex> lock(stats_.countersLock);
  RunCounts c;
  c.items = stats_.filesSearched;
  c.errors = stats_.errors;
  c.warnings = stats_.warnings;
  return c;
}

}  // namespace tarnix
