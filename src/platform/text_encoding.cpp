#include "platform/text_encoding.h"

#include <cstdint>

namespace tarnix {
namespace {

// Windows-1252 bytes 0x80..0x9F.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void PutUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// A byte that is not part of well-formed UTF-8 becomes U+DC80..U+DCFF (a
// lone low surrogate, which well-formed text never holds) and turns back into
// the same byte, so that file names in other encodings survive the trip.
constexpr uint32_t kEscapedByteBase = 0xDC00;

bool Valid(uint32_t cp) {
  return cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
}

}  // namespace

wchar_t Cp1252Char(unsigned char c) {
  return (c >= 0x80 && c < 0xA0) ? static_cast<wchar_t>(kHigh[c - 0x80])
                                 : static_cast<wchar_t>(c);
}

wchar_t Utf8CharAt(std::string_view s, size_t i, size_t& length) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  length = 1;
  if (c < 0x80) return static_cast<wchar_t>(c);
  int len = c >= 0xF0 && c < 0xF5 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
  if (c >= 0xF5) len = 0;
  uint32_t cp = len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
  bool ok = len != 0 && i + len <= s.size();
  for (int k = 1; ok && k < len; ++k) {
    const unsigned char d = static_cast<unsigned char>(s[i + k]);
    if ((d & 0xC0) != 0x80) ok = false;
    cp = (cp << 6) | (d & 0x3F);
  }
  // Overlong forms and surrogates are malformed.
  if (ok && ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || !Valid(cp))) ok = false;
  if (!ok) return static_cast<wchar_t>(kEscapedByteBase + c);
  length = static_cast<size_t>(len);
  return static_cast<wchar_t>(cp);
}

wchar_t Utf16Char(char16_t c, const char16_t* next, size_t& units) {
  units = 1;
  if (c >= 0xD800 && c < 0xDC00 && next && *next >= 0xDC00 && *next < 0xE000) {
    units = 2;
    return static_cast<wchar_t>(0x10000 + ((c - 0xD800) << 10) + (*next - 0xDC00));
  }
  return c >= 0xD800 && c < 0xE000 ? static_cast<wchar_t>(0xFFFD) : static_cast<wchar_t>(c);
}

void AppendCp1252(std::wstring& out, std::string_view s) {
  size_t at = out.size();
  out.resize(at + s.size());
  for (unsigned char c : s) out[at++] = Cp1252Char(c);
}

std::wstring FromCp1252(std::string_view s) {
  std::wstring out;
  AppendCp1252(out, s);
  return out;
}

std::string ToCp1252(std::wstring_view s, bool* lossy) {
  std::string out;
  out.reserve(s.size());
  for (wchar_t w : s) {
    uint32_t c = static_cast<uint32_t>(w);
    if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
      out += static_cast<char>(c);
      continue;
    }
    int found = -1;
    for (int i = 0; i < 32; ++i)
      if (kHigh[i] == c) found = i;
    if (found >= 0) {
      out += static_cast<char>(0x80 + found);
    } else {
      out += '?';
      if (lossy) *lossy = true;
    }
  }
  return out;
}

std::string ToUtf8(std::wstring_view s) {
  // Most texts are ASCII: copied as they are until the first other character.
  std::string out(s.size(), '\0');
  size_t ascii = 0;
  while (ascii < s.size() && static_cast<uint32_t>(s[ascii]) < 0x80) {
    out[ascii] = static_cast<char>(s[ascii]);
    ++ascii;
  }
  if (ascii == s.size()) return out;
  out.resize(ascii);
  for (wchar_t w : s.substr(ascii)) {
    uint32_t cp = static_cast<uint32_t>(w);
    if (cp >= kEscapedByteBase + 0x80 && cp <= kEscapedByteBase + 0xFF)
      out += static_cast<char>(cp - kEscapedByteBase);  // a byte FromUtf8 could not decode
    else
      PutUtf8(out, Valid(cp) ? cp : 0xFFFD);
  }
  return out;
}

std::wstring FromUtf8(std::string_view s) {
  std::wstring out;
  out.reserve(s.size());
  for (size_t i = 0, length = 0; i < s.size(); i += length) out += Utf8CharAt(s, i, length);
  return out;
}

std::u16string ToUtf16(std::wstring_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (wchar_t w : s) {
    uint32_t cp = static_cast<uint32_t>(w);
    if (cp >= 0x10000 && cp <= 0x10FFFF) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp <= 0xFFFF ? cp : 0xFFFD);
    }
  }
  return out;
}

size_t Utf16Length(std::wstring_view s) {
  size_t units = s.size();
  for (wchar_t w : s) units += static_cast<uint32_t>(w) >= 0x10000 && static_cast<uint32_t>(w) <= 0x10FFFF;
  return units;
}

std::wstring FromUtf16(std::u16string_view s) {
  std::wstring out;
  out.reserve(s.size());
  for (size_t i = 0, units = 0; i < s.size(); i += units)
    out += Utf16Char(s[i], i + 1 < s.size() ? &s[i + 1] : nullptr, units);
  return out;
}

}  // namespace tarnix
