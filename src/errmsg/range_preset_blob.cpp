#include "errmsg/range_preset_blob.h"

#include <algorithm>

#include "core/preset_name_chars.h"
#include "errmsg/range_record.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

constexpr uint32_t kMemoryOnlySetFlags = kRangeSetBuiltIn | kRangeSetUnsaved;

bool Fail(uint32_t error) {
  SetLastError(error);
  return false;
}

}  // namespace

bool EncodeRangePresetsBlob(std::span<const RangeSet> presets, std::vector<uint8_t>& blob) {
  if (presets.size() > kMaxRangePresets) return Fail(ERROR_TOO_MANY_NAMES);
  // Convert and check everything first: nothing is written for a bad preset.
  struct Converted {
    std::u16string name;
    std::vector<RangeRecord> ranges;
  };
  std::vector<Converted> converted;
  size_t expected = 4;
  for (const RangeSet& p : presets) {
    if (p.ranges.size() > kMaxErrorRanges) return Fail(ERROR_TOO_MANY_CMDS);
    Converted c;
    c.name = ToUtf16(p.name);
    if (c.name.size() > kMaxPresetNameLength) return Fail(ERROR_INVALID_NAME_LENGTH);
    expected += 12 + 2 * c.name.size();
    c.ranges.resize(p.ranges.size());
    for (size_t j = 0; j < p.ranges.size(); ++j) {
      if (!PrepareRangeRecord(p.ranges[j], c.ranges[j])) return false;
      expected += c.ranges[j].StoredSize();
    }
    converted.push_back(std::move(c));
  }

  std::vector<uint8_t> out;
  out.reserve(expected);
  BlobWriter w(out);
  w.WriteU32(uint32_t(presets.size()));
  for (size_t i = 0; i < presets.size(); ++i) {
    const Converted& c = converted[i];
    w.WriteU32(presets[i].setFlags & ~kMemoryOnlySetFlags);
    w.WriteU32(uint32_t(c.name.size()));
    w.WriteUtf16(c.name);
    w.WriteU32(uint32_t(c.ranges.size()));
    for (const RangeRecord& r : c.ranges) WriteRangeRecord(w, r, RangeRecordOrder::kPreset);
  }
  if (out.size() != expected) return Fail(ERROR_CHECKSUM_MISMATCH);
  blob = std::move(out);
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool DecodeRangePresetsBlob(std::span<const uint8_t> blob, std::vector<RangeSet>& presets) {
  if (blob.size() < 4) return Fail(ERROR_INVALID_PARAMETER);
  BlobReader in(blob);
  uint32_t count = 0;
  in.ReadU32(count);
  if (count > kMaxRangePresets) return Fail(ERROR_TOO_MANY_NAMES);

  std::vector<RangeSet> out;
  out.reserve(std::min<size_t>(count, in.remaining() / 12));
  for (uint32_t i = 0; i < count; ++i) {
    RangeSet p;
    uint32_t nameLength = 0;
    if (!in.ReadU32(p.setFlags) || !in.ReadU32(nameLength)) return Fail(ERROR_BAD_LENGTH);
    p.setFlags &= ~kMemoryOnlySetFlags;
    if (nameLength > kMaxPresetNameLength) return Fail(ERROR_INVALID_NAME_LENGTH);
    uint32_t ranges = 0;
    if (!in.ReadUtf16(nameLength, p.name) || !in.ReadU32(ranges)) return Fail(ERROR_BAD_LENGTH);
    p.name = WithNameCharsReplaced(p.name);  // as every list shows stored names
    if (ranges > kMaxErrorRanges) return Fail(ERROR_TOO_MANY_CMDS);
    // Each stored range takes at least 20 bytes; do not reserve for more
    // ranges than the data can hold.
    p.ranges.reserve(std::min<size_t>(ranges, in.remaining() / 20));
    for (uint32_t j = 0; j < ranges; ++j) {
      ErrorRange r;
      if (!ReadRangeRecord(in, RangeRecordOrder::kPreset, r)) return false;
      p.ranges.push_back(std::move(r));
    }
    out.push_back(std::move(p));
  }
  if (in.remaining() != 0) return Fail(ERROR_CHECKSUM_MISMATCH);
  presets = std::move(out);
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace tarnix
