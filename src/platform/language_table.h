#pragma once
// The built-in table of Windows language identifiers (generated code).
#include <cstddef>
#include <cstdint>

namespace tarnix {

struct LanguageInfo {
  uint16_t id;                  // language identifier, e.g. 0x0409
  const wchar_t* name;          // e.g. "en-US"
  const wchar_t* displayName;   // e.g. "English (United States)"
};

// Sorted by identifier; identifiers are unique.
extern const LanguageInfo kLanguageTable[];
extern const size_t kLanguageCount;

}  // namespace tarnix
