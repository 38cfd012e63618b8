#include "errmsg/range_list_blob.h"

#include <algorithm>

#include "errmsg/blob_cursor.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

bool Fail(uint32_t error) {
  SetLastError(error);
  return false;
}

}  // namespace

bool EncodeRangeListBlob(std::span<const ErrorRange> list, std::vector<uint8_t>& blob) {
  if (list.size() > kMaxErrorRanges) return Fail(ERROR_TOO_MANY_CMDS);
  std::vector<std::u16string> libs, names;
  size_t expected = 4;
  for (const ErrorRange& r : list) {
    // Refuse what the reader would refuse, so a stored list always loads.
    if (!AreRangeFlagsValid(r.flags)) return Fail(ERROR_INVALID_FLAGS);
    libs.push_back(ToUtf16(r.libraryName));
    names.push_back(ToUtf16(r.rangeName));
    if (libs.back().size() > kMaxLibraryNameLength || names.back().size() > kMaxRangeNameLength)
      return Fail(ERROR_INVALID_NAME_LENGTH);
    expected += 20 + 2 * (libs.back().size() + names.back().size());
  }

  std::vector<uint8_t> out;
  out.reserve(expected);
  BlobWriter w(out);
  w.WriteU32(uint32_t(list.size()));
  for (size_t i = 0; i < list.size(); ++i) {
    w.WriteU32(list[i].codeFrom);
    w.WriteU32(list[i].codeTo);
    w.WriteU32(list[i].flags);
    w.WriteU32(uint32_t(libs[i].size()));
    w.WriteUtf16(libs[i]);
    w.WriteU32(uint32_t(names[i].size()));
    w.WriteUtf16(names[i]);
  }
  if (out.size() != expected) return Fail(ERROR_CHECKSUM_MISMATCH);
  blob = std::move(out);
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool DecodeRangeListBlob(std::span<const uint8_t> blob, std::vector<ErrorRange>& list) {
  if (blob.size() < 4) return Fail(ERROR_INVALID_PARAMETER);
  BlobReader in(blob);
  uint32_t count = 0;
  in.ReadU32(count);
  if (count > kMaxErrorRanges) return Fail(ERROR_TOO_MANY_CMDS);

  std::vector<ErrorRange> out;
  out.reserve(std::min<size_t>(count, in.remaining() / 20));
  for (uint32_t i = 0; i < count; ++i) {
    ErrorRange r;
    if (!in.ReadU32(r.codeFrom) || !in.ReadU32(r.codeTo) || !in.ReadU32(r.flags))
      return Fail(ERROR_BAD_LENGTH);
    if (!AreRangeFlagsValid(r.flags)) return Fail(ERROR_INVALID_FLAGS);
    uint32_t len = 0;
    if (!in.ReadU32(len)) return Fail(ERROR_BAD_LENGTH);
    if (len > kMaxLibraryNameLength) return Fail(ERROR_INVALID_NAME_LENGTH);
    if (!in.ReadUtf16(len, r.libraryName) || !in.ReadU32(len)) return Fail(ERROR_BAD_LENGTH);
    if (len > kMaxRangeNameLength) return Fail(ERROR_INVALID_NAME_LENGTH);
    if (!in.ReadUtf16(len, r.rangeName)) return Fail(ERROR_BAD_LENGTH);
    out.push_back(std::move(r));
  }
  if (in.remaining() != 0) return Fail(ERROR_CHECKSUM_MISMATCH);
  list = std::move(out);
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace tarnix
