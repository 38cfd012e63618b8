#include "errmsg/error_range.h"

#include "core/error_text.h"
#include "core/wformat.h"

namespace tarnix {

std::wstring CodeKindName(uint32_t flags) {
  switch (flags & kRangeCodeKindMask) {
    case kRangeCodeWin32: return L"Win32";
    case kRangeCodeHresult: return L"HRESULT";
    default: return WFormat(L"<0x%X>", flags & kRangeCodeKindMask);
  }
}

std::wstring DefaultRangeName(uint32_t flags) {
  return (flags & kRangeCodeKindMask) == kRangeCodeHresult ? L"HRESULT Errors" : L"Win32 Errors";
}

std::wstring RangeDisplayName(const ErrorRange& r) {
  return r.rangeName.empty() ? DefaultRangeName(r.flags) : r.rangeName;
}

std::wstring RangeModuleText(const ErrorRange& r) {
  switch (RangeModuleKind(r)) {
    case kRangeModuleNone: return std::wstring();
    case kRangeModuleSystem: return L":Sys=\"" + r.libraryName + L"\"";
    case kRangeModuleAbsolute: return L":Abs=\"" + r.libraryName + L"\"";
    default: return WFormat(L":<0x%X>=\"", RangeModuleKind(r)) + r.libraryName + L"\"";
  }
}

RangeEndTexts RangeEndsToText(const ErrorRange& r) {
  RangeEndTexts t{ErrorCodeToText(r.codeFrom), ErrorCodeToText(r.codeTo)};
  if (t.from.starts_with(L"0x") || t.to.starts_with(L"0x")) {
    t.from = WFormat(L"0x%08X", r.codeFrom);
    t.to = WFormat(L"0x%08X", r.codeTo);
  }
  return t;
}

std::wstring ErrorRangeToText(const ErrorRange& r) {
  const RangeEndTexts ends = RangeEndsToText(r);
  return CodeKindName(r.flags) + L":[" + ends.from + L" to " + ends.to + L"]" + RangeModuleText(r);
}

std::wstring RangeListToText(std::span<const ErrorRange> list) {
  std::wstring out;
  for (const ErrorRange& r : list) {
    if (!out.empty()) out += L"; ";
    out += ErrorRangeToText(r);
  }
  return out;
}

uint64_t RangeCodeCount(const ErrorRange& r) {
  if (!RangeWraps(r)) return uint64_t(r.codeTo) - r.codeFrom + 1;
  return (uint64_t(0xFFFFFFFF) - r.codeFrom + 1) + (uint64_t(r.codeTo) + 1);
}

uint64_t RangeListCodeCount(std::span<const ErrorRange> list) {
  uint64_t total = 0;
  for (const ErrorRange& r : list) total += RangeCodeCount(r);
  return total;
}

bool RangesOverlap(const ErrorRange& a, const ErrorRange& b) {
  const bool aWraps = RangeWraps(a), bWraps = RangeWraps(b);
  if (aWraps && bWraps) return true;  // both hold 0xFFFFFFFF
  const uint32_t aEnd = aWraps ? 0xFFFFFFFF : a.codeTo;
  const uint32_t bEnd = bWraps ? 0xFFFFFFFF : b.codeTo;
  if (aEnd >= b.codeFrom && bEnd >= a.codeFrom) return true;
  if (aWraps && a.codeTo >= b.codeFrom) return true;  // a's 0..To meets b
  if (bWraps && b.codeTo >= a.codeFrom) return true;
  return false;
}

RangeSpans SpansOfRange(const ErrorRange& r) {
  if (!RangeWraps(r)) return {{{{r.codeFrom, r.codeTo}, {0, 0}}}, 1};
  return {{{{r.codeFrom, 0xFFFFFFFF}, {0, r.codeTo}}}, 2};
}

bool RangeContains(const ErrorRange& r, uint32_t code) {
  if (!RangeWraps(r)) return code >= r.codeFrom && code <= r.codeTo;
  return code >= r.codeFrom || code <= r.codeTo;
}

}  // namespace tarnix
