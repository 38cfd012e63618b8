#include "errmsg/range_code.h"

#include "errmsg/number_scan.h"

namespace tarnix {

bool ParseRangeCode(std::wstring_view text, uint32_t& value) {
  value = 0;
  size_t i = 0;
  while (i < text.size() &&
         (text[i] == L'\t' || text[i] == L'\n' || text[i] == L'\r' || text[i] == L' '))
    ++i;
  std::wstring_view rest = text.substr(i);
  if (rest.empty()) return false;
  const bool hexPrefix = rest.size() >= 2 && rest[0] == L'0' && (rest[1] == L'x' || rest[1] == L'X');
  if (hexPrefix && rest.size() > 2) return ScanCode32(rest.substr(2), 16, value);
  // A bare "0x" is an unfinished hexadecimal number, not the decimal 0.
  if (hexPrefix) return false;
  return ScanCode32(rest, 10, value);
}

}  // namespace tarnix
