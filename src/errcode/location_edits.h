#pragma once
// Edits of a preset's search locations as the Error Code Search window's
// Edit menu makes them: add, remove, move, the subfolders toggle, and the
// search paths copied to and pasted from the clipboard as "%u|%s" lines.
// Selections are row indexes in ascending order.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "errcode/search_location.h"

namespace tarnix {

using LocationRows = std::vector<size_t>;

// "With subfolders" or "No subfolders" for a folder, nothing for a file:
// the second column of the locations list.
const wchar_t* LocationSubfoldersText(uint32_t flags);

// Appends `add`, leaving out what is listed already (same kind and path).
// False with 8248 (and nothing added) when the list would hold more than
// 1024 locations.
bool AddLocations(std::vector<SearchLocation>& items, const std::vector<SearchLocation>& add);

// A picked folder or file as a location (a folder's path ends with a
// separator).
SearchLocation FolderLocation(std::wstring_view path);
SearchLocation FileLocation(std::wstring_view path);

void RemoveLocations(std::vector<SearchLocation>& items, const LocationRows& rows);

// Moves the selected rows one place up (or down); a selected row at the
// edge keeps its place and the rows beside it stay behind it. Answers the
// rows the selection has moved to.
LocationRows MoveLocations(std::vector<SearchLocation>& items, const LocationRows& rows, bool up);

// The state of "Search Path With &Subfolders" for the selection: not
// offered (nothing selected, or a file among it), every selected folder
// with subfolders, none, or some.
enum class SubfoldersState { kUnavailable, kWithout, kWith, kMixed };
SubfoldersState SelectedSubfoldersState(const std::vector<SearchLocation>& items, const LocationRows& rows);
// Gives every selected folder subfolders unless they all have them, then
// takes them away from all. False when the state is kUnavailable.
bool ToggleSubfolders(std::vector<SearchLocation>& items, const LocationRows& rows);

// The question before removing: "Do you want to remove selected search
// %s?\n\n%s" for one row, "Do you want to remove %Id selected search
// item(s)?" for several.
std::wstring RemoveLocationsQuestion(const std::vector<SearchLocation>& items, const LocationRows& rows);

// The selected locations as "%u|%s\r\n" lines. False with 4306 when
// nothing is selected.
bool CopyLocationsText(const std::vector<SearchLocation>& items, const LocationRows& rows,
                       std::wstring& out);

// Reads pasted text: split at line feeds, each line trimmed, empty lines
// skipped, every other line read as a "PathItem" value of an import. One
// bad line rejects the whole text: false with `error` and `site` of the
// first bad line and `line` its 1-based number. Text without any location
// fails with 4306; more than 1024 locations with 8248.
bool ParsePastedLocations(std::wstring_view text, std::vector<SearchLocation>& out, uint32_t& error,
                          int& site, size_t& line);

}  // namespace tarnix
