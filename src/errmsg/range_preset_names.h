#pragma once
// Names of range presets: the name of a new unsaved preset, the label in the
// preset box, and the checks a name passes before a preset is saved.
#include <cstdint>
#include <string>
#include <string_view>

#include "errmsg/range_set.h"

namespace tarnix {

// "<Unsaved Preset n>" with the smallest n in 1..999 that no set in `sets`
// uses as its name (ignoring case); "Unsaved Preset" when all are used.
std::wstring UnsavedPresetName(const RangeSetMap& sets);

// The preset box entry of set `id`: "* " before an unsaved or edited preset,
// "<Unnamed Preset %u>" for a preset without a name.
std::wstring PresetLabel(int32_t id, const RangeSet& set, bool edited);

// Checks `name` (trimmed first, the trimmed name returned in `trimmed`) for
// saving the preset `currentId` (or a new one when it is not a user preset
// in `sets`). Answers the message to show, or an empty string when the name
// is good.
std::wstring CheckPresetNameForSave(std::wstring_view name, const RangeSetMap& sets,
                                    int32_t currentId, std::wstring& trimmed);

}  // namespace tarnix
