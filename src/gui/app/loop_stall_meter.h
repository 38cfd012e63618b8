#pragma once
// How freely the GUI thread's event loop turns: a timer that notes the
// longest gap between its ticks. The timings and the tests that claim a
// window never freezes read it.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <utility>

namespace tarnix::gui {

class LoopStallMeter {
 public:
  // `onTick` runs at every tick after the gap is noted.
  explicit LoopStallMeter(int intervalMs = 1, std::function<void()> onTick = {})
      : onTick_(std::move(onTick)) {
    tick_.setInterval(intervalMs);
    QObject::connect(&tick_, &QTimer::timeout, [this] {
      longest_ = std::max(longest_, gap_.restart());
      ++ticks_;
      if (onTick_) onTick_();
    });
  }
  void Start() {
    longest_ = 0;
    ticks_ = 0;
    gap_.start();
    tick_.start();
  }
  // The longest gap so far, in milliseconds; the meter stops.
  qint64 Stop() {
    tick_.stop();
    return longest_;
  }
  qint64 Longest() const { return longest_; }
  int Ticks() const { return ticks_; }

 private:
  std::function<void()> onTick_;
  QTimer tick_;
  QElapsedTimer gap_;
  qint64 longest_ = 0;
  int ticks_ = 0;
};

}  // namespace tarnix::gui
