#include "tools/binary_file_presets.h"

#include "core/event_log.h"
#include "core/registry_settings.h"
#include "platform/char_class.h"
#include "symbolsearch/binary_file_types.h"
#include "symbolsearch/search_string.h"

namespace tarnix {
namespace {

bool StripPrefix(std::wstring_view& s, std::wstring_view prefix) {
  if (s.substr(0, prefix.size()) != prefix) return false;
  s.remove_prefix(prefix.size());
  return true;
}

bool StripSuffix(std::wstring_view& s, std::wstring_view suffix) {
  if (s.size() < suffix.size() || s.substr(s.size() - suffix.size()) != suffix) return false;
  s.remove_suffix(suffix.size());
  return true;
}

// The bit of the table's type with extension `ext`, ignoring case; 0 for none.
uint64_t TypeBit(std::wstring_view ext) {
  for (int id = 0; id < kBinaryFileTypeCount; ++id)
    if (EqualsNoCase(ext, kBinaryFileTypes[id].extension)) return uint64_t{1} << id;
  return 0;
}

// The bit of the type one piece of a component names, in the forms listed
// in the header; 0 when it names none.
uint64_t PieceBit(std::wstring_view piece) {
  if (piece.size() >= 2 && piece.front() == L'(' && piece.back() == L')')
    piece = piece.substr(1, piece.size() - 2);
  std::wstring_view plain = piece;
  StripPrefix(plain, L"*");
  if (StripPrefix(plain, L".")) {
    if (uint64_t bit = TypeBit(plain)) return bit;
  }
  std::wstring_view re = piece;
  StripPrefix(re, L"^");
  StripPrefix(re, L".*");
  if (!StripPrefix(re, L"\\.")) return 0;
  StripSuffix(re, L"$");
  return TypeBit(re);
}

}  // namespace

const BinaryPresetCommandInfo kBinaryPresetCommands[kBinaryPresetCommandCount] = {
    {BinaryPresetCommand::kSelect, L"&Select", L"", L"", true},
    {BinaryPresetCommand::kUnselect, L"U&nselect", L"", L"", true},
    {BinaryPresetCommand::kToggleSelection, L"To&ggle Selection", L"", L"", true},
    {BinaryPresetCommand::kSelectAll, L"Select &All\tCtrl+A", L"Ctrl+A", L"", false},
    {BinaryPresetCommand::kUnselectAll, L"&Unselect All\tCtrl+U", L"Ctrl+U", L"", false},
    {BinaryPresetCommand::kToggleAll, L"&Toggle All Selection\tCtrl+T", L"Ctrl+T", L"", false},
    {BinaryPresetCommand::kCommonBinaryFiles, L"Select &Common Binary Files\tCtrl+B", L"Ctrl+B",
     L"Shift+Ctrl+B", false},
    {BinaryPresetCommand::kExecutables, L"Select &Executables\tCtrl+E", L"Ctrl+E", L"Shift+Ctrl+E",
     false},
    {BinaryPresetCommand::kDrivers, L"Select &Drivers\tCtrl+D", L"Ctrl+D", L"Shift+Ctrl+D", false},
    {BinaryPresetCommand::kResourceLibraries, L"Select &Resource Libraries\tCtrl+R", L"Ctrl+R",
     L"Shift+Ctrl+R", false},
};

uint64_t ReadBinFilePresets(const RegistrySettings& store) {
  return store.GetQword(setting::kBinFilePresets, 0) & kBinaryFileTypeMask;
}

bool WriteBinFilePresets(const RegistrySettings& store, uint64_t mask) {
  if (store.SetQword(setting::kBinFilePresets, mask)) return true;
  EventLog::LogSiteFormat(116, L"0x%llx", static_cast<unsigned long long>(mask));
  return false;
}

uint64_t BinaryPresetMaskForText(std::wstring_view fileNameText, uint64_t storedMask) {
  const std::wstring text = TrimSearchText(fileNameText);
  if (text.empty()) return storedMask & kBinaryFileTypeMask;
  const std::vector<std::wstring> components = SplitSearchString(text);
  if (components.empty()) return 0;  // nothing but separators
  uint64_t mask = 0;
  for (const std::wstring& component : components) {
    std::wstring_view rest = component;
    for (;;) {
      const size_t bar = rest.find(L'|');
      const uint64_t bit = PieceBit(rest.substr(0, bar));
      if (!bit) return 0;
      mask |= bit;
      if (bar == std::wstring_view::npos) break;
      rest.remove_prefix(bar + 1);
    }
  }
  return mask;
}

uint64_t BinaryPresetGroup(BinaryPresetCommand command) {
  switch (command) {
    case BinaryPresetCommand::kCommonBinaryFiles: return kCommonBinaryFiles;
    case BinaryPresetCommand::kExecutables: return kExecutableFiles;
    case BinaryPresetCommand::kDrivers: return kDriverFiles;
    case BinaryPresetCommand::kResourceLibraries: return kResourceLibraryFiles;
    default: return 0;
  }
}

uint64_t ApplyBinaryPresetCommand(BinaryPresetCommand command, uint64_t ticked,
                                  uint64_t selectedRows, bool merge) {
  uint64_t out = ticked;
  switch (command) {
    case BinaryPresetCommand::kSelect: out = ticked | selectedRows; break;
    case BinaryPresetCommand::kUnselect: out = ticked & ~selectedRows; break;
    case BinaryPresetCommand::kToggleSelection: out = ticked ^ selectedRows; break;
    case BinaryPresetCommand::kSelectAll: out = kBinaryFileTypeMask; break;
    case BinaryPresetCommand::kUnselectAll: out = 0; break;
    case BinaryPresetCommand::kToggleAll: out = ~ticked; break;
    case BinaryPresetCommand::kCommonBinaryFiles:
    case BinaryPresetCommand::kExecutables:
    case BinaryPresetCommand::kDrivers:
    case BinaryPresetCommand::kResourceLibraries: {
      const uint64_t group = BinaryPresetGroup(command);
      out = merge ? ticked | group : group;
      break;
    }
  }
  return out & kBinaryFileTypeMask;
}

BinaryPresetOutcome ApplyBinaryPresets(uint64_t mask) {
  BinaryPresetOutcome outcome;
  outcome.pattern = BinaryFileTypePattern(mask & kBinaryFileTypeMask);
  outcome.regexOn = !outcome.pattern.empty();
  return outcome;
}

}  // namespace tarnix
