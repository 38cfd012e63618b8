#pragma once
#include <cstdint>
#include <string_view>

namespace tarnix {

enum class ErrorCodeKind : uint32_t { None = 0, Decimal = 1, Hexadecimal = 2 };

// Reads an error code as the user typed it: an optional sign, then decimal
// digits, "0x" and hexadecimal digits, hexadecimal digits with letters, or
// digits with a final "h". On failure sets the last error (4306 nothing
// entered, 12027 a stray character, 5913 a value out of range, however many
// digits it has) and answers false with kind None.
bool ParseErrorCode(std::wstring_view text, uint32_t& code, ErrorCodeKind& kind);

// The range every reader of a 32-bit code keeps to: 0 to 0xFFFFFFFF, or a
// negative value down to -0x80000000 (-2147483648), taken as its two's
// complement. False, and nothing set, for a value outside it: a number
// never wraps.
bool ErrorCodeFromMagnitude(bool negative, uint64_t magnitude, uint32_t& code);

// "An error code is a number from -2147483648 to 4294967295 (-0x80000000
// to 0xFFFFFFFF)."
extern const wchar_t kErrorCodeRangeText[];

}  // namespace tarnix
