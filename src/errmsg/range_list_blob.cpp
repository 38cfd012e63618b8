#include "errmsg/range_list_blob.h"

#include <algorithm>

#include "errmsg/range_record.h"
#include "platform/last_error.h"
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
  std::vector<RangeRecord> records(list.size());
  size_t expected = 4;
  for (size_t i = 0; i < list.size(); ++i) {
    if (!PrepareRangeRecord(list[i], records[i])) return false;
    expected += records[i].StoredSize();
  }

  std::vector<uint8_t> out;
  out.reserve(expected);
  BlobWriter w(out);
  w.WriteU32(uint32_t(list.size()));
  for (const RangeRecord& r : records) WriteRangeRecord(w, r, RangeRecordOrder::kRangeList);
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
    if (!ReadRangeRecord(in, RangeRecordOrder::kRangeList, r)) return false;
    out.push_back(std::move(r));
  }
  if (in.remaining() != 0) return Fail(ERROR_CHECKSUM_MISMATCH);
  list = std::move(out);
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace tarnix
