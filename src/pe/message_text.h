#pragma once
// The text the platform's message formatter makes of a stored message when
// inserts are ignored: "%1" ... "%99" (with any "!format!") stay as they
// are, "%0" ends the message (no final line break), "%n" is a line break
// ("\r\n"), "%r" a carriage return, "%t" a tab, and "%" before any other
// character stands for that character ("%%" is "%", "%." is ".").
#include <string>
#include <string_view>

namespace tarnix {

std::wstring FormatMessageText(std::wstring_view stored);

}  // namespace tarnix
