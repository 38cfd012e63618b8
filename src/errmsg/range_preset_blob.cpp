#include "errmsg/range_preset_blob.h"

#include <algorithm>

#include "core/preset_name_chars.h"
#include "errmsg/blob_cursor.h"
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

bool ReadName(BlobReader& in, size_t limit, std::wstring& name) {
  uint32_t len = 0;
  if (!in.ReadU32(len)) return Fail(ERROR_BAD_LENGTH);
  if (len > limit) return Fail(ERROR_INVALID_NAME_LENGTH);
  if (!in.ReadUtf16(len, name)) return Fail(ERROR_BAD_LENGTH);
  return true;
}

}  // namespace

bool EncodeRangePresetsBlob(std::span<const RangeSet> presets, std::vector<uint8_t>& blob) {
  if (presets.size() > kMaxRangePresets) return Fail(ERROR_TOO_MANY_NAMES);
  // Convert and check everything first: nothing is written for a bad preset.
  struct Names {
    std::u16string name;
    std::vector<std::u16string> rangeNames, libraries;
  };
  std::vector<Names> converted;
  size_t expected = 4;
  for (const RangeSet& p : presets) {
    if (p.ranges.size() > kMaxErrorRanges) return Fail(ERROR_TOO_MANY_CMDS);
    Names n;
    n.name = ToUtf16(p.name);
    if (n.name.size() > kMaxPresetNameLength) return Fail(ERROR_INVALID_NAME_LENGTH);
    expected += 12 + 2 * n.name.size();
    for (const ErrorRange& r : p.ranges) {
      if (!AreRangeFlagsValid(r.flags)) return Fail(ERROR_INVALID_FLAGS);
      n.rangeNames.push_back(ToUtf16(r.rangeName));
      n.libraries.push_back(ToUtf16(r.libraryName));
      if (n.rangeNames.back().size() > kMaxRangeNameLength ||
          n.libraries.back().size() > kMaxLibraryNameLength)
        return Fail(ERROR_INVALID_NAME_LENGTH);
      expected += 20 + 2 * (n.rangeNames.back().size() + n.libraries.back().size());
    }
    converted.push_back(std::move(n));
  }

  std::vector<uint8_t> out;
  out.reserve(expected);
  BlobWriter w(out);
  w.WriteU32(uint32_t(presets.size()));
  for (size_t i = 0; i < presets.size(); ++i) {
    const RangeSet& p = presets[i];
    const Names& n = converted[i];
    w.WriteU32(p.setFlags & ~kMemoryOnlySetFlags);
    w.WriteU32(uint32_t(n.name.size()));
    w.WriteUtf16(n.name);
    w.WriteU32(uint32_t(p.ranges.size()));
    for (size_t j = 0; j < p.ranges.size(); ++j) {
      w.WriteU32(p.ranges[j].flags);
      w.WriteU32(p.ranges[j].codeFrom);
      w.WriteU32(p.ranges[j].codeTo);
      w.WriteU32(uint32_t(n.rangeNames[j].size()));
      w.WriteUtf16(n.rangeNames[j]);
      w.WriteU32(uint32_t(n.libraries[j].size()));
      w.WriteUtf16(n.libraries[j]);
    }
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
    if (!in.ReadU32(p.setFlags)) return Fail(ERROR_BAD_LENGTH);
    p.setFlags &= ~kMemoryOnlySetFlags;
    if (!ReadName(in, kMaxPresetNameLength, p.name)) return false;
    p.name = WithNameCharsReplaced(p.name);  // as every list shows stored names
    uint32_t ranges = 0;
    if (!in.ReadU32(ranges)) return Fail(ERROR_BAD_LENGTH);
    if (ranges > kMaxErrorRanges) return Fail(ERROR_TOO_MANY_CMDS);
    // Each stored range takes at least 20 bytes; do not reserve for more
    // ranges than the data can hold.
    p.ranges.reserve(std::min<size_t>(ranges, in.remaining() / 20));
    for (uint32_t j = 0; j < ranges; ++j) {
      ErrorRange r;
      if (!in.ReadU32(r.flags) || !in.ReadU32(r.codeFrom) || !in.ReadU32(r.codeTo))
        return Fail(ERROR_BAD_LENGTH);
      if (!AreRangeFlagsValid(r.flags)) return Fail(ERROR_INVALID_FLAGS);
      if (!ReadName(in, kMaxRangeNameLength, r.rangeName) ||
          !ReadName(in, kMaxLibraryNameLength, r.libraryName))
        return false;
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
