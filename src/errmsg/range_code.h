#pragma once
// Reading a range bound as the user types it.
#include <cstdint>
#include <string_view>

namespace tarnix {

// Leading tab, line feed, carriage return and space are skipped. "0x" or
// "0X" followed by at least one character introduces hexadecimal; anything
// else is a signed decimal ("-1" gives 0xFFFFFFFF). Characters after the
// number are ignored. Fails, with `value` 0, on empty or non-numeric text
// and on a number that does not fit in 32 bits.
bool ParseRangeCode(std::wstring_view text, uint32_t& value);

}  // namespace tarnix
