#pragma once
// One range of error codes searched by the message search: its bounds, the
// kind of codes it holds, the module whose message table is consulted, and
// its display name.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tarnix {

// Flags bits 0-3: where the messages come from.
inline constexpr uint32_t kRangeModuleKindMask = 0x00F;
inline constexpr uint32_t kRangeModuleNone = 0;      // system message tables only
inline constexpr uint32_t kRangeModuleSystem = 1;    // file name in the system folder
inline constexpr uint32_t kRangeModuleAbsolute = 2;  // absolute path
// Flags bits 8-11: what the codes are.
inline constexpr uint32_t kRangeCodeKindMask = 0xF00;
inline constexpr uint32_t kRangeCodeWin32 = 0x000;
inline constexpr uint32_t kRangeCodeHresult = 0x100;

// Limits of stored and edited lists.
inline constexpr size_t kMaxErrorRanges = 1024;
inline constexpr size_t kMaxLibraryNameLength = 260;  // UTF-16 units
inline constexpr size_t kMaxRangeNameLength = 256;    // UTF-16 units

struct ErrorRange {
  uint32_t codeFrom = 0;
  // Inclusive. Below codeFrom (unsigned) the range wraps: codeFrom..0xFFFFFFFF,
  // then 0..codeTo.
  uint32_t codeTo = 0;
  uint32_t flags = 0;
  std::wstring libraryName;  // empty for module kind 0
  std::wstring rangeName;    // may be empty; see RangeDisplayName

  bool operator==(const ErrorRange&) const = default;
};

inline uint32_t RangeModuleKind(const ErrorRange& r) { return r.flags & kRangeModuleKindMask; }
inline uint32_t RangeCodeKind(const ErrorRange& r) { return r.flags & kRangeCodeKindMask; }
inline bool RangeWraps(const ErrorRange& r) { return r.codeTo < r.codeFrom; }

// The flags that stored and imported ranges may carry: a known module kind
// and a code kind without bits 9-11.
inline bool AreRangeFlagsValid(uint32_t flags) {
  return (flags & kRangeModuleKindMask) <= kRangeModuleAbsolute && (flags & 0xE00) == 0;
}

// "Win32", "HRESULT" or "<0x%X>" of the masked code kind.
std::wstring CodeKindName(uint32_t flags);
// "HRESULT Errors" for HRESULT ranges, "Win32 Errors" for every other kind.
std::wstring DefaultRangeName(uint32_t flags);
// The range's name, or its default name when it has none.
std::wstring RangeDisplayName(const ErrorRange& r);
// ":Sys=\"name\"", ":Abs=\"path\"", ":<0x%X>=\"name\"", or empty for kind 0.
std::wstring RangeModuleText(const ErrorRange& r);

// Code From and Code To as the range texts write them: both in one notation,
// so a range that starts or ends in hexadecimal reads "0xC0000000" and
// "0xFFFFFFFF", never "0xC0000000" and "-1"; otherwise ErrorCodeToText of each.
struct RangeEndTexts {
  std::wstring from, to;
};
RangeEndTexts RangeEndsToText(const ErrorRange& r);

// "Win32:[0 to 11999]", "Win32:[12000 to 12175]:Sys=\"wininet.dll\"", ...
std::wstring ErrorRangeToText(const ErrorRange& r);
// ErrorRangeToText of every range joined by "; ".
std::wstring RangeListToText(std::span<const ErrorRange> list);

// Number of codes in the range (1 to 2^32).
uint64_t RangeCodeCount(const ErrorRange& r);
uint64_t RangeListCodeCount(std::span<const ErrorRange> list);

// Whether the two ranges share at least one code.
bool RangesOverlap(const ErrorRange& a, const ErrorRange& b);

// A range's codes as at most two inclusive spans, in the order in which a
// search visits them: codeFrom..end, then (wrapping only) 0..codeTo. Lets a
// search walk or intersect a range without testing every code.
struct CodeSpan {
  uint32_t from;
  uint32_t to;
};
struct RangeSpans {
  std::array<CodeSpan, 2> spans;
  size_t count;
  const CodeSpan* begin() const { return spans.data(); }
  const CodeSpan* end() const { return spans.data() + count; }
};
RangeSpans SpansOfRange(const ErrorRange& r);
bool RangeContains(const ErrorRange& r, uint32_t code);

}  // namespace tarnix
