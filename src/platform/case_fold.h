#pragma once
// Comparing names as the platform compares file names: ignoring case with
// the locale-independent folding of char_class.h.
#include <string>
#include <string_view>

namespace tarnix {

// The text with every character folded (lower case).
std::wstring ToLowerCase(std::wstring_view s);
bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b);
// Orders by folded characters: negative, 0 or positive.
int CompareIgnoreCase(std::wstring_view a, std::wstring_view b);

}  // namespace tarnix
