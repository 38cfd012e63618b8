#pragma once
// A window's presets: the built-in ones, the user's stored ones and those
// not saved yet, the one chosen, and every change the window makes to
// them. The Error Code Search window's search locations and the range
// editor's error ranges are two kinds of the same list; a kind names its
// item type, its flags and limits, and its store:
//
//   struct Kind {
//     using Item = ...;
//     static constexpr uint32_t kBuiltInFlag, kUnsavedFlag;  // memory-only flag bits
//     static constexpr uint32_t kFirstUserId;
//     static constexpr size_t kMaxPresets, kMaxNameLength;
//     static constexpr bool kStarEveryUserPreset;  // else only unsaved and edited ones
//     static constexpr bool kStoreEditsAtOnce;     // else an edit marks the preset until saved
//     static constexpr bool kSortByName;           // stored presets listed by name
//     static bool ReadAll(std::vector<Preset<Item>>& stored);
//     // Stores `p` under `name`, taking the place of the stored `replacing`.
//     static bool Store(const Preset<Item>& p, const std::wstring& name, const std::wstring& replacing);
//     static bool Remove(const std::wstring& name);
//   };
//
// Stored presets change only through the store (one read and write under
// its lock each), so what another instance saved meanwhile is kept; after
// each change the list is read again from the store.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cwctype>
#include <string>
#include <vector>

#include "core/preset_name_chars.h"
#include "core/wformat.h"
#include "platform/case_fold.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {

template <class Item>
struct Preset {
  uint32_t id = 0;
  uint32_t flags = 0;
  std::wstring name;
  std::vector<Item> items;
};

// "There are too many custom presets. Maximum allowed number is %Iu."
inline std::wstring TooManyPresetsMessage(size_t limit) {
  return WFormat(L"There are too many custom presets. Maximum allowed number is %zu.", limit);
}

namespace preset_detail {

template <class Kind, class P>
bool NameInUse(const std::vector<P>& presets, const std::wstring& name, const P* except) {
  for (const auto& p : presets)
    if ((&p != except || (p.flags & Kind::kBuiltInFlag)) && !(p.flags & Kind::kUnsavedFlag) &&
        EqualsIgnoreCase(p.name, name))
      return true;
  return false;
}

// The number of an unsaved preset: the smallest that no preset name uses
// and no unsaved preset before it shows; 0 when all are taken.
template <class Kind, class P>
int UnsavedNumber(const P& preset, const std::vector<P>& presets) {
  std::vector<int> shown;
  for (const auto& p : presets) {
    if (!(p.flags & Kind::kUnsavedFlag)) continue;
    int number = 0;
    for (int n = 1; n <= 999 && !number; ++n)
      if (std::find(shown.begin(), shown.end(), n) == shown.end() &&
          !NameInUse<Kind>(presets, WFormat(L"<%ls %d>", L"Unsaved Preset", n), &p))
        number = n;
    if (&p == &preset) return number;
    shown.push_back(number);
  }
  return 0;
}

}  // namespace preset_detail

// Trims `name` at both ends and checks it for saving: not empty, at most
// the kind's length, none of "<", ">" and "*" nor a control character or
// text direction mark (preset_name_chars.h), not the name of another
// preset (ignoring case; built-in names always count, `overwriting` does
// not), and fewer user presets than the limit besides the one overwritten.
// Answers the message to show, or an empty text when the name is good.
template <class Kind>
std::wstring CheckPresetName(std::wstring& name, const std::vector<Preset<typename Kind::Item>>& presets,
                             const Preset<typename Kind::Item>* overwriting) {
  size_t b = 0, e = name.size();
  while (b < e && std::iswspace(name[b])) ++b;
  while (e > b && std::iswspace(name[e - 1])) --e;
  name = name.substr(b, e - b);
  if (name.empty()) return L"Preset name cannot be empty.";
  if (Utf16Length(name) > Kind::kMaxNameLength)
    return WFormat(L"Preset name is too long. Maximum allowed length is %zu characters.", Kind::kMaxNameLength);
  if (HasMarkupNameChar(name)) return kMarkupNameCharsMessage;
  if (HasHiddenNameChar(name)) return kHiddenNameCharsMessage;
  if (preset_detail::NameInUse<Kind>(presets, name, overwriting)) return L"Preset with such name already exists.";
  size_t users = 0;
  for (const auto& p : presets)
    if (&p != overwriting && !(p.flags & (Kind::kBuiltInFlag | Kind::kUnsavedFlag))) ++users;
  if (users >= Kind::kMaxPresets) return TooManyPresetsMessage(Kind::kMaxPresets);
  return {};
}

