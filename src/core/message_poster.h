#pragma once
// How a worker posts to its target: posts spaced at least the target's
// minimum interval apart; a post refused because the queue is full is
// retried after a stop check (with a chance to post progress in between);
// any other refusal fails. The worker keeps (and frees) whatever was not
// delivered.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/stop_flag.h"
#include "platform/last_error.h"
#include "platform/message_target.h"
#include "platform/win_errors.h"

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

  // True when the target's spacing since the last post has passed.
  bool Due() const;

  MessageTarget* target() const { return target_; }

 private:
  void WaitInterval();

  MessageTarget* target_;
  const StopFlag& stop_;
  std::function<void()> retryHook_;
  uint64_t lastPostTick_ = 0;
  bool posted_ = false;
};

// Collects records and posts them as one message (payload: the Batch)
// whenever the target's spacing allows, so that the spacing limits the
// number of posts, never the number of records: a worker never waits for
// the spacing, and a window receives everything ready since the last post
// at once. A batch that reaches `maxBatch` records is posted at once,
// waiting for the spacing and for room in the queue, so memory stays
// bounded when the receiver falls behind. A batch of fewer than `minBatch`
// records waits for more, unless Flush() sends it as the last. A Batch has
// size() (its record count) and is default-constructed empty.
template <class Batch>
class BatchPosterOf {
 public:
  BatchPosterOf(MessagePoster& poster, uint32_t id, size_t maxBatch, size_t minBatch = 1)
      : poster_(poster),
        id_(id),
        maxBatch_(maxBatch ? maxBatch : 1),
        minBatch_(minBatch < 1 ? 1 : minBatch > maxBatch_ ? maxBatch_ : minBatch) {}

  // The batch being filled: the caller appends one record, then calls Added().
  Batch& batch() { return held_; }

  // Posts the batch when it is due after a record was added. Answers the
  // poster's result for that post (kDelivered when nothing was posted).
  // After kStopped or kFailed the held records are dropped.
  MessagePoster::Result Added() {
    if (held_.size() >= maxBatch_) return Flush();
    if (held_.size() < minBatch_ || !poster_.Due()) return MessagePoster::kDelivered;
    PostedMessage m = Take();
    if (poster_.TryPost(m)) return MessagePoster::kDelivered;
    if (GetLastError() != ERROR_NOT_ENOUGH_QUOTA) return MessagePoster::kFailed;
    Restore(m);  // the queue is full: keep the records for the next try
    return MessagePoster::kDelivered;
  }

  // Posts what is held (at least `minBatch` records) when the spacing
  // allows, without waiting; a full queue keeps the records for the next try.
  void PostIfDue() {
    if (held_.size() < minBatch_ || !poster_.Due()) return;
    PostedMessage m = Take();
    if (!poster_.TryPost(m)) Restore(m);
  }

  // Posts whatever is held, waiting as MessagePoster::Post does.
  MessagePoster::Result Flush() {
    if (held_.size() == 0) return MessagePoster::kDelivered;
    PostedMessage m = Take();
    return poster_.Post(m);
  }

  size_t held() const { return held_.size(); }

 private:
  PostedMessage Take() {
    PostedMessage m;
    m.id = id_;
    m.payload = std::make_unique<PayloadOf<Batch>>(std::move(held_));
    held_ = Batch{};
    return m;
  }

  void Restore(PostedMessage& m) { held_ = std::move(static_cast<PayloadOf<Batch>*>(m.payload.get())->value); }

  MessagePoster& poster_;
  const uint32_t id_;
  const size_t maxBatch_;
  const size_t minBatch_;
  Batch held_;
};

// Records of one type, posted as a std::vector<T>.
template <class T>
class BatchPoster : public BatchPosterOf<std::vector<T>> {
 public:
  using BatchPosterOf<std::vector<T>>::BatchPosterOf;

  // Adds one record and posts the batch when it is due (see Added()).
  MessagePoster::Result Add(T item) {
    this->batch().push_back(std::move(item));
    return this->Added();
  }
};

}  // namespace tarnix
