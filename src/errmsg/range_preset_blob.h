#pragma once
// The stored form of the user's range presets ("ErrMsgSrchPresets"): a count
// and, per preset, its set flags, its name and its ranges. A stored range
// holds Flags first and its Error Range Name before its Library Name.
#include <cstdint>
#include <span>
#include <vector>

#include "errmsg/range_set.h"

namespace tarnix {

inline constexpr size_t kMaxRangePresets = 64;
inline constexpr size_t kMaxPresetNameLength = 256;  // UTF-16 units

// The built-in and unsaved bits are cleared in the stored flags. Fails (last
// error set, `blob` unchanged) on more than 64 presets (68), a preset with
// more than 1024 ranges (56), flags a reader would refuse (1004), a name over
// its limit (1283), or a written size that differs from the computed one
// (327).
bool EncodeRangePresetsBlob(std::span<const RangeSet> presets, std::vector<uint8_t>& blob);

// Fails (last error set, `presets` unchanged) when the value holds fewer
// than 4 bytes (87), counts more than 64 presets (68) or more than 1024
// ranges in a preset (56), a field runs past its end (24), a range has an
// unknown module kind or code kind bits (1004), a name is over its limit
// (1283), or bytes remain after the last preset (327). Preset names have
// the characters no preset name holds replaced by "_" (preset_name_chars.h).
bool DecodeRangePresetsBlob(std::span<const uint8_t> blob, std::vector<RangeSet>& presets);

}  // namespace tarnix