// The text of `preset` in the preset box: a built-in preset by name, a user
// preset with "* " in front (every one, or the unsaved and `edited` ones,
// as the kind says), "<Unnamed Preset %u>" for one without name, and
// "<Unsaved Preset %d>" for an unsaved one, numbered with the smallest
// number that no preset name uses.
template <class Kind>
std::wstring PresetListText(const Preset<typename Kind::Item>& preset,
                            const std::vector<Preset<typename Kind::Item>>& presets, bool edited = false) {
  if (preset.flags & Kind::kUnsavedFlag) {
    const int n = preset_detail::UnsavedNumber<Kind>(preset, presets);
    return n ? WFormat(L"* <%ls %d>", L"Unsaved Preset", n) : std::wstring(L"* Unsaved Preset");
  }
  if (preset.flags & Kind::kBuiltInFlag) return preset.name;
  const std::wstring star = Kind::kStarEveryUserPreset || edited ? L"* " : L"";
  if (preset.name.empty()) return star + WFormat(L"<Unnamed Preset %u>", preset.id);
  return star + preset.name;
}

template <class Kind>
class PresetList {
 public:
  using Item = typename Kind::Item;
  using Entry = Preset<Item>;
  static constexpr size_t kNone = static_cast<size_t>(-1);
  static constexpr uint32_t kFirstUserId = Kind::kFirstUserId;

  // The built-in presets, then the stored ones. False with the last error
  // when the store could not be read (the list then holds the built-in
  // presets and those not saved yet).
  bool Load(std::vector<Entry> builtIns) {
    builtIns_ = std::move(builtIns);
    for (auto& p : builtIns_) p.flags |= Kind::kBuiltInFlag;
    std::vector<Entry> stored;
    const bool read = Kind::ReadAll(stored);
    const uint32_t error = GetLastError();
    Rebuild(read ? std::move(stored) : std::vector<Entry>{});
    if (!read) SetLastError(error);
    return read;
  }
  // Reads the stored presets again; the unsaved ones and the edits not
  // saved yet stay, and so does the choice (by name, or the same unsaved
  // preset).
  bool Reload() {
    std::vector<Entry> stored;
    if (!Kind::ReadAll(stored)) return false;
    Rebuild(std::move(stored));
    return true;
  }

  const std::vector<Entry>& presets() const { return presets_; }
  size_t size() const { return presets_.size(); }
  // The box text of preset `i` (PresetListText).
  std::wstring Text(size_t i) const {
    return i < presets_.size() ? PresetListText<Kind>(presets_[i], presets_, IsEdited(presets_[i]))
                               : std::wstring();
  }

  size_t current() const { return current_; }
  const Entry* currentPreset() const { return current_ < presets_.size() ? &presets_[current_] : nullptr; }
  void Select(size_t i) {
    if (i < presets_.size()) current_ = i;
  }
  bool currentIsBuiltIn() const {
    const Entry* p = currentPreset();
    return p && (p->flags & Kind::kBuiltInFlag);
  }
  bool currentIsUser() const { return currentPreset() && !currentIsBuiltIn(); }
  // Stored and unsaved presets.
  size_t UserCount() const {
    return size_t(std::count_if(presets_.begin(), presets_.end(),
                                [](const Entry& p) { return !(p.flags & Kind::kBuiltInFlag); }));
  }
  // Whether preset `i` is stored and holds changes not saved yet.
  bool IsEdited(size_t i) const { return i < presets_.size() && IsEdited(presets_[i]); }
  // Presets other than the chosen one that are unsaved or edited.
  std::vector<size_t> OthersToSave() const {
    std::vector<size_t> out;
    for (size_t i = 0; i < presets_.size(); ++i)
      if (i != current_ && ((presets_[i].flags & Kind::kUnsavedFlag) || IsEdited(presets_[i]))) out.push_back(i);
    return out;
  }

