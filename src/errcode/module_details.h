#pragma once
// The details shown beside a module in the results: its file version and
// description, read from its version resource without loading it.
#include <cstdint>
#include <string>

namespace tarnix {

inline constexpr uint64_t kUnknownFileVersion = ~uint64_t{0};

struct ModuleDetails {
  uint64_t version = kUnknownFileVersion;  // four 16-bit parts, high first
  std::wstring description;
};

// Reads the details of `path` in `language` (callers pass the user's
// default). A module whose version information can't be read gets the
// description "<error: (%s) %s>" and no version.
ModuleDetails ReadModuleDetails(const std::wstring& path, uint16_t language);

// "%u.%u.%u.%u" of the four parts; empty when unknown.
std::wstring FileVersionText(uint64_t version);

}  // namespace tarnix
