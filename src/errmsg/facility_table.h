#pragma once
// The HRESULT facilities that name HRESULT ranges, result headers and
// progress lines, and the extra HRESULT ranges outside the facility blocks.
#include <cstddef>
#include <cstdint>

namespace tarnix {

struct Facility {
  uint32_t number;
  const wchar_t* symbolicName;  // "FACILITY_WIN32"
  const wchar_t* displayName;   // "Win32 Facility"
};

inline constexpr size_t kFacilityCount = 55;
// In the program's order (not sorted by number); searched linearly.
extern const Facility FacilityTable[kFacilityCount];

// The 11-bit facility field of an HRESULT.
constexpr uint32_t CodeFacility(uint32_t code) { return (code >> 16) & 0x7FF; }

// The first row of FacilityTable with this number, or null.
const Facility* FindFacility(uint32_t number);

struct ExtendedHresultRow {
  uint32_t startCode;
  const wchar_t* name;  // null: the row is skipped
};

inline constexpr size_t kExtendedHresultRangeCount = 18;
extern const ExtendedHresultRow ExtendedHresultRanges[kExtendedHresultRangeCount];

}  // namespace tarnix
