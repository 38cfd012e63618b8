#pragma once
// Exporting the range presets to a preset file and importing them back.
#include <span>
#include <string>
#include <vector>

#include "errmsg/range_set.h"

namespace tarnix {

class WaitEvent;

inline constexpr uint32_t kRangePresetExportTimeoutMs = 20000;
inline constexpr uint32_t kRangePresetImportTimeoutMs = 10000;

// The local date and time as the export header shows it (the C library's
// "%c").
std::wstring ExportDateText();

// Writes `presets` (built-in sets are left out) to the UTF-8 `path` with the
// header comment dated `date`, replacing the file there; a failed write
// keeps that file. False with the last error set.
bool ExportRangePresets(const std::string& path, std::span<const RangeSet> presets,
                        const std::wstring& date, const WaitEvent* cancel = nullptr);

// Reads and checks the presets of a file (see RangePresetsFromIni); the
// stored presets are not touched. False with the last error set (a missing
// file gives ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND).
bool ReadRangePresetsFile(const std::string& path, std::vector<RangeSet>& presets,
                          const WaitEvent* cancel = nullptr);

// Reads the file and, when it is good, replaces every stored preset with its
// presets. A failure leaves the stored presets as they were.
bool ImportRangePresets(const std::string& path, std::vector<RangeSet>& imported,
                        const WaitEvent* cancel = nullptr);

// "Failed to save presets into the following file:..." (exporting) or
// "Failed to read presets from the following file:..." with the error text.
std::wstring RangePresetFileFailure(bool exporting, const std::string& path, uint32_t error);

}  // namespace tarnix
