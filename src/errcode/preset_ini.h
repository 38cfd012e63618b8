#pragma once
// The error code search presets in a preset export file: section
// "ConfigECSPs" with "Version" = "1", then one section "Preset<n>" per user
// preset with "Name", "Flags" and one "PathItem<n>" = "<flags>|<path>" per
// location. Exporting and importing need only a file name from the window.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/err_code_presets.h"
#include "core/preset_file.h"
#include "errcode/builtin_presets.h"

namespace tarnix {

// The errors an import reports (beside those of reading the file).
inline constexpr uint32_t kImportBadFormat = 11;          // missing section or key, not a number, no preset
inline constexpr uint32_t kImportWrongVersion = 1828;     // "Version" is not "1"
inline constexpr uint32_t kImportEmptyName = 2115;
inline constexpr uint32_t kImportNameTooLong = 8348;      // over 256 characters
inline constexpr uint32_t kImportBadNameCharacter = 9954; // "<", ">", "*", control, direction marks
inline constexpr uint32_t kImportDuplicateName = 15119;   // ignoring case
inline constexpr uint32_t kImportBadLocationKind = 186;   // neither folder nor file
inline constexpr uint32_t kImportPathTooLong = 206;       // over 520 characters
inline constexpr uint32_t kImportNoSeparator = 3902;      // "PathItem" without "|"
inline constexpr uint32_t kImportTooManyLocations = 8248; // over 1024 in one preset
inline constexpr uint32_t kImportTooManyPresets = 15140;  // over 64
inline constexpr uint32_t kImportSaveFailed = 2375;       // a save failed without a reason

// The comment at the top of an export, dated now.
std::wstring ErrorCodePresetExportHeader();

// The sections of an export of every preset that is not built-in, in list
// order. A preset without a name, or an unsaved one, is written under a
// unique "Unnamed preset" or "Unnamed preset (<n>)".
std::vector<PresetSection> ErrorCodePresetSections(const std::vector<ErrorCodePreset>& presets);

// Writes the export to `path` (UTF-8), replacing the file; a failed write
// keeps the file that was there. 1 written, 0 nothing to export (no user preset), -1 on
// failure with the last error set.
int ExportErrorCodePresets(const std::string& path, const std::vector<ErrorCodePreset>& presets);

// One location as "<flags>|<path>": a "PathItem" value, or a line of
// copied search paths. The path is appended whole, whatever it holds.
std::wstring FormatPathItemValue(const SearchLocation& location);

// Reads one location written as "<flags>|<path>" (a "PathItem" value, or
// a line of pasted search paths): the flags a number of kind folder or
// file, the path trimmed, not empty, at most 520 characters, a folder's
// with a separator at its end. False with `error` and `site` as an import
// reports them.
bool ParsePathItemValue(std::wstring_view value, SearchLocation& out, uint32_t& error, int& site);

// Reads the presets of an export's sections, checking everything an import
// checks, in file order. False with `error` set to the first failure (and
// `site` to the place that logs it).
bool ParseErrorCodePresetSections(const std::vector<PresetSection>& sections,
                                  std::vector<ErrCodePresetRecord>& presets, uint32_t& error,
                                  int& site);

// Reads and checks the file `path`. False with the last error set; the
// failure is logged with "r=%d, path=\"%s\"".
bool ReadErrorCodePresetFile(const std::string& path, std::vector<ErrCodePresetRecord>& presets);

// Replaces the stored presets with those of the file in one store write:
// nothing changes unless the whole file is valid and the write succeeds.
// `storeChanged` tells the window to reload its list. False with the last
// error set.
bool ImportErrorCodePresets(const std::string& path, bool& storeChanged);

}  // namespace tarnix
