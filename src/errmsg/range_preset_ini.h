#pragma once
// The range presets in a preset export file: section "ConfigERPs" with
// "Version" = "1", then one section "Preset<n>" per preset with "Name",
// "Flags" and one "ErrRange<n>" line per range ("%u|%u|%u|%s|%s").
#include <span>
#include <string>
#include <vector>

#include "core/preset_file.h"
#include "errmsg/range_set.h"

namespace tarnix {

// The comment at the top of an export, `date` being the local date and time.
std::wstring RangePresetFileComment(const std::wstring& date);

// The sections of an export of `presets` (the saved ones; built-in sets are
// never exported). A name that could not be imported back (empty, with
// "<", ">" or "*", or used twice) is written as a unique name that can.
std::vector<PresetSection> RangePresetsToIni(std::span<const RangeSet> presets);

// Reads the presets of an import; on failure sets the last error and leaves
// `presets` unchanged:
//   11    no "ConfigERPs" section or "Version" key; a preset without "Name"
//         or "Flags"; "Flags" not a number; a range number that does not
//         read; no preset at all
//   1828  "Version" other than "1"
//   2115, 8348, 9954, 15119  a name empty after trimming, longer than 256
//         characters, with "<", ">", "*", a control character or a text
//         direction mark, or used by an earlier preset
//   186   a range with an unknown module kind or code kind bits
//   3902  a range without its four "|"
//   206   a Library Name over 260 characters (and 8348 a range name over 256)
//   8248  more than 1024 ranges in one preset
//   15140 more than 64 presets
// Section and key names are compared ignoring case.
bool RangePresetsFromIni(std::span<const PresetSection> sections, std::vector<RangeSet>& presets);

}  // namespace tarnix
