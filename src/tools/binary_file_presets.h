#pragma once
// The rules of the binary file type picker: which types start ticked for the
// main window's 'File Name' text, what each menu command does to the ticks,
// and what the main window does with the ticks the user confirms. The
// types, their groups and the pattern they give are those of
// symbolsearch/binary_file_types.h.
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnix {

class RegistrySettings;

namespace setting {
// The mask last confirmed in the picker (64-bit, default 0).
inline constexpr wchar_t kBinFilePresets[] = L"BinFilePresets";
}  // namespace setting

// "BinFilePresets" with only the bits of the table's types; 0 when missing
// or stored with another type or size.
uint64_t ReadBinFilePresets(const RegistrySettings& store);
// Stores `mask`; a failure is logged (site 116) and answers false.
bool WriteBinFilePresets(const RegistrySettings& store, uint64_t mask);

// The mask of the types a 'File Name' text names, or 0 when it names
// anything else. The text is trimmed; an empty text gives `storedMask`
// (taken with the table's bits). Otherwise it is split into search-string
// components at "||", and each component is split again at every single
// "|". Every piece must then name one type of the table, its extension
// compared ignoring case, in one of these forms:
//   ".ext" or "*.ext"                        (what a plain search names)
//   "\.ext", optionally led by "^", ".*" or "^.*", optionally ended by "$"
//                                            (a regular expression)
// and each piece may stand in one pair of parentheses. So the picker's own
// patterns ("(^.*\.exe$)|(^.*\.dll$)") and lists such as ".exe || .dll" are
// recognised; anything else ("*.txt", "kernel32", ".exe foo") gives 0.
uint64_t BinaryPresetMaskForText(std::wstring_view fileNameText, uint64_t storedMask);

// The picker's commands.
enum class BinaryPresetCommand {
  kSelect,             // tick the selected rows
  kUnselect,           // untick the selected rows
  kToggleSelection,    // flip the selected rows
  kSelectAll,
  kUnselectAll,
  kToggleAll,
  kCommonBinaryFiles,  // the four groups: tick exactly the group, or add it
  kExecutables,
  kDrivers,
  kResourceLibraries,
};
inline constexpr int kBinaryPresetCommandCount = 10;

struct BinaryPresetCommandInfo {
  BinaryPresetCommand command;
  const wchar_t* text;      // menu text with its mnemonic and key text
  const wchar_t* key;       // the key that runs it, empty for none
  const wchar_t* mergeKey;  // the key that adds a group, empty for none
  bool onSelectedRows;      // works on the selected rows (needs a selection)
};
// The commands in menu order.
extern const BinaryPresetCommandInfo kBinaryPresetCommands[kBinaryPresetCommandCount];

// The group of a group command; 0 for the others.
uint64_t BinaryPresetGroup(BinaryPresetCommand command);

// The ticks after `command` on `ticked`. `selectedRows` is the mask of the
// selected rows; `merge` makes a group command add its group to the ticks
// instead of replacing them. Only the table's bits are kept.
uint64_t ApplyBinaryPresetCommand(BinaryPresetCommand command, uint64_t ticked,
                                  uint64_t selectedRows, bool merge);

// What the main window does with the confirmed mask: the 'File Name'
// pattern, and whether the box's regular-expression option goes on (when
// the pattern is not empty; an empty pattern clears the filter).
struct BinaryPresetOutcome {
  std::wstring pattern;
  bool regexOn = false;
};
BinaryPresetOutcome ApplyBinaryPresets(uint64_t mask);

}  // namespace tarnix
