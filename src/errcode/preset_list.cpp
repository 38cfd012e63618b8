#include "errcode/preset_list.h"

#include <algorithm>

#include "core/err_code_presets.h"
#include "errcode/preset_names.h"
#include "platform/case_fold.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

bool IsStored(const ErrorCodePreset& p) { return !(p.flags & (kPresetFlagBuiltIn | kPresetFlagUnsaved)); }
bool IsUnsaved(const ErrorCodePreset& p) { return (p.flags & kPresetFlagUnsaved) != 0; }

ErrCodePresetRecord RecordOf(const ErrorCodePreset& p, const std::wstring& name) {
  ErrCodePresetRecord r;
  r.flags = p.flags & ~(kPresetFlagBuiltIn | kPresetFlagUnsaved);
  r.name = name;
  r.items = p.items;
  return r;
}

}  // namespace

bool ErrorCodePresetList::Load(std::vector<ErrorCodePreset> builtIns) {
  builtIns_ = std::move(builtIns);
  for (auto& p : builtIns_) p.flags |= kPresetFlagBuiltIn;
  std::vector<ErrCodePresetRecord> stored;
  const bool read = ErrCodePresetStore::ReadAll(stored);
  const uint32_t error = GetLastError();
  std::vector<ErrorCodePreset> users;
  for (auto& r : stored) users.push_back({0, r.flags, std::move(r.name), std::move(r.items)});
  Rebuild(std::move(users));
  if (!read) SetLastError(error);
  return read;
}

bool ErrorCodePresetList::Reload() {
  std::vector<ErrCodePresetRecord> stored;
  if (!ErrCodePresetStore::ReadAll(stored)) return false;
  std::vector<ErrorCodePreset> users;
  for (auto& r : stored) users.push_back({0, r.flags, std::move(r.name), std::move(r.items)});
  Rebuild(std::move(users));
  return true;
}

void ErrorCodePresetList::Rebuild(std::vector<ErrorCodePreset> stored) {
  // The choice, to find it again.
  const ErrorCodePreset* chosen = currentPreset();
  const bool chosenUnsaved = chosen && IsUnsaved(*chosen);
  const bool chosenBuiltIn = chosen && !chosenUnsaved && !IsStored(*chosen);
  const std::wstring chosenName = chosen ? chosen->name : std::wstring();
  size_t unsavedOrdinal = 0;
  std::vector<ErrorCodePreset> unsaved;
  for (size_t i = 0; i < presets_.size(); ++i) {
    if (!IsUnsaved(presets_[i])) continue;
    if (i == current_) unsavedOrdinal = unsaved.size();
    unsaved.push_back(std::move(presets_[i]));
  }

  presets_ = builtIns_;
  uint32_t id = kFirstUserId;
  for (auto& p : stored) {
    p.id = id++;
    p.flags &= ~(kPresetFlagBuiltIn | kPresetFlagUnsaved);
    presets_.push_back(std::move(p));
  }
  const size_t firstUnsaved = presets_.size();
  for (auto& p : unsaved) {
    p.id = id++;
    presets_.push_back(std::move(p));
  }

  current_ = presets_.empty() ? kNone : 0;
  if (!chosen) return;
  if (chosenUnsaved) {
    current_ = firstUnsaved + unsavedOrdinal;
    return;
  }
  for (size_t i = 0; i < firstUnsaved; ++i)
    if (IsStored(presets_[i]) != chosenBuiltIn && EqualsIgnoreCase(presets_[i].name, chosenName)) {
      current_ = i;
      return;
    }
}

std::wstring ErrorCodePresetList::Text(size_t i) const {
  return i < presets_.size() ? PresetListText(presets_[i], presets_) : std::wstring();
}

const ErrorCodePreset* ErrorCodePresetList::currentPreset() const {
  return current_ < presets_.size() ? &presets_[current_] : nullptr;
}

