#pragma once
// What the run bar of a search window shows, as a function of the run: the
// search button's caption ("&SEARCH", "Pau&se", "Re&sume"), whether Stop is
// enabled, the progress bar (hidden when idle, a marquee until the total is
// known, then a position in 0..9999) and the text beside it (the item being
// read, or "PAUSED" blinking every 500 ms while paused). The three search
// windows share it.
#include <cstdint>
#include <string>

namespace tarnix {

enum class RunPhase { kIdle, kRunning, kPaused };
enum class ProgressMode { kHidden, kMarquee, kPosition };

struct RunBarView {
  const wchar_t* buttonText = L"&SEARCH";
  bool stopEnabled = false;
  ProgressMode progress = ProgressMode::kHidden;
  int position = 0;  // 0..kProgressMax
  std::wstring text;  // the progress text
};

class RunBarState {
 public:
  static constexpr int kProgressMax = 9999;
  static constexpr int kBlinkMs = 500;

  RunPhase phase() const { return phase_; }
  bool running() const { return phase_ != RunPhase::kIdle; }

  // Idle → running: marquee, no text.
  void Start();
  // Running → paused ("PAUSED" shown) and back; no effect in other phases.
  void Pause();
  void Resume();
  // Back to idle: the bar reset and hidden, the text cleared.
  void Finish();

  // The total is known: the bar leaves the marquee (a total of 0 keeps it).
  void SetTotal(uint64_t total);
  // `done` of the known total: position min(done, total) × 9999 / total.
  void SetDone(uint64_t done);
  // The item being read; shown while running and not paused.
  void SetCurrent(std::wstring text);
  // One blink step while paused: "PAUSED" and empty take turns.
  void Blink();

  RunBarView View() const;

 private:
  RunPhase phase_ = RunPhase::kIdle;
  uint64_t total_ = 0;
  bool totalKnown_ = false;
  int position_ = 0;
  std::wstring current_;
  bool pausedShown_ = false;
};

}  // namespace tarnix
