#pragma once
// The stored range presets ("ErrMsgSrchPresets") and the search window's
// stored ranges ("ErrMsgSrchRanges"), both binary values of the "Settings"
// section. Every operation takes the cross-process lock of the error message
// presets and ranges, waiting at most `lockTimeoutMs`; a lock that can't be
// taken fails the operation (ERROR_TIMEOUT) for the caller to log.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "errmsg/range_set.h"

namespace tarnix {

namespace setting {
inline constexpr wchar_t kErrMsgSrchPresets[] = L"ErrMsgSrchPresets";
inline constexpr wchar_t kErrMsgSrchRanges[] = L"ErrMsgSrchRanges";
}  // namespace setting

// The first identifier of a user preset in a RangeSetMap; presets follow in
// their stored order.
inline constexpr int32_t kFirstUserPresetId = 0x100;

class RangePresetStore {
 public:
  static constexpr uint32_t kLockTimeoutMs = 3000;

  // All stored presets, in stored order; none stored gives an empty list.
  // A value that can't be decoded fails with the decoder's error.
  static bool ReadAll(std::vector<RangeSet>& out, uint32_t lockTimeoutMs = kLockTimeoutMs);
  // Replaces the stored presets (none: the value is removed).
  static bool WriteAll(std::span<const RangeSet> presets, uint32_t lockTimeoutMs = kLockTimeoutMs);
  // Replaces the stored preset of the same name (ignoring case) or appends;
  // the set flags are stored without the built-in and unsaved bits.
  static bool SaveOne(const RangeSet& preset, uint32_t lockTimeoutMs = kLockTimeoutMs);
  // A renamed preset: takes the place of the stored preset `replacing`
  // (ignoring case; appended when there is none) and replaces a stored
  // preset of its new name, in one read and write under one lock.
  static bool SaveOne(const RangeSet& preset, std::wstring_view replacing,
                      uint32_t lockTimeoutMs = kLockTimeoutMs);
  // Removes the stored preset of this name (ignoring case); a name that is
  // not stored is not an error.
  static bool DeleteOne(std::wstring_view name, uint32_t lockTimeoutMs = kLockTimeoutMs);
};

// The built-in sets followed by `presets` under kFirstUserPresetId onwards.
RangeSetMap RangeSetsWithPresets(std::span<const RangeSet> presets);

// The search window's ranges. Reading fails with ERROR_FILE_NOT_FOUND when
// none are stored and with the decoder's error when the value is bad (the
// window then uses the built-in "Win32 Error Codes").
bool ReadStoredRanges(std::vector<ErrorRange>& list, uint32_t lockTimeoutMs = RangePresetStore::kLockTimeoutMs);
bool WriteStoredRanges(std::span<const ErrorRange> list,
                       uint32_t lockTimeoutMs = RangePresetStore::kLockTimeoutMs);

}  // namespace tarnix
