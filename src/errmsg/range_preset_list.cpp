#include "errmsg/range_preset_list.h"

namespace tarnix {

bool RangePresetKind::ReadAll(std::vector<RangePreset>& stored) {
  std::vector<RangeSet> sets;
  if (!RangePresetStore::ReadAll(sets)) return false;
  stored.clear();
  for (auto& s : sets) stored.push_back({0, s.setFlags, std::move(s.name), std::move(s.ranges)});
  return true;
}

bool RangePresetKind::Store(const RangePreset& p, const std::wstring& name, const std::wstring& replacing) {
  RangeSet set;
  set.ranges = p.items;
  set.name = name;
  set.setFlags = p.flags;
  return RangePresetStore::SaveOne(set, replacing);
}

bool RangePresetKind::Remove(const std::wstring& name) { return RangePresetStore::DeleteOne(name); }

std::vector<RangePreset> BuiltInRangePresets() {
  std::vector<RangePreset> out;
  for (auto& [id, set] : BuildBuiltInRangeSets())
    out.push_back({uint32_t(id), set.setFlags | kRangeSetBuiltIn, set.name, set.ranges});
  return out;
}

}  // namespace tarnix
