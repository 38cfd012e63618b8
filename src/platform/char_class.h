#pragma once
// Character classes as the Windows program sees them, the same for every
// user locale: IsCharAlphaNumericW, the wide white-space test and the
// single-character, locale-independent case-insensitive comparison
// (CompareStringW with locale 0 and NORM_IGNORECASE). Built-in Unicode
// tables; no call depends on setlocale().
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnix {

// Letters, combining marks and digits of any script.
bool IsCharAlphaNumeric(wchar_t c);

// A word character of the whole-words rule: alphanumeric or "_".
inline bool IsWordChar(wchar_t c) { return c == L'_' || IsCharAlphaNumeric(c); }

// Unicode white space (space, tab, line feed, carriage return, vertical
// tab, form feed, NEL, no-break and the other spaces of the White_Space set).
bool IsWhiteSpace(wchar_t c);

// `text` without the white space at both ends.
std::wstring_view TrimWhiteSpace(std::wstring_view text);

// The simple case fold of `c`: the lower case of its single-character upper
// case, so that "A", "a" fold alike and "K" (Kelvin) folds with "k".
wchar_t FoldCase(wchar_t c);

inline bool EqualIgnoreCase(wchar_t a, wchar_t b) {
  if (a == b) return true;
  const auto x = static_cast<uint32_t>(a), y = static_cast<uint32_t>(b);
  if ((x | y) < 0x80) return (x | 0x20) == (y | 0x20) && (x | 0x20) - L'a' < 26u;
  return FoldCase(a) == FoldCase(b);
}

// The text with every character folded.
std::wstring FoldCase(std::wstring_view s);

// True when the texts have the same length and are equal ignoring case.
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);

}  // namespace tarnix
