#include "errmsg/range_preset_names.h"

#include "core/preset_name_chars.h"
#include "core/wformat.h"
#include "errmsg/range_preset_blob.h"
#include "platform/case_fold.h"
#include "platform/text_encoding.h"

namespace tarnix {
namespace {

bool NameUsed(const RangeSetMap& sets, std::wstring_view name, int32_t except) {
  for (const auto& [id, set] : sets)
    if (id != except && EqualsIgnoreCase(set.name, name)) return true;
  return false;
}

}  // namespace

std::wstring UnsavedPresetName(const RangeSetMap& sets) {
  for (int n = 1; n <= 999; ++n) {
    std::wstring name = WFormat(L"<%ls %d>", L"Unsaved Preset", n);
    if (!NameUsed(sets, name, INT32_MIN)) return name;
  }
  return L"Unsaved Preset";
}

std::wstring PresetLabel(int32_t id, const RangeSet& set, bool edited) {
  if (set.setFlags & kRangeSetBuiltIn) return set.name;
  std::wstring label = set.name.empty() ? WFormat(L"<Unnamed Preset %u>", unsigned(id)) : set.name;
  if (edited || (set.setFlags & kRangeSetUnsaved)) label.insert(0, L"* ");
  return label;
}

std::wstring CheckPresetNameForSave(std::wstring_view name, const RangeSetMap& sets,
                                    int32_t currentId, std::wstring& trimmed) {
  auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; };
  while (!name.empty() && blank(name.front())) name.remove_prefix(1);
  while (!name.empty() && blank(name.back())) name.remove_suffix(1);
  trimmed.assign(name);

  if (trimmed.empty()) return L"Preset name cannot be empty.";
  if (Utf16Length(trimmed) > kMaxPresetNameLength)
    return WFormat(L"Preset name is too long. Maximum allowed length is %zu characters.",
                   kMaxPresetNameLength);
  if (HasMarkupNameChar(trimmed)) return kMarkupNameCharsMessage;
  if (HasHiddenNameChar(trimmed)) return kHiddenNameCharsMessage;
  // A built-in set is never the one being overwritten.
  auto current = sets.find(currentId);
  const bool overwriting = current != sets.end() && !(current->second.setFlags & kRangeSetBuiltIn);
  if (NameUsed(sets, trimmed, overwriting ? currentId : INT32_MIN))
    return L"Preset with such name already exists.";
  size_t others = 0;
  for (const auto& [id, set] : sets)
    if (!(set.setFlags & kRangeSetBuiltIn) && !(set.setFlags & kRangeSetUnsaved) && id != currentId)
      ++others;
  if (others >= kMaxRangePresets)
    return WFormat(L"There are too many custom presets. Maximum allowed number is %zu.",
                   kMaxRangePresets);
  return std::wstring();
}

}  // namespace tarnix
