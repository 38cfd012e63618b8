#pragma once
// For tests that pause a worker and then watch it: the worker finishes what
// it had in hand at its own pace (slowly on a loaded machine), so a test
// waits until what it watches stops changing instead of guessing a time.
#include <chrono>
#include <thread>

namespace tarnix::test {

// The value of `sample()` once it has stayed the same for `quiet`, or its
// value after `limit`.
template <class Sample>
auto SettledValue(Sample sample, std::chrono::milliseconds quiet = std::chrono::milliseconds(250),
                  std::chrono::milliseconds limit = std::chrono::milliseconds(10000)) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  auto value = sample();
  auto since = start;
  while (Clock::now() - start < limit) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    auto now = sample();
    if (!(now == value)) {
      value = now;
      since = Clock::now();
    } else if (Clock::now() - since >= quiet) {
      break;
    }
  }
  return value;
}

}  // namespace tarnix::test
