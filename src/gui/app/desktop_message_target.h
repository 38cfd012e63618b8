#pragma once
// The desktop's receiver of a worker's messages: a bounded queue filled by
// the workers and drained on the GUI thread. A post wakes the GUI thread
// with a queued event; the GUI thread hands the messages to the window in
// slices of at most a few milliseconds, so that a flood of posts never
// holds up input and painting. The queue is bounded, so a worker that
// floods it meets "queue full" (1816) and waits, as the posting rules say.
#include <QObject>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "platform/message_target.h"
#include "run/run_target.h"

namespace tarnix::gui {

class DesktopMessageTarget final : public QObject, public RunTarget {
  Q_OBJECT
 public:
  // The window's handler of one message; it owns the message's payload.
  using Handler = std::function<void(PostedMessage&)>;

  // The platform's message queue holds 10,000 messages; a window asks for
  // 5 ms between posts.
  static constexpr size_t kDefaultCapacity = 10000;
  static constexpr uint32_t kWindowPostIntervalMs = 5;

  explicit DesktopMessageTarget(Handler handler, size_t capacity = kDefaultCapacity,
                                uint32_t minPostIntervalMs = kWindowPostIntervalMs,
                                QObject* parent = nullptr);
  ~DesktopMessageTarget() override;

  bool Post(PostedMessage& msg) override;
  uint32_t minPostIntervalMs() const override { return queue_.minPostIntervalMs(); }

  // Refuses every later post (ERROR_INVALID_WINDOW_HANDLE); the queued
  // messages are dropped.
  void Close() override;
  // Drops the queued messages for which `which` answers true (every one
  // when it is empty); answers how many.
  size_t Discard(const std::function<bool(const PostedMessage&)>& which = nullptr);
  size_t size() const override;

  // Delivers queued messages now, for at most `budget`; answers how many.
  // A window that waits for its workers drains with this.
  size_t Deliver(std::chrono::milliseconds budget) override;

  // While held, nothing is delivered (the window is busy with its results
  // on another thread); releasing delivers what waited. Holds nest: each
  // SetHeld(true) is undone by one SetHeld(false).
  void SetHeld(bool held) override;

  // The longest time one slice of deliveries may take before the rest
  // waits for the next turn of the event loop.
  void SetSliceBudget(std::chrono::milliseconds budget) { slice_ = budget; }

 protected:
  bool event(QEvent* e) override;

 private:
  void Wake();

  Handler handler_;
  QueueMessageTarget queue_;
  std::chrono::milliseconds slice_{15};
  std::atomic<bool> wakePending_{false};
  int delivering_ = 0;  // GUI thread only: a handler is running
  int held_ = 0;        // GUI thread only
};

// The targets of a window's runs: queued events to the window's thread,
// posts spaced as a window asks.
RunTargetMaker DesktopRunTargets();

}  // namespace tarnix::gui
