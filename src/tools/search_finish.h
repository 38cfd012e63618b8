#pragma once
// What the main window writes and shows when a search ends: the status
// lines, the outcome status, and the suppressible message box that tells
// how it went (with its confirmable-box id and icon).
#include <cstdint>
#include <string>
#include <vector>

namespace tarnix {

struct SearchEnd {
  bool stoppedByUser = false;  // the user pressed Stop
  bool completed = false;      // the worker ran to its end (else a critical error)
  int64_t elapsedMs = 0;       // without the time spent paused
  uint64_t filesSearched = 0, errors = 0, warnings = 0, results = 0;
  bool statusOutputShown = true;
  // Not empty when the results list reached its memory limit and stopped
  // the search: what says so (ResultsLimitText).
  std::wstring limitText;
};

// Icons of the finish boxes (the platform's message box icon bits).
inline constexpr uint32_t kFinishIconError = 0x10;
inline constexpr uint32_t kFinishIconWarning = 0x30;
inline constexpr uint32_t kFinishIconInformation = 0x40;

struct SearchFinishTexts {
  uint32_t status = 0;             // 1 finished, 2 aborted by the user, 3 critical error
  std::vector<std::wstring> lines;  // for the status output
  int boxId = 0;                    // confirmable box 1..4; 0 when none is shown
  std::wstring boxText;
  uint32_t boxIcon = 0;
};

SearchFinishTexts SearchFinishOutcome(const SearchEnd& end);

// A search whose only outcome is errors (no file searched, nothing found:
// the search folder itself could not be read) shows the hidden status
// output, which says why; the finish box then points to it.
bool RevealStatusOutputAtFinish(const SearchEnd& end);

// Whether a finish box that the user chose not to see is replaced by a beep
// ("ErrBeepAfterSearchNoMsgBox" on, and the icon is not information).
bool BeepInsteadOfFinishBox(const SearchFinishTexts& t, bool beepSetting);

}  // namespace tarnix
