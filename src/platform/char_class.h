#pragma once
// Character classes and case folding as the Windows user locale sees them
// (Unicode-aware, independent of the process's C locale).
#include <string>
#include <string_view>

namespace tarnix {

// A letter or a digit (the platform's IsCharAlphaNumericW).
bool IsCharAlphaNumeric(wchar_t c);

// Lower-case form of one character and of a text, for comparisons that
// ignore case.
wchar_t FoldCase(wchar_t c);
std::wstring FoldCase(std::wstring_view s);

// True when the texts have the same length and are equal ignoring case.
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);

}  // namespace tarnix
