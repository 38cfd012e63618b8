#include "platform/message_target.h"

#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {

QueueMessageTarget::QueueMessageTarget(size_t capacity, uint32_t minPostIntervalMs)
    : capacity_(capacity ? capacity : 1), minInterval_(minPostIntervalMs) {}

bool QueueMessageTarget::Post(PostedMessage& msg) {
  {
    std::lock_guard<std::mutex> lock(queueLock_);
    if (closed_) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return false;
    }
    if (queue_.size() >= capacity_) {
      SetLastError(ERROR_NOT_ENOUGH_QUOTA);
      return false;
    }
    queue_.push_back(std::move(msg));
  }
  msg = PostedMessage{};
  ready_.notify_one();
  return true;
}

bool QueueMessageTarget::Take(PostedMessage& out, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(queueLock_);
  if (!ready_.wait_for(lock, timeout, [this] { return !queue_.empty(); })) return false;
  out = std::move(queue_.front());
  queue_.pop_front();
  return true;
}

void QueueMessageTarget::Close() {
  std::lock_guard<std::mutex> lock(queueLock_);
  closed_ = true;
}

size_t QueueMessageTarget::Discard(const std::function<bool(const PostedMessage&)>& which) {
  std::deque<PostedMessage> dropped;  // freed outside the lock
  std::lock_guard<std::mutex> lock(queueLock_);
  if (!which) {
    dropped.swap(queue_);
    return dropped.size();
  }
  size_t n = 0;
  for (auto it = queue_.begin(); it != queue_.end();) {
    if (which(*it)) {
      dropped.push_back(std::move(*it));
      it = queue_.erase(it);
      ++n;
    } else {
      ++it;
    }
  }
  return n;
}

size_t QueueMessageTarget::size() const {
  std::lock_guard<std::mutex> lock(queueLock_);
  return queue_.size();
}

}  // namespace tarnix
