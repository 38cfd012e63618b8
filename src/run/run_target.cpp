#include "run/run_target.h"

namespace tarnix {

PolledRunTarget::PolledRunTarget(Handler handler, size_t capacity, uint32_t minPostIntervalMs)
    : handler_(std::move(handler)), queue_(capacity, minPostIntervalMs) {}

void PolledRunTarget::Close() {
  queue_.Close();
  queue_.Discard();
}

void PolledRunTarget::SetHeld(bool held) { held_ += held ? 1 : (held_ > 0 ? -1 : 0); }

size_t PolledRunTarget::Deliver(std::chrono::milliseconds budget) {
  // A handler that polls again (a run stopped from its own handler) takes
  // nothing: messages are handled one at a time, in order.
  if (held_ || delivering_) return 0;
  const auto end = std::chrono::steady_clock::now() + budget;
  size_t n = 0;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    PostedMessage m;
    if (!queue_.Take(m, n == 0 && left.count() > 0 ? left : std::chrono::milliseconds(0))) break;
    delivering_ = true;
    if (handler_) handler_(m);
    delivering_ = false;
    ++n;
    if (held_ || std::chrono::steady_clock::now() >= end) break;
  }
  return n;
}

RunTargetMaker PolledRunTarget::Maker(size_t capacity, uint32_t minPostIntervalMs) {
  return [capacity, minPostIntervalMs](RunTarget::Handler handler) -> std::unique_ptr<RunTarget> {
    return std::make_unique<PolledRunTarget>(std::move(handler), capacity, minPostIntervalMs);
  };
}

}  // namespace tarnix
