#include "run/message_search_run.h"

#include <algorithm>
#include <mutex>

#include "errmsg/message_search_lines.h"

namespace tarnix {

MessageSearchRun::MessageSearchRun(MessageSearchParams params) : params_(std::move(params)) {}

bool MessageSearchRun::Start(StopFlag& stop, MessageTarget& target) {
  params_.stop = &stop;
  params_.target = &target;
  params_.counters = &counters_;
  return StartMessageSearch(engine_, params_);
}

void MessageSearchRun::Translate(PostedMessage& m, RunEvents& events) {
  switch (m.id) {
    case kMsgErrMsgLines:
      if (m.payload) events.Results(*m.payload);
      break;
    case kMsgErrMsgProgress:
      events.Total(kProgressMax);
      events.Done(std::min<uint64_t>(m.lParam, kProgressMax));
      break;
    case kMsgErrMsgLabel:
      events.Current(MessageSearchProgressLabel(m));
      break;
    case kMsgErrMsgEnded:
      events.Ended(m.wParam == 1);
      break;
    default:
      break;
  }
}

RunCounts MessageSearchRun::Counts() const {
  std::lock_guard<std::mutex> lock(counters_.countersLock);
  RunCounts c;
  c.items = counters_.processed;
  c.matches = counters_.matches;
  return c;
}

}  // namespace tarnix
