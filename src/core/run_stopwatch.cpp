#include "core/run_stopwatch.h"

#include "platform/time_utils.h"

namespace tarnix {

uint64_t RunStopwatch::Now() const { return finished_ ? finishedAt_ : TickCount64(); }

void RunStopwatch::Start() {
  start_ = TickCount64();
  pausedAt_ = pausedTotal_ = finishedAt_ = 0;
  paused_ = finished_ = false;
}

void RunStopwatch::Pause() {
  if (paused_ || finished_) return;
  pausedAt_ = TickCount64();
  paused_ = true;
}

void RunStopwatch::Resume() {
  if (!paused_ || finished_) return;
  pausedTotal_ += TickCount64() - pausedAt_;
  paused_ = false;
}

void RunStopwatch::Finish() {
  if (finished_) return;
  Resume();
  finishedAt_ = TickCount64();
  finished_ = true;
}

int64_t RunStopwatch::ElapsedMs() const {
  const uint64_t now = Now();
  const uint64_t paused = pausedTotal_ + (paused_ ? now - pausedAt_ : 0);
  // A clock that went backwards gives 0 rather than a huge time.
  if (now < start_ + paused) return 0;
  return static_cast<int64_t>(now - start_ - paused);
}

}  // namespace tarnix
