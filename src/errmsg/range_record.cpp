#include "errmsg/range_record.h"

#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

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

void WriteName(BlobWriter& out, const std::u16string& name) {
  out.WriteU32(uint32_t(name.size()));
  out.WriteUtf16(name);
}

}  // namespace

bool PrepareRangeRecord(const ErrorRange& range, RangeRecord& out) {
  if (!AreRangeFlagsValid(range.flags)) return Fail(ERROR_INVALID_FLAGS);
  RangeRecord r;
  r.codeFrom = range.codeFrom;
  r.codeTo = range.codeTo;
  r.flags = range.flags;
  r.library = ToUtf16(range.libraryName);
  r.name = ToUtf16(range.rangeName);
  if (r.library.size() > kMaxLibraryNameLength || r.name.size() > kMaxRangeNameLength)
    return Fail(ERROR_INVALID_NAME_LENGTH);
  out = std::move(r);
  return true;
}

void WriteRangeRecord(BlobWriter& out, const RangeRecord& r, RangeRecordOrder order) {
  if (order == RangeRecordOrder::kRangeList) {
    out.WriteU32(r.codeFrom);
    out.WriteU32(r.codeTo);
    out.WriteU32(r.flags);
    WriteName(out, r.library);
    WriteName(out, r.name);
  } else {
    out.WriteU32(r.flags);
    out.WriteU32(r.codeFrom);
    out.WriteU32(r.codeTo);
    WriteName(out, r.name);
    WriteName(out, r.library);
  }
}

bool ReadRangeRecord(BlobReader& in, RangeRecordOrder order, ErrorRange& range) {
  ErrorRange r;
  const bool listOrder = order == RangeRecordOrder::kRangeList;
  const bool codes = listOrder ? in.ReadU32(r.codeFrom) && in.ReadU32(r.codeTo) && in.ReadU32(r.flags)
                               : in.ReadU32(r.flags) && in.ReadU32(r.codeFrom) && in.ReadU32(r.codeTo);
  if (!codes) return Fail(ERROR_BAD_LENGTH);
  if (!AreRangeFlagsValid(r.flags)) return Fail(ERROR_INVALID_FLAGS);
  const bool names = listOrder ? ReadName(in, kMaxLibraryNameLength, r.libraryName) &&
                                     ReadName(in, kMaxRangeNameLength, r.rangeName)
                               : ReadName(in, kMaxRangeNameLength, r.rangeName) &&
                                     ReadName(in, kMaxLibraryNameLength, r.libraryName);
  if (!names) return false;
  range = std::move(r);
  return true;
}

}  // namespace tarnix
