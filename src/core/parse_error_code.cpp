#include "core/parse_error_code.h"

#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

bool IsDec(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsHexLetter(wchar_t c) { return (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'); }
unsigned HexValue(wchar_t c) {
  return IsDec(c) ? unsigned(c - L'0') : unsigned((c | 0x20) - L'a' + 10);
}

bool Fail(uint32_t err, ErrorCodeKind& kind) {
  kind = ErrorCodeKind::None;
  SetLastError(err);
  return false;
}

// Reads digits of `base`; false when the value does not fit in 64 bits.
bool ReadNumber(std::wstring_view digits, unsigned base, uint64_t& value) {
  value = 0;
  for (wchar_t c : digits) {
    unsigned d = base == 16 ? HexValue(c) : unsigned(c - L'0');
    if (value > (UINT64_MAX - d) / base) return false;
    value = value * base + d;
  }
  return true;
}

}  // namespace

const wchar_t kErrorCodeRangeText[] =
    L"An error code is a number from -2147483648 to 4294967295 (-0x80000000 to 0xFFFFFFFF).";

bool ErrorCodeFromMagnitude(bool negative, uint64_t magnitude, uint32_t& code) {
  if (magnitude > (negative ? 0x80000000ULL : 0xFFFFFFFFULL)) return false;
  const uint32_t v = static_cast<uint32_t>(magnitude);
  code = negative ? 0u - v : v;
  return true;
}

bool ParseErrorCode(std::wstring_view text, uint32_t& code, ErrorCodeKind& kind) {
  code = 0;
  if (text.empty()) return Fail(ERROR_NOTHING_ENTERED, kind);
  bool negate = false;
  if (text[0] == L'-' || text[0] == L'+') {
    negate = text[0] == L'-';
    text.remove_prefix(1);
  }
  if (text.empty()) return Fail(ERROR_BAD_NUMBER_TEXT, kind);

  std::wstring_view digits;
  unsigned base = 10;
  if (text.size() >= 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
    digits = text.substr(2);
    if (digits.empty()) return Fail(ERROR_BAD_NUMBER_TEXT, kind);
    for (wchar_t c : digits)
      if (!IsDec(c) && !IsHexLetter(c)) return Fail(ERROR_BAD_NUMBER_TEXT, kind);
    base = 16;
  } else {
    digits = text;
    if (digits.size() >= 2 && (digits.back() == L'h' || digits.back() == L'H')) {
      digits.remove_suffix(1);
      base = 16;
    }
    for (wchar_t c : digits) {
      if (IsDec(c)) continue;
      if (IsHexLetter(c)) {
        base = 16;
        continue;
      }
      return Fail(ERROR_BAD_NUMBER_TEXT, kind);
    }
  }

  // A number too long for 64 bits is as far out of range as any other.
  uint64_t value;
  if (!ReadNumber(digits, base, value) || !ErrorCodeFromMagnitude(negate, value, code))
    return Fail(ERROR_VALUE_TOO_LARGE, kind);
  kind = base == 16 ? ErrorCodeKind::Hexadecimal : ErrorCodeKind::Decimal;
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace tarnix
