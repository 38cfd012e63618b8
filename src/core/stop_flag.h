#pragma once
// The 32-bit stop state a window shares with its workers: 0 run, 1 pause
// (workers sleep in 10 ms steps at their next check), 2 or more stop.
#include <atomic>
#include <cstdint>

namespace tarnix {

enum StopState : uint32_t { kStopRun = 0, kStopPause = 1, kStopStop = 2 };

using StopFlag = std::atomic<uint32_t>;

// Reads the flag; while it says pause, sleeps in 10 ms steps. Answers true
// when the worker must stop, false to go on.
bool CheckStop(const StopFlag& flag);

}  // namespace tarnix
