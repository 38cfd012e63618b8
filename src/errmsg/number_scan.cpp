#include "errmsg/number_scan.h"

#include "core/parse_error_code.h"

namespace tarnix {
namespace {

bool IsScanSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' || c == L'\f';
}

int DigitValue(wchar_t c, unsigned base) {
  int d = -1;
  if (c >= L'0' && c <= L'9') d = c - L'0';
  else if (c >= L'a' && c <= L'f') d = c - L'a' + 10;
  else if (c >= L'A' && c <= L'F') d = c - L'A' + 10;
  return d >= 0 && unsigned(d) < base ? d : -1;
}

// Skips white space and a sign; reads the magnitude up to `limit`.
bool ScanMagnitude(std::wstring_view text, unsigned base, uint64_t limit, bool& negative,
                   uint64_t& magnitude) {
  size_t i = 0;
  while (i < text.size() && IsScanSpace(text[i])) ++i;
  negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  if (base == 16 && i + 2 < text.size() && text[i] == L'0' &&
      (text[i + 1] == L'x' || text[i + 1] == L'X') && DigitValue(text[i + 2], 16) >= 0)
    i += 2;
  size_t digits = 0;
  magnitude = 0;
  for (; i < text.size(); ++i, ++digits) {
    int d = DigitValue(text[i], base);
    if (d < 0) break;
    if (magnitude > (limit - unsigned(d)) / base) return false;
    magnitude = magnitude * base + unsigned(d);
  }
  return digits > 0;
}

}  // namespace

bool ScanCode32(std::wstring_view text, unsigned base, uint32_t& value) {
  value = 0;
  bool negative;
  uint64_t magnitude;
  return ScanMagnitude(text, base, 0xFFFFFFFFULL, negative, magnitude) &&
         ErrorCodeFromMagnitude(negative, magnitude, value);
}

bool ScanInt64(std::wstring_view text, int64_t& value) {
  value = 0;
  bool negative;
  uint64_t magnitude;
  if (!ScanMagnitude(text, 10, uint64_t(INT64_MAX) + 1, negative, magnitude)) return false;
  if (!negative && magnitude > uint64_t(INT64_MAX)) return false;
  value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

}  // namespace tarnix
