#include "errcode/preset_names.h"

namespace tarnix {

bool ErrorCodePresetKind::ReadAll(std::vector<ErrorCodePreset>& stored) {
  std::vector<ErrCodePresetRecord> records;
  if (!ErrCodePresetStore::ReadAll(records)) return false;
  stored.clear();
  for (auto& r : records) stored.push_back({0, r.flags, std::move(r.name), std::move(r.items)});
  return true;
}

bool ErrorCodePresetKind::Store(const ErrorCodePreset& p, const std::wstring& name, const std::wstring& replacing) {
  ErrCodePresetRecord r;
  r.flags = p.flags & ~(kPresetFlagBuiltIn | kPresetFlagUnsaved);
  r.name = name;
  r.items = p.items;
  return ErrCodePresetStore::SaveOne(r, replacing);
}

bool ErrorCodePresetKind::Remove(const std::wstring& name) { return ErrCodePresetStore::RemoveOne(name); }

}  // namespace tarnix
