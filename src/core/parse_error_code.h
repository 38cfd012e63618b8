#pragma once
#include <cstdint>
#include <string_view>

namespace tarnix {

enum class ErrorCodeKind : uint32_t { None = 0, Decimal = 1, Hexadecimal = 2 };

// Reads an error code as the user typed it: an optional sign, then decimal
// digits, "0x" and hexadecimal digits, hexadecimal digits with letters, or
// digits with a final "h". On failure sets the last error (4306 nothing
// entered, 12027 a stray character, 31/30 a failed decimal/hex read, 5913 a
// value above 32 bits) and answers false with kind None.
bool ParseErrorCode(std::wstring_view text, uint32_t& code, ErrorCodeKind& kind);

}  // namespace tarnix
