#include "errmsg/range_preset_store.h"

#include "core/registry_settings.h"
#include "core/setting_changes.h"
#include "errmsg/range_list_blob.h"
#include "errmsg/range_preset_blob.h"
#include "platform/case_fold.h"
#include "platform/last_error.h"
#include "platform/named_lock.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

// Runs `body` under the lock of the error message presets and ranges.
template <typename Body>
bool Locked(uint32_t timeoutMs, Body body) {
  NamedLock lock(kErrMsgPresetsLockName);
  if (!lock.Acquire(timeoutMs)) return false;
  const bool ok = body();
  LastErrorKeeper keep;
  lock.Release();
  return ok;
}

// Reads a binary value; `found` is false (and the read succeeds) when the
// value does not exist.
bool ReadValue(const wchar_t* name, std::vector<uint8_t>& data, bool& found) {
  found = false;
  RegistrySettings settings;
  const int probe = RegistrySettings::Probe(settings.subKey(), name);
  if (probe < 0) return false;
  if (probe > 0 && settings.GetBinary(name, data)) {
    found = true;
    return true;
  }
  if (probe > 0 && GetLastError() != ERROR_FILE_NOT_FOUND) return false;
  SetLastError(ERROR_SUCCESS);  // missing, or removed since the probe
  return true;
}

bool DeleteValue(const wchar_t* name) {
  if (RegistrySettings().DeleteValue(name)) return true;
  if (GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND)
    return false;
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool ReadPresetsUnlocked(std::vector<RangeSet>& out) {
  out.clear();
  std::vector<uint8_t> data;
  bool found = false;
  if (!ReadValue(setting::kErrMsgSrchPresets, data, found)) return false;
  return !found || DecodeRangePresetsBlob(data, out);
}

bool WritePresetsUnlocked(std::span<const RangeSet> presets) {
  if (presets.empty()) return DeleteValue(setting::kErrMsgSrchPresets);
  std::vector<uint8_t> data;
  if (!EncodeRangePresetsBlob(presets, data)) return false;
  return RegistrySettings().SetBinary(setting::kErrMsgSrchPresets, data.data(), data.size());
}

}  // namespace

bool RangePresetStore::ReadAll(std::vector<RangeSet>& out, uint32_t lockTimeoutMs) {
  out.clear();
  return Locked(lockTimeoutMs, [&] { return ReadPresetsUnlocked(out); });
}

bool RangePresetStore::WriteAll(std::span<const RangeSet> presets, uint32_t lockTimeoutMs) {
  return Locked(lockTimeoutMs, [&] { return WritePresetsUnlocked(presets); });
}

bool RangePresetStore::SaveOne(const RangeSet& preset, uint32_t lockTimeoutMs) {
  return Locked(lockTimeoutMs, [&] {
    std::vector<RangeSet> presets;
    if (!ReadPresetsUnlocked(presets)) return false;
    RangeSet stored = preset;
    stored.setFlags &= ~(kRangeSetBuiltIn | kRangeSetUnsaved);
    bool replaced = false;
    for (RangeSet& p : presets)
      if (EqualsIgnoreCase(p.name, stored.name)) {
        p = stored;
        replaced = true;
        break;
      }
    if (!replaced) presets.push_back(std::move(stored));
    return WritePresetsUnlocked(presets);
  });
}

bool RangePresetStore::DeleteOne(std::wstring_view name, uint32_t lockTimeoutMs) {
  return Locked(lockTimeoutMs, [&] {
    std::vector<RangeSet> presets;
    if (!ReadPresetsUnlocked(presets)) return false;
    std::erase_if(presets, [&](const RangeSet& p) { return EqualsIgnoreCase(p.name, name); });
    return WritePresetsUnlocked(presets);
  });
}

RangeSetMap RangeSetsWithPresets(std::span<const RangeSet> presets) {
  RangeSetMap sets = BuildBuiltInRangeSets();
  int32_t id = kFirstUserPresetId;
  for (const RangeSet& p : presets) sets.emplace(id++, p);
  return sets;
}

bool ReadStoredRanges(std::vector<ErrorRange>& list, uint32_t lockTimeoutMs) {
  return Locked(lockTimeoutMs, [&] {
    std::vector<uint8_t> data;
    bool found = false;
    if (!ReadValue(setting::kErrMsgSrchRanges, data, found)) return false;
    if (!found) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return false;
    }
    return DecodeRangeListBlob(data, list);
  });
}

bool WriteStoredRanges(std::span<const ErrorRange> list, uint32_t lockTimeoutMs) {
  return Locked(lockTimeoutMs, [&] {
    std::vector<uint8_t> data;
    if (!EncodeRangeListBlob(list, data)) return false;
    return Announced(SettingId::kErrMsgRanges,
                     RegistrySettings().SetBinary(setting::kErrMsgSrchRanges, data.data(), data.size()));
  });
}

}  // namespace tarnix
