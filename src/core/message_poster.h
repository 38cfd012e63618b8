#pragma once
// How a worker posts to its target: posts spaced at least the target's
// minimum interval apart; a post refused because the queue is full is
// retried after a stop check (with a chance to post progress in between);
// any other refusal fails. The worker keeps (and frees) whatever was not
// delivered.
#include <cstdint>
#include <functional>

#include "core/stop_flag.h"
#include "platform/message_target.h"

namespace tarnix {

class MessagePoster {
 public:
  enum Result : int { kFailed = -1, kStopped = 0, kDelivered = 1 };

  // `target` may be null: every post then fails with ERROR_INVALID_BLOCK (9).
  MessagePoster(MessageTarget* target, const StopFlag& stop);

  // Called before each retry of a post refused for a full queue, so the
  // worker can post progress while it waits.
  void SetRetryHook(std::function<void()> hook) { retryHook_ = std::move(hook); }

  // Posts `msg`. kDelivered: the target owns it. kStopped: the stop flag
  // asked to stop while the queue was full. kFailed: the last error says
  // why. In the last two cases msg still holds its payload.
  Result Post(PostedMessage& msg);

  // Posts without the queue-full retry (used for progress, which is simply
  // dropped when the queue is full). Spacing still applies.
  bool TryPost(PostedMessage& msg);

  MessageTarget* target() const { return target_; }

 private:
  void WaitInterval();

  MessageTarget* target_;
  const StopFlag& stop_;
  std::function<void()> retryHook_;
  uint64_t lastPostTick_ = 0;
  bool posted_ = false;
};

}  // namespace tarnix
