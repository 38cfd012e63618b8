#pragma once
// Where a range's messages come from: the file of its module, found the way
// the search loads it, and the check that the file can be loaded.
#include <filesystem>
#include <functional>
#include <string_view>

#include "errmsg/error_range.h"

namespace tarnix {

// Answers whether the module file can be loaded for its message table; on
// false the last error holds the reason.
using ModuleLoadCheck = std::function<bool(const std::filesystem::path& file)>;

struct RangeModuleEnv {
  // The system folder of the Windows root that kind-1 names are looked up in.
  std::filesystem::path systemDir;
  // The load check; when empty, CheckModuleFile.
  ModuleLoadCheck loads;
};

// A kind-1 name: a file name only (no "/" or "\\", no drive).
bool IsBareModuleName(std::wstring_view name);
// A kind-2 path: absolute, with a separator.
bool IsAbsoluteModulePath(std::wstring_view path);

// The file of a range's module: kind 1 the name in `systemDir`, matched
// ignoring case as Windows does; kind 2 the path itself. Fails with 2380 for
// a kind-1 name that is not a bare file name, 2356 for a kind-2 path that is
// not absolute, 126 when a kind-1 name is not in the folder, 1004 for a range
// without a module or of an unknown kind.
bool ResolveRangeModule(const ErrorRange& r, const std::filesystem::path& systemDir,
                        std::filesystem::path& file);

// The default load check: a readable regular file that starts as a PE image
// ("MZ" header pointing at "PE\0\0"). Fails with 126 (missing), 5 (a folder
// or unreadable) or 193 (not an image).
bool CheckModuleFile(const std::filesystem::path& file);

}  // namespace tarnix
