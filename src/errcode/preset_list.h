#pragma once
// The presets of the Error Code Search window: the built-in ones, the
// user's stored ones and those not saved yet, the one chosen, and every
// change the window makes to them. Stored presets change only through the
// preset store (one read and write under the presets lock each), so what
// another instance saved meanwhile is kept; after each change the list
// is read again from the store.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "errcode/builtin_presets.h"

namespace tarnix {

class ErrorCodePresetList {
 public:
  static constexpr size_t kNone = static_cast<size_t>(-1);
  // User presets (stored and unsaved) have identifiers from here on.
  static constexpr uint32_t kFirstUserId = 6;

  // The built-in presets, then the stored ones. False with the last error
  // when the store could not be read (the list then holds the built-in
  // presets and those not saved yet).
  bool Load(std::vector<ErrorCodePreset> builtIns);
  // Reads the stored presets again; the unsaved ones stay, and so does the
  // choice (by name, or the same unsaved preset).
  bool Reload();

  const std::vector<ErrorCodePreset>& presets() const { return presets_; }
  size_t size() const { return presets_.size(); }
  // The list text of preset `i` (PresetListText).
  std::wstring Text(size_t i) const;

  size_t current() const { return current_; }
  const ErrorCodePreset* currentPreset() const;
  void Select(size_t i);
  bool currentIsBuiltIn() const;
  bool currentIsUser() const { return currentPreset() && !currentIsBuiltIn(); }
  // Stored and unsaved presets.
  size_t UserCount() const;

  // Whether the locations of the chosen preset may change: not when it is
  // built-in (or there is none) and 64 user presets exist, since the edit
  // needs a new one.
  bool CanEdit() const;
  // The locations to edit: a built-in preset (or none) is first copied
  // into a new unsaved preset, which becomes the chosen one. Null with
  // ERROR_ACCESS_DENIED when CanEdit() is false.
  std::vector<SearchLocation>* BeginEdit();
  // After an edit: a stored preset is stored again. False with the last
  // error when that failed (the edit stays in the list).
  bool EndEdit();

  // The message that refuses `name` for saving (trimmed in place), or
  // nothing when it is good. `copy`: saved as a new preset.
  std::wstring CheckName(std::wstring& name, bool copy) const;
  // Saves the chosen preset under `name` (checked): a built-in preset or a
  // copy as a new stored preset, an unsaved one under its first name, a
  // stored one renamed in place. The saved preset becomes the chosen one.
  // False with the last error.
  bool Save(const std::wstring& name, bool copy);
  // The name a save proposes: the chosen user preset's, with " (Copy)"
  // for a copy; nothing for a built-in or unsaved preset.
  std::wstring ProposedName(bool copy) const;

  // A new, empty unsaved preset, chosen. The message that refuses it when
  // 64 user presets exist, else nothing.
  std::wstring New();
  // Removes the chosen user preset (from the store too when stored). False
  // with the last error.
  bool RemoveCurrent();

 private:
  void Rebuild(std::vector<ErrorCodePreset> stored);
  ErrorCodePreset& AddUnsaved(std::vector<SearchLocation> items);

  std::vector<ErrorCodePreset> builtIns_;
  std::vector<ErrorCodePreset> presets_;
  size_t current_ = kNone;
};

}  // namespace tarnix