  // Whether the items of the chosen preset may change: not when it is
  // built-in (or there is none) and the user presets are at their limit,
  // since the edit needs a new one.
  bool CanEdit() const { return currentIsUser() || UserCount() < Kind::kMaxPresets; }
  // The items to edit: a built-in preset (or none) is first copied into a
  // new unsaved preset, which becomes the chosen one. Null with
  // ERROR_ACCESS_DENIED when CanEdit() is false.
  std::vector<Item>* BeginEdit() {
    if (!CanEdit()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    if (currentIsUser()) return &presets_[current_].items;
    const Entry* from = currentPreset();
    return &AddUnsaved(from ? from->items : std::vector<Item>{}).items;
  }
  // After an edit: a stored preset is stored again, or marked edited when
  // the kind keeps edits until saved. False with the last error when
  // storing failed (the edit stays in the list).
  bool EndEdit() {
    const Entry* p = currentPreset();
    if (!p || !IsStored(*p)) return true;
    if (!Kind::kStoreEditsAtOnce) {
      if (!IsEdited(*p)) edited_.push_back(p->name);
      return true;
    }
    return Kind::Store(*p, p->name, p->name);
  }

  // The message that refuses `name` for saving (trimmed in place), or
  // nothing when it is good. `copy`: saved as a new preset.
  std::wstring CheckName(std::wstring& name, bool copy) const {
    const Entry* overwriting = copy || !currentIsUser() ? nullptr : currentPreset();
    return CheckPresetName<Kind>(name, presets_, overwriting);
  }
  // The name a save proposes: the chosen user preset's, with " (Copy)" for
  // a copy; nothing for a built-in or unsaved preset.
  std::wstring ProposedName(bool copy) const {
    const Entry* p = currentPreset();
    if (!p || !IsStored(*p)) return {};
    return copy ? p->name + L" (Copy)" : p->name;
  }
  // Saves the chosen preset under `name` (checked): a built-in preset or a
  // copy as a new stored preset, an unsaved one under its first name, a
  // stored one renamed in place. The saved preset becomes the chosen one.
  // False with the last error.
  bool Save(const std::wstring& name, bool copy) { return SaveAt(current_, name, copy); }
  // Saves preset `i` under `name` without changing the choice (the
  // auto-save of unsaved and edited presets).
  bool SaveOther(size_t i, const std::wstring& name) {
    const Entry* chosen = currentPreset();
    const bool chosenUnsaved = chosen && (chosen->flags & Kind::kUnsavedFlag);
    const std::wstring chosenName = chosen ? chosen->name : std::wstring();
    const size_t unsavedBefore = chosenUnsaved ? UnsavedOrdinal(current_) : 0;
    if (!SaveAt(i, name, false)) return false;
    current_ = kNone;
    for (size_t j = 0; j < presets_.size() && current_ == kNone; ++j)
      if (chosenUnsaved ? (presets_[j].flags & Kind::kUnsavedFlag) && UnsavedOrdinal(j) == unsavedBefore
                        : EqualsIgnoreCase(presets_[j].name, chosenName))
        current_ = j;
    if (current_ == kNone && !presets_.empty()) current_ = 0;
    return true;
  }
  // A name for preset `i` when it is saved without asking: its own when
  // stored, else "<Unsaved Preset n>" as the box shows it when no other
  // preset has that name; nothing when there is none.
  std::wstring AutoSaveName(size_t i) const {
    if (i >= presets_.size()) return {};
    const Entry& p = presets_[i];
    if (IsStored(p)) return p.name;
    const int n = preset_detail::UnsavedNumber<Kind>(p, presets_);
    return n ? WFormat(L"<%ls %d>", L"Unsaved Preset", n) : std::wstring();
  }

  // A new, empty unsaved preset, chosen. The message that refuses it at
  // the limit of user presets, else nothing.
  std::wstring New() {
    if (UserCount() >= Kind::kMaxPresets) return TooManyPresetsMessage(Kind::kMaxPresets);
    AddUnsaved({});
    return {};
  }
  // Removes the chosen user preset (from the store too when stored). False
  // with the last error.
  bool RemoveCurrent() {
    const Entry* p = currentPreset();
    if (!p || (p->flags & Kind::kBuiltInFlag)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    if (IsStored(*p) && !Kind::Remove(p->name)) return false;
    Unmark(p->name);
    const size_t at = current_;
    presets_.erase(presets_.begin() + static_cast<std::ptrdiff_t>(at));
    current_ = presets_.empty() ? kNone : std::min(at, presets_.size() - 1);
    Reload();  // the neighbour stays chosen
    SetLastError(ERROR_SUCCESS);
    return true;
  }

 private:
  static bool IsStored(const Entry& p) { return !(p.flags & (Kind::kBuiltInFlag | Kind::kUnsavedFlag)); }
  static bool IsUnsaved(const Entry& p) { return (p.flags & Kind::kUnsavedFlag) != 0; }

  bool IsEdited(const Entry& p) const {
    return IsStored(p) && std::any_of(edited_.begin(), edited_.end(),
                                      [&](const std::wstring& n) { return EqualsIgnoreCase(n, p.name); });
  }
  void Unmark(const std::wstring& name) {
    std::erase_if(edited_, [&](const std::wstring& n) { return EqualsIgnoreCase(n, name); });
  }
  size_t UnsavedOrdinal(size_t i) const {
    size_t n = 0;
    for (size_t j = 0; j < i; ++j)
      if (IsUnsaved(presets_[j])) ++n;
    return n;
  }

  bool SaveAt(size_t i, const std::wstring& name, bool copy) {
    if (i >= presets_.size()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    const Entry& p = presets_[i];
    const bool renaming = !copy && IsStored(p);
    Entry saved{0, p.flags & ~(Kind::kBuiltInFlag | Kind::kUnsavedFlag), name, p.items};
    if (!Kind::Store(saved, name, renaming ? p.name : name)) return false;
    if (renaming) Unmark(p.name);
    Unmark(name);
    // The list as the store now has it; the saved preset is the chosen one.
    if (!copy && IsUnsaved(p)) presets_.erase(presets_.begin() + static_cast<std::ptrdiff_t>(i));
    if (renaming) {
      presets_[i].name = name;
      current_ = i;
    } else {
      presets_.push_back(saved);
      current_ = presets_.size() - 1;
    }
    std::vector<Entry> stored;
    for (const auto& x : presets_)
      if (IsStored(x)) stored.push_back(x);
    Rebuild(std::move(stored));
    Reload();  // what another instance stored meanwhile; a failed read keeps the list
    SetLastError(ERROR_SUCCESS);
    return true;
  }

  Entry& AddUnsaved(std::vector<Item> items) {
    uint32_t id = Kind::kFirstUserId;
    for (const auto& p : presets_)
      if (p.id >= id) id = p.id + 1;
    presets_.push_back({id, Kind::kUnsavedFlag, std::wstring(), std::move(items)});
    current_ = presets_.size() - 1;
    return presets_.back();
  }

  void Rebuild(std::vector<Entry> stored) {
    // The choice, to find it again.
    const Entry* chosen = currentPreset();
    const bool chosenUnsaved = chosen && IsUnsaved(*chosen);
    const bool chosenBuiltIn = chosen && !chosenUnsaved && !IsStored(*chosen);
    const std::wstring chosenName = chosen ? chosen->name : std::wstring();
    size_t unsavedOrdinal = 0;
    std::vector<Entry> unsaved, edited;
    for (size_t i = 0; i < presets_.size(); ++i) {
      if (IsEdited(presets_[i])) edited.push_back(presets_[i]);
      if (!IsUnsaved(presets_[i])) continue;
      if (i == current_) unsavedOrdinal = unsaved.size();
      unsaved.push_back(std::move(presets_[i]));
    }
    if (Kind::kSortByName)
      std::stable_sort(stored.begin(), stored.end(),
                       [](const Entry& a, const Entry& b) { return CompareIgnoreCase(a.name, b.name) < 0; });

    presets_ = builtIns_;
    uint32_t id = Kind::kFirstUserId;
    std::vector<std::wstring> stillEdited;
    for (auto& p : stored) {
      p.id = id++;
      p.flags &= ~(Kind::kBuiltInFlag | Kind::kUnsavedFlag);
      // An edit not saved yet stays over what the store holds.
      for (const auto& e : edited)
        if (EqualsIgnoreCase(e.name, p.name)) {
          p.items = e.items;
          stillEdited.push_back(p.name);
        }
      presets_.push_back(std::move(p));
    }
    edited_ = std::move(stillEdited);
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

  std::vector<Entry> builtIns_;
  std::vector<Entry> presets_;
  std::vector<std::wstring> edited_;  // stored presets with changes not saved yet
  size_t current_ = kNone;
};

}  // namespace tarnix