void ErrorCodePresetList::Select(size_t i) {
  if (i < presets_.size()) current_ = i;
}

bool ErrorCodePresetList::currentIsBuiltIn() const {
  const ErrorCodePreset* p = currentPreset();
  return p && (p->flags & kPresetFlagBuiltIn);
}

size_t ErrorCodePresetList::UserCount() const {
  size_t n = 0;
  for (const auto& p : presets_)
    if (!(p.flags & kPresetFlagBuiltIn)) ++n;
  return n;
}

bool ErrorCodePresetList::CanEdit() const {
  return currentIsUser() || UserCount() < kMaxErrCodePresets;
}

ErrorCodePreset& ErrorCodePresetList::AddUnsaved(std::vector<SearchLocation> items) {
  uint32_t id = kFirstUserId;
  for (const auto& p : presets_)
    if (p.id >= id) id = p.id + 1;
  presets_.push_back({id, kPresetFlagUnsaved, std::wstring(), std::move(items)});
  current_ = presets_.size() - 1;
  return presets_.back();
}

std::vector<SearchLocation>* ErrorCodePresetList::BeginEdit() {
  if (!CanEdit()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  if (currentIsUser()) return &presets_[current_].items;
  const ErrorCodePreset* from = currentPreset();
  return &AddUnsaved(from ? from->items : std::vector<SearchLocation>{}).items;
}

bool ErrorCodePresetList::EndEdit() {
  const ErrorCodePreset* p = currentPreset();
  if (!p || !IsStored(*p)) return true;
  return ErrCodePresetStore::SaveOne(RecordOf(*p, p->name));
}

std::wstring ErrorCodePresetList::CheckName(std::wstring& name, bool copy) const {
  const ErrorCodePreset* overwriting = copy || !currentIsUser() ? nullptr : currentPreset();
  return CheckPresetName(name, presets_, overwriting);
}

std::wstring ErrorCodePresetList::ProposedName(bool copy) const {
  const ErrorCodePreset* p = currentPreset();
  if (!p || !IsStored(*p)) return {};
  return copy ? p->name + L" (Copy)" : p->name;
}

bool ErrorCodePresetList::Save(const std::wstring& name, bool copy) {
  const ErrorCodePreset* p = currentPreset();
  if (!p) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const bool renaming = !copy && IsStored(*p);
  if (!ErrCodePresetStore::SaveOne(RecordOf(*p, name), renaming ? p->name : name)) return false;
  // The list as the store now has it; the saved preset is the chosen one.
  ErrorCodePreset saved{0, RecordOf(*p, name).flags, name, p->items};
  if (!copy && IsUnsaved(*p)) presets_.erase(presets_.begin() + static_cast<std::ptrdiff_t>(current_));
  if (renaming) {
    presets_[current_].name = name;
  } else {
    presets_.push_back(saved);
    current_ = presets_.size() - 1;
  }
  std::vector<ErrorCodePreset> stored;
  for (const auto& x : presets_)
    if (IsStored(x)) stored.push_back(x);
  Rebuild(std::move(stored));
  Reload();  // what another instance stored meanwhile; a failed read keeps the list
  SetLastError(ERROR_SUCCESS);
  return true;
}

std::wstring ErrorCodePresetList::New() {
  if (UserCount() >= kMaxErrCodePresets) return TooManyPresetsMessage();
  AddUnsaved({});
  return {};
}

bool ErrorCodePresetList::RemoveCurrent() {
  const ErrorCodePreset* p = currentPreset();
  if (!p || (p->flags & kPresetFlagBuiltIn)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (IsStored(*p) && !ErrCodePresetStore::RemoveOne(p->name)) return false;
  const size_t at = current_;
  presets_.erase(presets_.begin() + static_cast<std::ptrdiff_t>(at));
  current_ = presets_.empty() ? kNone : std::min(at, presets_.size() - 1);
  Reload();  // the neighbour stays chosen
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace tarnix
