#pragma once
// The error code search presets as a kind of preset list: search
// locations, stored as "ErrCodeSrchPresets", every edit stored at once.
#include <string>
#include <vector>

#include "core/err_code_presets.h"
#include "errcode/builtin_presets.h"

namespace tarnix {

struct ErrorCodePresetKind {
  using Item = SearchLocation;
  static constexpr uint32_t kBuiltInFlag = kPresetFlagBuiltIn;
  static constexpr uint32_t kUnsavedFlag = kPresetFlagUnsaved;
  static constexpr uint32_t kFirstUserId = 6;
  static constexpr size_t kMaxPresets = kMaxErrCodePresets;
  static constexpr size_t kMaxNameLength = kMaxErrCodePresetNameLength;
  static constexpr bool kStarEveryUserPreset = true;
  static constexpr bool kStoreEditsAtOnce = true;
  static constexpr bool kSortByName = false;
  static bool ReadAll(std::vector<ErrorCodePreset>& stored);
  static bool Store(const ErrorCodePreset& p, const std::wstring& name, const std::wstring& replacing);
  static bool Remove(const std::wstring& name);
};

inline std::wstring CheckPresetName(std::wstring& name, const std::vector<ErrorCodePreset>& presets,
                                    const ErrorCodePreset* overwriting) {
  return CheckPresetName<ErrorCodePresetKind>(name, presets, overwriting);
}

inline std::wstring PresetListText(const ErrorCodePreset& preset, const std::vector<ErrorCodePreset>& presets) {
  return PresetListText<ErrorCodePresetKind>(preset, presets);
}

}  // namespace tarnix
