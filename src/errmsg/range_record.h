#pragma once
// One range as the stored values hold it. The window's ranges
// ("ErrMsgSrchRanges") and the presets ("ErrMsgSrchPresets") store the same
// five fields in two orders: Code From, Code To, Flags, Library Name, Error
// Range Name in the first; Flags, Code From, Code To, Error Range Name,
// Library Name in the second. Each name is a length and UTF-16LE units.
#include <cstddef>
#include <cstdint>
#include <string>

#include "errmsg/blob_cursor.h"
#include "errmsg/error_range.h"

namespace tarnix {

enum class RangeRecordOrder { kRangeList, kPreset };

// A range checked and converted for writing.
struct RangeRecord {
  uint32_t codeFrom = 0, codeTo = 0, flags = 0;
  std::u16string library, name;
  size_t StoredSize() const { return 20 + 2 * (library.size() + name.size()); }
};

// Refuses (last error set) what a reader would refuse, so a stored value
// always loads: flags with an unknown module kind or code kind bits (1004),
// a name over its limit (1283).
bool PrepareRangeRecord(const ErrorRange& range, RangeRecord& out);
void WriteRangeRecord(BlobWriter& out, const RangeRecord& record, RangeRecordOrder order);
// Fails (last error set) when a field runs past the end (24), the flags
// would be refused (1004) or a name is over its limit (1283).
bool ReadRangeRecord(BlobReader& in, RangeRecordOrder order, ErrorRange& range);

}  // namespace tarnix
