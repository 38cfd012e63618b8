#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace tarnix {

// `text` with a backslash before each of the characters [ \ ^ $ . | ? * + ( ) { }
// so that a regular expression matches it literally.
std::wstring EscapeForRegex(std::wstring_view text);

// The 'File Name' regular expression that selects exactly the files named:
// "(^name$)" for each, escaped, joined by "|".
std::wstring ExactFileNamesPattern(const std::vector<std::wstring>& names);

}  // namespace tarnix
