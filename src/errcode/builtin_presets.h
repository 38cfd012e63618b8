#pragma once
// The built-in search location presets of the error code search, made from
// the folders of the Windows installation the program found: System32
// without and with subfolders, the Program Files folders of each bitness,
// and System32 with all Program Files folders.
#include <cstdint>
#include <string>
#include <vector>

#include "errcode/search_location.h"
#include "tools/preset_list.h"

namespace tarnix {

class WindowsRoot;

// A preset as the window lists it. Built-in presets have identifiers 0 to
// 5 and the flag kPresetFlagBuiltIn.
using ErrorCodePreset = Preset<SearchLocation>;

enum BuiltInPresetId : uint32_t {
  kPresetSystem32 = 0,
  kPresetSystem32Subfolders = 1,
  kPresetProgramFiles32 = 2,
  kPresetProgramFiles64 = 3,
  kPresetProgramFilesAll = 4,
  kPresetSystem32AndProgramFiles = 5,
};

// The presets in identifier order. A preset is left out when none of its
// folders exists on this machine (no Windows root, or no Program Files);
// a 32-bit installation has no presets 3 and 4. Folder paths end with a
// separator.
std::vector<ErrorCodePreset> BuiltInErrorCodePresets(const WindowsRoot& root);

// The built-in preset `id`, or null when it was left out.
const ErrorCodePreset* FindPreset(const std::vector<ErrorCodePreset>& presets, uint32_t id);

}  // namespace tarnix
