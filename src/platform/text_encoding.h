#pragma once
// Text conversions at the program's boundaries: Windows-1252 for names read
// from images (the ANSI code page), UTF-8 for paths and the terminal, UTF-16
// for stored Windows formats. Engine strings are std::wstring.
#include <cstddef>
#include <string>
#include <string_view>

namespace tarnix {

// Appends the Windows-1252 text `s` to `out`. Every byte maps to a character
// (the five bytes the code page leaves unassigned map to U+0081, U+008D,
// U+008F, U+0090 and U+009D, as the platform's converter does).
void AppendCp1252(std::wstring& out, std::string_view s);
std::wstring FromCp1252(std::string_view s);
// Windows-1252 bytes of `s`; characters without a byte become '?' and set
// *lossy when given.
std::string ToCp1252(std::wstring_view s, bool* lossy = nullptr);

// UTF-8. Each byte of malformed input decodes to U+DC80..U+DCFF (its value
// plus 0xDC00) and encodes back to that byte, so a file name that is not
// UTF-8 still reopens; other characters UTF-8 cannot hold become U+FFFD.
std::string ToUtf8(std::wstring_view s);
std::wstring FromUtf8(std::string_view s);

// UTF-16 code units (surrogate pairs for characters above U+FFFF); unpaired
// surrogates decode to U+FFFD.
std::u16string ToUtf16(std::wstring_view s);
std::wstring FromUtf16(std::u16string_view s);
// The number of UTF-16 code units of `s`: the length stored formats count.
size_t Utf16Length(std::wstring_view s);

// One character at a time, as the functions above decode whole texts, for
// readers that never hold the whole text decoded.
wchar_t Cp1252Char(unsigned char c);
// The character of UTF-8 text `s` at `at` (before its end); `length` gets
// the bytes it takes.
wchar_t Utf8CharAt(std::string_view s, size_t at, size_t& length);
// The character that begins with code unit `first`; `next` is the unit
// after it, when there is one. `units` gets 2 for a surrogate pair, else 1.
wchar_t Utf16Char(char16_t first, const char16_t* next, size_t& units);

}  // namespace tarnix
