#pragma once
// A manual-reset event: the waitable "cancel event" handed to long
// operations. Set() wakes every waiter and stays signalled until Reset().
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace tarnix {

class WaitEvent {
 public:
  WaitEvent() = default;
  WaitEvent(const WaitEvent&) = delete;
  WaitEvent& operator=(const WaitEvent&) = delete;

  void Set();
  void Reset();
  bool IsSet() const;
  // Waits up to `timeoutMs` (0 = just test); true when signalled.
  bool Wait(uint32_t timeoutMs) const;

 private:
  mutable std::mutex mutex_;  // guards signalled_
  mutable std::condition_variable changed_;
  bool signalled_ = false;
};

}  // namespace tarnix
