#include "tools/run_bar_state.h"

#include <algorithm>

namespace tarnix {

void RunBarState::Start() {
  Finish();
  phase_ = RunPhase::kRunning;
}

void RunBarState::Pause() {
  if (phase_ != RunPhase::kRunning) return;
  phase_ = RunPhase::kPaused;
  pausedShown_ = true;
}

void RunBarState::Resume() {
  if (phase_ != RunPhase::kPaused) return;
  phase_ = RunPhase::kRunning;
  pausedShown_ = false;
}

void RunBarState::Finish() {
  phase_ = RunPhase::kIdle;
  total_ = 0;
  totalKnown_ = false;
  position_ = 0;
  current_.clear();
  pausedShown_ = false;
}

void RunBarState::SetTotal(uint64_t total) {
  if (phase_ == RunPhase::kIdle) return;
  total_ = total;
  totalKnown_ = total != 0;
}

void RunBarState::SetDone(uint64_t done) {
  if (phase_ == RunPhase::kIdle || !totalKnown_) return;
  const uint64_t capped = std::min(done, total_);
  // Split so that a total near 2^64 cannot overflow the product.
  const uint64_t pos = total_ > UINT64_MAX / kProgressMax
                           ? capped / (total_ / kProgressMax + 1)
                           : capped * kProgressMax / total_;
  position_ = static_cast<int>(std::min<uint64_t>(pos, kProgressMax));
}

void RunBarState::SetCurrent(std::wstring text) {
  if (phase_ == RunPhase::kIdle) return;
  current_ = std::move(text);
}

void RunBarState::Blink() {
  if (phase_ == RunPhase::kPaused) pausedShown_ = !pausedShown_;
}

RunBarView RunBarState::View() const {
  RunBarView v;
  switch (phase_) {
    case RunPhase::kIdle:
      return v;
    case RunPhase::kRunning:
      v.buttonText = L"Pau&se";
      v.text = current_;
      break;
    case RunPhase::kPaused:
      v.buttonText = L"Re&sume";
      if (pausedShown_) v.text = L"PAUSED";
      break;
  }
  v.stopEnabled = true;
  v.progress = totalKnown_ ? ProgressMode::kPosition : ProgressMode::kMarquee;
  v.position = position_;
  return v;
}

}  // namespace tarnix
