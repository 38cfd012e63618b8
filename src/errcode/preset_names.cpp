#include "errcode/preset_names.h"

#include <algorithm>
#include <cwctype>

#include "core/err_code_presets.h"
#include "core/preset_name_chars.h"
#include "core/wformat.h"
#include "platform/case_fold.h"
#include "platform/text_encoding.h"

namespace tarnix {
namespace {

bool NameInUse(const std::vector<ErrorCodePreset>& presets, const std::wstring& name,
               const ErrorCodePreset* except) {
  for (const auto& p : presets)
    if ((&p != except || (p.flags & kPresetFlagBuiltIn)) && !(p.flags & kPresetFlagUnsaved) &&
        EqualsIgnoreCase(p.name, name))
      return true;
  return false;
}

}  // namespace

std::wstring CheckPresetName(std::wstring& name, const std::vector<ErrorCodePreset>& presets,
                             const ErrorCodePreset* overwriting) {
  size_t b = 0, e = name.size();
  while (b < e && std::iswspace(name[b])) ++b;
  while (e > b && std::iswspace(name[e - 1])) --e;
  name = name.substr(b, e - b);
  if (name.empty()) return L"Preset name cannot be empty.";
  if (Utf16Length(name) > kMaxErrCodePresetNameLength)
    return WFormat(L"Preset name is too long. Maximum allowed length is %zu characters.",
                   kMaxErrCodePresetNameLength);
  if (HasMarkupNameChar(name)) return kMarkupNameCharsMessage;
  if (HasHiddenNameChar(name)) return kHiddenNameCharsMessage;
  if (NameInUse(presets, name, overwriting)) return L"Preset with such name already exists.";
  size_t users = 0;
  for (const auto& p : presets)
    if (&p != overwriting && !(p.flags & (kPresetFlagBuiltIn | kPresetFlagUnsaved))) ++users;
  if (users >= kMaxErrCodePresets) return TooManyPresetsMessage();
  return {};
}

std::wstring TooManyPresetsMessage() {
  return WFormat(L"There are too many custom presets. Maximum allowed number is %zu.", kMaxErrCodePresets);
}

namespace {

// The number of an unsaved preset: the smallest that no preset name uses
// and no unsaved preset before it shows; 0 when all are taken.
int UnsavedNumber(const ErrorCodePreset& preset, const std::vector<ErrorCodePreset>& presets) {
  std::vector<int> shown;
  for (const auto& p : presets) {
    if (!(p.flags & kPresetFlagUnsaved)) continue;
    int number = 0;
    for (int n = 1; n <= 999 && !number; ++n)
      if (std::find(shown.begin(), shown.end(), n) == shown.end() &&
          !NameInUse(presets, WFormat(L"<%ls %d>", L"Unsaved Preset", n), &p))
        number = n;
    if (&p == &preset) return number;
    shown.push_back(number);
  }
  return 0;
}

}  // namespace

std::wstring PresetListText(const ErrorCodePreset& preset, const std::vector<ErrorCodePreset>& presets) {
  if (preset.flags & kPresetFlagUnsaved) {
    const int n = UnsavedNumber(preset, presets);
    return n ? WFormat(L"* <%ls %d>", L"Unsaved Preset", n) : std::wstring(L"* Unsaved Preset");
  }
  if (preset.flags & kPresetFlagBuiltIn) return preset.name;
  if (preset.name.empty()) return WFormat(L"* <Unnamed Preset %u>", preset.id);
  return L"* " + preset.name;
}

}  // namespace tarnix
