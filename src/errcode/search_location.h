#pragma once
// One place the error code search looks in: a folder (optionally with all
// its subfolders) or a single file. The stored presets keep locations in
// the same form, so the two share one type.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/err_code_presets.h"

namespace tarnix {

// Path and flags: the kind in the low four bits (1 folder, 2 file) and
// 0x8000 "with subfolders" (folders only).
using SearchLocation = ErrCodePresetItem;

inline constexpr uint32_t kLocationKindMask = 0xF;
inline constexpr uint32_t kLocationFolder = kPresetItemFolder;
inline constexpr uint32_t kLocationFile = kPresetItemFile;
inline constexpr uint32_t kLocationSubfolders = kPresetItemSubfolders;

constexpr uint32_t LocationKind(uint32_t flags) { return flags & kLocationKindMask; }

// `folder` with a separator at its end: the path as it is when it already
// ends in "/" or "\", else the last separator the path uses, else "/".
std::wstring WithTrailingSeparator(std::wstring_view folder);

// Splits a file path after its last "/" or "\": the folder keeps the
// separator; without one the folder is empty and the name the whole path.
void SplitFilePath(std::wstring_view path, std::wstring& folder, std::wstring& name);

// Whether the location can be searched as it stands: 0, or the error that
// the walk will meet. A folder must exist and be a folder, a file must exist
// and not be a folder (ERROR_BAD_FORMAT otherwise); another kind is
// ERROR_INVALID_DATATYPE; a path that can't be examined gives the system's
// error (ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ...).
uint32_t CheckSearchLocation(const SearchLocation& location);

// "folder", "file" or "item", as the location's kind is named in messages.
const wchar_t* LocationKindName(uint32_t flags);

}  // namespace tarnix
