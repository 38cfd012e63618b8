#pragma once
// Named lists of ranges: the eight built-in sets and the user's presets.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "errmsg/error_range.h"
#include "errmsg/facility_table.h"

namespace tarnix {

inline constexpr uint32_t kRangeSetBuiltIn = 0x8000;  // read-only, never stored
inline constexpr uint32_t kRangeSetUnsaved = 0x0001;  // changed and not yet saved

struct RangeSet {
  std::vector<ErrorRange> ranges;  // in search and display order
  std::wstring name;
  uint32_t setFlags = 0;

  bool operator==(const RangeSet&) const = default;
};

// Keyed by set identifier: built-in sets 0..7, user presets their own ids.
using RangeSetMap = std::map<int32_t, RangeSet>;

inline constexpr int32_t kBuiltInRangeSetCount = 8;
inline constexpr int32_t kWin32RangeSetId = 0;  // "Win32 Error Codes"

// The HRESULT range of facility `facility`: 0x80000000 | (f << 16) to that
// | 0xFFFF, named "<display name> Errors" (facilities outside the table get
// the default HRESULT name).
ErrorRange HresultFacilityRange(uint32_t facility);
// The range of a named row of ExtendedHresultRanges: the start code to the
// start code with its trailing zero hex digits (at most four) set to F.
ErrorRange ExtendedRowRange(const ExtendedHresultRow& row);

// The eight built-in sets, built once per process (thread-safe); every call
// returns a copy of the cached map.
RangeSetMap BuildBuiltInRangeSets();

}  // namespace tarnix
