#pragma once
// Number reads with the rules of the C library's scan conversions that the
// stored and typed range texts use: leading white space skipped, an optional
// sign, at least one digit, and characters after the number ignored. Unlike
// the C library, a value that does not fit is refused instead of wrapping
// or saturating.
#include <cstdint>
#include <string_view>

namespace tarnix {

// "%u" / "%d" (base 10) or "%x" (base 16, an optional "0x" prefix): any
// magnitude up to 0xFFFFFFFF, or with a "-" up to 0x80000000, which gives
// the two's complement (the range of ErrorCodeFromMagnitude).
bool ScanCode32(std::wstring_view text, unsigned base, uint32_t& value);

// "%I64d": a signed 64-bit decimal.
bool ScanInt64(std::wstring_view text, int64_t& value);

}  // namespace tarnix
