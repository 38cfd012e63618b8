#pragma once
// Tells open windows that a setting changed. Every setter of the settings
// the program keeps (window_settings.h, sheet_settings.h) announces its
// value after it wrote the store and the snapshot; a window that keeps
// something derived from a setting (a box's capacity, a folder it found)
// watches for it and takes the new value for its next operation. A search
// already running keeps what it was started with.
//
//   SettingWatch watch_{[this](SettingId id) { if (id == SettingId::kStatusOutputSize) Resize(); }};
#include <cstdint>
#include <functional>

namespace tarnix {

enum class SettingId : uint32_t {
  // The settings sheet: General.
  kHelpZoom,
  kMruNumEntries,
  kOnlineSearchUrl,
  kEmptyMatchesAll,
  kRegexGrammar,
  kStatusOutputSize,
  kClearStatusOutput,
  kUndecorateNames,
  kUndecorationFlags,
  kErrorBeep,
  kReportOnlineLinks,
  kReportStatusOutput,
  kAutoScrollResults,
  kCacheSymbols,
  // Error Search.
  kErrMsgResultsSize,
  kErrMsgWarnOverflow,
  kErrCodeOutputSize,
  kErrCodeClearOutput,
  kErrCodeFileExts,
  // Message Boxes: the stored answers and the suppression flags.
  kMessageBoxes,
  // Kept by no page of the sheet but changed by the user.
  kWindowsRoot,
  kResultsMemoryLimit,
  kSearchReaders,
  kCacheLimit,
  // The windows' own choices.
  kSearchFor,
  kShowControls,
  kLookIn,
  kPeFilters,
  kCriteriaOptions,
  kPresentAs,
  kColumns,
  kFilterIndex,
  kErrMsgOptions,
  kErrMsgLanguage,
  kErrMsgRanges,
  kComposerMatchOf,
};

// Calls every watcher with `id`, on the calling thread, in the order they
// began watching. A watcher may stop watching (or make another watcher)
// while it is called.
void NotifySettingChanged(SettingId id);

// What a setter answers after writing the store: announces `id` and
// answers `stored`, with the store's last error kept for the caller.
bool Announced(SettingId id, bool stored);

// One watcher: called for every change from when it is made until it is
// destroyed.
class SettingWatch {
 public:
  SettingWatch() = default;
  explicit SettingWatch(std::function<void(SettingId)> listener);
  ~SettingWatch();
  SettingWatch(SettingWatch&& other) noexcept;
  SettingWatch& operator=(SettingWatch&& other) noexcept;
  SettingWatch(const SettingWatch&) = delete;
  SettingWatch& operator=(const SettingWatch&) = delete;

 private:
  void Stop();
  uint64_t id_ = 0;
};

}  // namespace tarnix
