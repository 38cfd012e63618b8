#pragma once
// The receiver of a worker's posted messages: a window in the desktop
// program, a queue drained by the main thread in the command-line program, a
// recorder in tests. Workers never touch a window; they post.
//
// A post transfers ownership of the message's payload to the target. A post
// that is refused leaves the message (payload included) with the caller, and
// the last error says why: ERROR_NOT_ENOUGH_QUOTA (1816) when the queue is
// full, ERROR_INVALID_WINDOW_HANDLE (1400) when the target has closed.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>

namespace tarnix {

// Base of every object that travels with a message.
struct MessagePayload {
  virtual ~MessagePayload() = default;
};

// A payload holding one value (a status line, a result record, ...).
template <class T>
struct PayloadOf : MessagePayload {
  explicit PayloadOf(T v) : value(std::move(v)) {}
  T value;
};

struct PostedMessage {
  uint32_t id = 0;
  uint64_t wParam = 0;
  uint64_t lParam = 0;
  std::unique_ptr<MessagePayload> payload;

  // The payload as T, or null when there is none or it has another type.
  template <class T>
  T* As() const {
    auto* p = dynamic_cast<PayloadOf<T>*>(payload.get());
    return p ? &p->value : nullptr;
  }
};

class MessageTarget {
 public:
  virtual ~MessageTarget() = default;

  // Posts `msg`. True: the target owns it now (msg is left empty). False:
  // msg is unchanged and the last error holds the reason.
  virtual bool Post(PostedMessage& msg) = 0;

  // The least time, in milliseconds, a worker leaves between two posts to
  // this target. A window asks for 5 so that a fast search cannot flood its
  // message queue; a target that drains straight to a stream asks for none.
  virtual uint32_t minPostIntervalMs() const = 0;
};

// A bounded first-in first-out queue of messages, drained by its owner.
class QueueMessageTarget : public MessageTarget {
 public:
  QueueMessageTarget(size_t capacity, uint32_t minPostIntervalMs);

  bool Post(PostedMessage& msg) override;
  uint32_t minPostIntervalMs() const override { return minInterval_; }

  // Takes the oldest message, waiting up to `timeout`; false when none came.
  bool Take(PostedMessage& out, std::chrono::milliseconds timeout);
  // Refuses every later post (ERROR_INVALID_WINDOW_HANDLE).
  void Close();
  // Drops the queued messages for which `which` answers true (every one
  // when it is empty); answers how many.
  size_t Discard(const std::function<bool(const PostedMessage&)>& which = nullptr);
  size_t size() const;

 private:
  const size_t capacity_;
  const uint32_t minInterval_;
  mutable std::mutex queueLock_;  // guards queue_ and closed_
  std::condition_variable ready_;
  std::deque<PostedMessage> queue_;
  bool closed_ = false;
};

}  // namespace tarnix
