#pragma once
// Locale-independent case handling, as the platform compares file names and
// folds single characters: the same answer whatever the user's locale is.
#include <string>
#include <string_view>

namespace tarnix {

wchar_t ToUpperChar(wchar_t c);
wchar_t ToLowerChar(wchar_t c);
std::wstring ToLowerCase(std::wstring_view s);
// Compares as the platform compares file names (each character upper-cased).
bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b);
int CompareIgnoreCase(std::wstring_view a, std::wstring_view b);

}  // namespace tarnix
