#pragma once
// printf-style formatting into a std::wstring. Wide string arguments are
// passed with "%ls", narrow ones with "%s".
#include <string>

namespace tarnix {

std::wstring WFormat(const wchar_t* format, ...);

}  // namespace tarnix
