#pragma once
#include <string>
#include <string_view>

namespace tarnix {

// `text` with a backslash before each of the characters [ \ ^ $ . | ? * + ( ) { }
// so that a regular expression matches it literally.
std::wstring EscapeForRegex(std::wstring_view text);

}  // namespace tarnix
