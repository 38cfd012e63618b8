#include "run/details_run.h"

namespace tarnix {

bool DetailsRun::Start(StopFlag& stop, MessageTarget& target) {
  request_.stop = &stop;
  request_.target = &target;
  return pass_.Start(std::move(request_));
}

void DetailsRun::Translate(PostedMessage& m, RunEvents& events) {
  switch (m.id) {
    case kMsgDetailsFiles:
    case kMsgDetailsNames:
      if (m.payload) events.Results(*m.payload);
      break;
    case kMsgDetailsDone:
      events.Ended(m.wParam == 1);
      break;
    default:
      break;
  }
}

}  // namespace tarnix
