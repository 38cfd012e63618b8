#pragma once
// Where one run's messages wait until its owner takes them: a bounded
// queue that the run's workers post to, delivered on the owner's thread to
// the run. The desktop program delivers with queued events of its window
// (DesktopMessageTarget); tarnix-cli and tests take them when they poll
// (PolledRunTarget).
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

#include "platform/message_target.h"

namespace tarnix {

class RunTarget : public MessageTarget {
 public:
  // Receives each delivered message (on the owner's thread).
  using Handler = std::function<void(PostedMessage&)>;

  // Refuses every later post (ERROR_INVALID_WINDOW_HANDLE) and drops what
  // is queued.
  virtual void Close() = 0;
  // Delivers queued messages now, for at most `budget`; answers how many.
  virtual size_t Deliver(std::chrono::milliseconds budget) = 0;
  // While held nothing is delivered; holds nest.
  virtual void SetHeld(bool held) = 0;
  virtual size_t size() const = 0;
};

// Makes the target of each run (and follow-up pass) with its handler.
using RunTargetMaker = std::function<std::unique_ptr<RunTarget>(RunTarget::Handler)>;

// A target whose messages are delivered when its owner polls: Deliver
// takes what is queued, waiting up to the budget for the first message.
class PolledRunTarget final : public RunTarget {
 public:
  PolledRunTarget(Handler handler, size_t capacity, uint32_t minPostIntervalMs);

  bool Post(PostedMessage& msg) override { return queue_.Post(msg); }
  uint32_t minPostIntervalMs() const override { return queue_.minPostIntervalMs(); }
  void Close() override;
  size_t Deliver(std::chrono::milliseconds budget) override;
  void SetHeld(bool held) override;
  size_t size() const override { return queue_.size(); }

  // Targets for tarnix-cli and tests: posts drain straight to the owner,
  // with no spacing.
  static RunTargetMaker Maker(size_t capacity = 8192, uint32_t minPostIntervalMs = 0);

 private:
  Handler handler_;
  QueueMessageTarget queue_;
  int held_ = 0;
  bool delivering_ = false;
};

}  // namespace tarnix
