#include "run/error_code_search_run.h"

#include "core/event_log.h"

namespace tarnix {

ErrorCodeSearchRun::ErrorCodeSearchRun(ErrorCodeSearchRequest request) : request_(std::move(request)) {}

bool ErrorCodeSearchRun::Start(StopFlag& stop, MessageTarget& target) {
  request_.stop = &stop;
  request_.window = &target;
  started_ = engine_.Start(request_);
  return started_;
}

void ErrorCodeSearchRun::Translate(PostedMessage& m, RunEvents& events) {
  switch (m.id) {
    case kEcsMsgStatusLine:
      if (auto* line = m.As<std::wstring>()) events.Status({std::move(*line)});
      break;
    case kEcsMsgCurrentPath:
      if (auto* path = m.As<std::wstring>()) events.Current(std::move(*path));
      break;
    case kEcsMsgProgress:
      events.Done((m.lParam << 32) | (m.wParam & 0xFFFFFFFFu));
      break;
    case kEcsMsgCountingFinished: {
      uint64_t total = 0;
      if (m.wParam == 1 && engine_.TotalFiles(total))
        events.Total(total);
      else if (m.wParam == 1)
        EventLog::LogSite(474);
      break;
    }
    case kEcsMsgResult:
      if (m.payload) events.Results(*m.payload);
      break;
    case kEcsMsgSearchFinished:
      events.Ended(m.wParam == 1);
      break;
    default:
      break;
  }
}

RunCounts ErrorCodeSearchRun::Counts() const {
  RunCounts c;
  if (!started_) return c;
  c.items = engine_.filesExamined();
  c.matches = engine_.matchCount();
  return c;
}

}  // namespace tarnix
