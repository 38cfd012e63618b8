#include "core/message_poster.h"

#include <chrono>
#include <thread>

#include "platform/last_error.h"
#include "platform/time_utils.h"
#include "platform/win_errors.h"

namespace tarnix {

MessagePoster::MessagePoster(MessageTarget* target, const StopFlag& stop)
    : target_(target), stop_(stop) {}

void MessagePoster::WaitInterval() {
  uint32_t interval = target_->minPostIntervalMs();
  if (interval == 0) return;
  uint64_t now = TickCount64();
  if (posted_ && now - lastPostTick_ < interval)
    std::this_thread::sleep_for(std::chrono::milliseconds(interval - (now - lastPostTick_)));
}

bool MessagePoster::Due() const {
  if (!target_ || !posted_) return true;
  uint32_t interval = target_->minPostIntervalMs();
  return interval == 0 || TickCount64() - lastPostTick_ >= interval;
}

bool MessagePoster::TryPost(PostedMessage& msg) {
  if (!target_) {
    SetLastError(ERROR_INVALID_BLOCK);
    return false;
  }
  WaitInterval();
  bool ok = target_->Post(msg);
  if (ok) {
    lastPostTick_ = TickCount64();
    posted_ = true;
  }
  return ok;
}

MessagePoster::Result MessagePoster::Post(PostedMessage& msg) {
  for (;;) {
    if (TryPost(msg)) return kDelivered;
    if (GetLastError() != ERROR_NOT_ENOUGH_QUOTA) return kFailed;
    if (CheckStop(stop_)) {
      SetLastError(ERROR_CANCELLED);
      return kStopped;
    }
    if (retryHook_) retryHook_();
    // A full queue drains on the receiver's thread; give it a moment rather
    // than spinning until it has.
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace tarnix
