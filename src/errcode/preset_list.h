#pragma once
// The presets of the Error Code Search window (the shared preset list over
// the error code search presets).
#include "errcode/preset_names.h"
#include "tools/preset_list.h"

namespace tarnix {

using ErrorCodePresetList = PresetList<ErrorCodePresetKind>;

}  // namespace tarnix
