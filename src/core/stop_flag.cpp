#include "core/stop_flag.h"

#include <chrono>
#include <thread>

namespace tarnix {

bool CheckStop(const StopFlag& flag) {
  for (;;) {
    uint32_t state = flag.load(std::memory_order_relaxed);
    if (state == kStopRun) return false;
    if (state >= kStopStop) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace tarnix
