#include "core/value_escape.h"

#include "core/wformat.h"

namespace tarnix {
namespace {

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

}  // namespace

std::wstring EscapeValue(std::wstring_view text, bool keepWide) {
  size_t len = text.size();
  for (wchar_t c : text) {
    if (c == L'\\' || c == 0 || c == 7 || c == 8 || c == 10 || c == 13) ++len;
    else if (!keepWide && static_cast<uint32_t>(c) >= 256) len += 5;
  }
  std::wstring out;
  out.reserve(len);
  for (wchar_t c : text) {
    switch (c) {
      case 0: out += L"\\0"; break;
      case 7: out += L"\\a"; break;
      case 8: out += L"\\b"; break;
      case 10: out += L"\\n"; break;
      case 13: out += L"\\r"; break;
      case L'\\': out += L"\\\\"; break;
      default:
        if (!keepWide && static_cast<uint32_t>(c) >= 256)
          out += WFormat(L"\\x%04x", static_cast<unsigned>(c) & 0xFFFFu);
        else
          out += c;
    }
  }
  return out;
}

std::wstring UnescapeValue(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    wchar_t c = text[i];
    if (c != L'\\' || i + 1 >= n) {
      out += c;  // also a final backslash, which is kept
      continue;
    }
    wchar_t e = text[++i];
    switch (e) {
      case L'0': out += L'\0'; break;
      case L'a': out += L'\a'; break;
      case L'b': out += L'\b'; break;
      case L'n': out += L'\n'; break;
      case L'r': out += L'\r'; break;
      case L't': out += L'\t'; break;
      case L'x': {
        if (n - (i + 1) < 4) {  // fewer than four characters after the "x"
          out += L'x';
          break;
        }
        unsigned value = 0;
        int digits = 0;
        while (digits < 4 && HexDigit(text[i + 1]) >= 0) {
          value = value * 16 + static_cast<unsigned>(HexDigit(text[i + 1]));
          ++i;
          ++digits;
        }
        if (digits == 0)
          out += L'\\';  // no digit: keep the backslash, drop the "x"
        else
          out += static_cast<wchar_t>(value);
        break;
      }
      default: out += e;
    }
  }
  return out;
}

}  // namespace tarnix
