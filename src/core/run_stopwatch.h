#pragma once
// The run time of a search as its window reports it: from the start to
// now (or to the end), less the time spent paused. The symbol, error code
// and message searches all keep their time with it.
#include <cstdint>

namespace tarnix {

class RunStopwatch {
 public:
  void Start();
  void Pause();   // no effect while paused
  void Resume();  // no effect while running
  void Finish();  // freezes the time; Start begins anew
  int64_t ElapsedMs() const;
  bool paused() const { return paused_; }

 private:
  uint64_t Now() const;

  uint64_t start_ = 0;
  uint64_t pausedAt_ = 0;
  uint64_t pausedTotal_ = 0;
  uint64_t finishedAt_ = 0;
  bool paused_ = false;
  bool finished_ = false;
};

}  // namespace tarnix
