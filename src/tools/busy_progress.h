#pragma once
// The busy-progress popup's rules, without any window: the "please wait"
// dialog that appears only after a delay while long work runs, its two text
// lines, caption, bar (a 64-bit range scaled to the bar, or a marquee) and
// its Cancel button. BusyProgressState keeps the state and answers the
// popup's commands; the window side (BusyPopupUi) only shows what it is
// told, arms the delay timer and reports the user's Cancel back.
//
// The state is used by one thread only (the GUI thread); the work reads the
// cancel flag, an atomic it owns.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "core/window_placement.h"

namespace tarnix {

// Flags of a show request.
inline constexpr uint32_t kBusyCancelDisabled = 0x1;  // Cancel (and Close) greyed
inline constexpr uint32_t kBusyCancelCloses = 0x2;    // Cancel destroys the dialog at once

// The bar runs 0..kBusyBarMax; positions are scaled by kBusyBarScale / range.
inline constexpr int kBusyBarMax = 4095;
inline constexpr uint64_t kBusyBarScale = 4096;

inline constexpr wchar_t kBusyDefaultCancelText[] = L"&Cancel";

struct BusyPopupTexts {
  std::wstring text1;
  std::wstring text2;
  std::wstring caption;
  std::wstring cancelText;  // "&Cancel" when empty
};

struct BusyPopupRequest {
  uint32_t delayMs = 0;  // 0: the dialog is created at once
  uint32_t flags = 0;
  BusyPopupTexts texts;
  uint64_t range = 0;  // 0: no range, the bar runs as a marquee
  uint64_t position = 0;
  std::atomic<uint32_t>* cancelFlag = nullptr;  // set to 1 on the user's Cancel
};

// position × 4096 / range, the position limited to the range (so the answer
// lies in 0..4096 and never overflows); -1 for range 0.
int BusyBarValue(uint64_t position, uint64_t range);

// The rectangle the dialog is centred on: the owner window's, else the work
// area of the owner's screen, else of the primary screen (null pointers for
// the ones there are not). An empty rectangle when there is none at all.
Rect BusyCentringRect(const Rect* ownerWindow, const Rect* ownerScreenWork,
                      const Rect* primaryWork);
// The top-left corner of a dialog of `width` × `height` centred on `rect`.
void BusyCentredOrigin(const Rect& rect, int width, int height, int& left, int& top);

class BusyProgressState;

// What the dialog side does for the state.
class BusyPopupUi {
 public:
  virtual ~BusyPopupUi() = default;
  // Arms the delay (one shot, replacing an armed one); when it passes, the
  // dialog side calls the state's DelayPassed().
  virtual void StartDelay(uint32_t ms) = 0;
  virtual void StopDelay() = 0;
  // Creates and shows the dialog from the state's texts, flags and bar
  // (BarValue(), or a marquee without a range); false with the last error
  // set when it could not.
  virtual bool CreateDialog(const BusyProgressState& state) = 0;
  virtual void DestroyDialog() = 0;
  // Updates of a shown dialog.
  virtual void ShowTexts(const BusyPopupTexts& texts) = 0;
  virtual void ShowMarquee(bool marquee) = 0;
  virtual void ShowBarValue(int value) = 0;
  // Cancel and the window's Close; Cancel gets the focus when enabled.
  virtual void ShowCancelEnabled(bool enabled) = 0;
};

class BusyProgressState {
 public:
  explicit BusyProgressState(BusyPopupUi& ui) : ui_(ui) {}
  ~BusyProgressState();  // destroys a dialog still shown
  BusyProgressState(const BusyProgressState&) = delete;
  BusyProgressState& operator=(const BusyProgressState&) = delete;

  // 2 when a dialog is already shown (nothing changes); otherwise stores the
  // request, records the show time and arms the delay (delay 0 creates the
  // dialog at once) and answers 1, or 0 with the last error when the dialog
  // could not be created.
  int Show(const BusyPopupRequest& request);
  // Disarms the delay and destroys a shown dialog: 1 when one was
  // destroyed, 2 when nothing was shown.
  int Hide();
  // The delay passed: creates the dialog unless it was hidden meanwhile.
  void DelayPassed();

  // A shown dialog switches its bar between marquee (0) and normal.
  void SetRange(uint64_t range);
  // With a range, the scaled value goes to the bar only when it differs from
  // the last value sent.
  void SetPosition(uint64_t position);
  // Stores the given texts (null ones stay; an empty cancel text becomes
  // "&Cancel") and shows them in a shown dialog. Answers 1.
  int SetTexts(const std::wstring* text1, const std::wstring* text2, const std::wstring* caption,
               const std::wstring* cancelText);
  // Clears (enable) or sets (disable) kBusyCancelDisabled. After the user's
  // cancel the button stays greyed: a cancel is requested only once.
  void EnableCancel(bool enable);

  // The user's Cancel (button, Escape, the window's Close). Sets the cancel
  // flag once; with kBusyCancelCloses destroys the dialog at once, otherwise
  // greys Cancel and Close. False when nothing was requested (no dialog,
  // Cancel disabled, or already cancelled).
  bool Cancel();

  bool shown() const { return shown_; }
  bool delayPending() const { return pending_; }
  bool cancelRequested() const { return cancelRequested_; }
  uint32_t flags() const { return flags_; }
  uint64_t range() const { return range_; }
  uint64_t position() const { return position_; }
  const BusyPopupTexts& texts() const { return texts_; }
  // The bar value for the current position (-1 without a range).
  int BarValue() const { return BusyBarValue(position_, range_); }
  int lastBarValue() const { return lastBarValue_; }
  std::chrono::steady_clock::time_point showTick() const { return showTick_; }

  // Dialogs shown right now in this process (any thread may ask).
  static int DialogsShown();

 private:
  void Destroyed();
  void SendBarValue();

  BusyPopupUi& ui_;
  bool shown_ = false;
  bool pending_ = false;
  bool cancelRequested_ = false;
  uint32_t flags_ = 0;
  BusyPopupTexts texts_;
  uint64_t range_ = 0;
  uint64_t position_ = 0;
  int lastBarValue_ = -1;
  std::atomic<uint32_t>* cancelFlag_ = nullptr;
  std::chrono::steady_clock::time_point showTick_{};
};

}  // namespace tarnix
