#pragma once
// Naming the error code search presets: the checks a name passes before a
// preset is saved under it, and the text each preset shows in the list.
#include <string>
#include <vector>

#include "errcode/builtin_presets.h"

namespace tarnix {

// Trims `name` at both ends and checks it for saving: not empty, at most
// 256 characters, none of "<", ">" and "*" nor a control character or text
// direction mark (preset_name_chars.h), not the name of another preset
// (ignoring case; built-in names always count, `overwriting` does not), and
// no more than 64 user presets besides the one overwritten. Answers the
// message to show, or an empty text when the name is good.
std::wstring CheckPresetName(std::wstring& name, const std::vector<ErrorCodePreset>& presets,
                             const ErrorCodePreset* overwriting);

// "There are too many custom presets. Maximum allowed number is %Iu."
// with 64.
std::wstring TooManyPresetsMessage();

// The text of `preset` in the preset list: built-in presets by name, user
// presets with "* " in front, "<Unnamed Preset %u>" for one without name,
// and "<Unsaved Preset %d>" for an unsaved one, numbered with the smallest
// number that no preset name uses.
std::wstring PresetListText(const ErrorCodePreset& preset, const std::vector<ErrorCodePreset>& presets);

}  // namespace tarnix
