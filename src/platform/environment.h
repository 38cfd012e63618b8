#pragma once
#include <string>
#include <string_view>

namespace tarnix {

// Replaces every "%NAME%" by the value of the environment variable NAME (an
// exact match first, then one that differs only in case, as names on the
// platform are case-insensitive). References to unknown variables, and a
// lone "%", are kept as they are.
std::wstring ExpandEnvironmentStrings(std::wstring_view text);

}  // namespace tarnix
