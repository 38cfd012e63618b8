#pragma once
// The range editor's presets as a kind of preset list: the eight built-in
// sets and the user's presets ("ErrMsgSrchPresets"), listed by name; an
// edit of a stored preset marks it ("* ") until it is saved.
#include <string>
#include <vector>

#include "errmsg/range_preset_blob.h"
#include "errmsg/range_preset_store.h"
#include "errmsg/range_set.h"
#include "tools/preset_list.h"

namespace tarnix {

using RangePreset = Preset<ErrorRange>;

struct RangePresetKind {
  using Item = ErrorRange;
  static constexpr uint32_t kBuiltInFlag = kRangeSetBuiltIn;
  static constexpr uint32_t kUnsavedFlag = kRangeSetUnsaved;
  static constexpr uint32_t kFirstUserId = uint32_t(kFirstUserPresetId);
  static constexpr size_t kMaxPresets = kMaxRangePresets;
  static constexpr size_t kMaxNameLength = kMaxPresetNameLength;
  static constexpr bool kStarEveryUserPreset = false;
  static constexpr bool kStoreEditsAtOnce = false;
  static constexpr bool kSortByName = true;
  static bool ReadAll(std::vector<RangePreset>& stored);
  static bool Store(const RangePreset& p, const std::wstring& name, const std::wstring& replacing);
  static bool Remove(const std::wstring& name);
};

using RangePresetList = PresetList<RangePresetKind>;

// The eight built-in sets as presets, in identifier order.
std::vector<RangePreset> BuiltInRangePresets();

}  // namespace tarnix
