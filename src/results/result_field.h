#pragma once
// The text of one field of one result: the shorter form the list shows, and
// the export form shared by the text export, copying, the HTML report
// (verbose) and the image information window.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "results/result_entry.h"

namespace tarnix {

// The export text of `column`. `fullSymbols` is false when the search listed
// modules only (Function Name, Ordinal and Hint are then empty). Verbose adds
// the constant names of subsystems and flags. Fails (false) for an unknown
// column id.
bool FormatResultField(int32_t column, const ResultEntry& entry, bool verbose,
                       bool fullSymbols, std::wstring_view separator, std::wstring& out);

// The list's text of `column`, made when the list shows the cell.
bool ListDisplayText(int32_t column, const ResultEntry& entry, bool fullSymbols, std::wstring& out);

// Path parts: the name after the last separator, and the folder up to and
// including it.
std::wstring_view ImageNameOf(std::wstring_view path);
std::wstring_view FolderOf(std::wstring_view path);
// The Folder column's text in the list: the folder, or "-" for a path of
// 520 characters or more.
std::wstring_view ListFolderOf(std::wstring_view path);

// The short names the list shows for the resource-type bits, in list order.
struct ShortFlagName {
  uint64_t bit;
  const wchar_t* name;
};
const std::vector<ShortFlagName>& ResourceTypeShortNames();

// The constant name the verbose export shows beside one bit of a
// characteristics, directories, resource-types or subsystem set; null when
// the bit has none or is not a single bit of that table.
const wchar_t* CharacteristicConstantName(uint64_t bit);
const wchar_t* DirectoryConstantName(uint64_t bit);
const wchar_t* ResourceTypeConstantName(uint64_t bit);
const wchar_t* SubsystemConstantName(uint64_t bit);

}  // namespace tarnix
