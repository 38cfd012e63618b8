#pragma once
// The C-style escaping of values in preset files.
#include <string>
#include <string_view>

namespace tarnix {

// NUL, bell, backspace, line feed, carriage return and backslash become
// "\0", "\a", "\b", "\n", "\r", "\\"; unless `keepWide`, characters at or
// above 256 become "\x" and four lower-case hex digits. Tab is kept.
std::wstring EscapeValue(std::wstring_view text, bool keepWide);

// The reverse, applied to every value read from a preset file (also "\t";
// "\x" reads up to four hex digits; a final backslash is kept).
std::wstring UnescapeValue(std::wstring_view text);

}  // namespace tarnix
