#pragma once
// What the "Undecorate C++ Symbols" window shows for its input: the input
// trimmed, converted to the ANSI code page, undecorated with the window's
// own flags under the process-wide lock, and converted back; an empty input
// shows nothing, a failure its error form.
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnix {

// The most the window's input takes, in characters.
inline constexpr size_t kUndecorateInputLimit = 65536;

std::wstring UndecorateShown(std::wstring_view input, uint32_t flags);

// "<ERROR: (%s) %s>" with the error's code and description.
std::wstring UndecorationErrorText(uint32_t error);

}  // namespace tarnix
