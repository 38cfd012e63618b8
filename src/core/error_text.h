#pragma once
// The program's way of showing a failure: "(%s) %s" with the code's text and
// its one-line description.
#include <cstdint>
#include <string>

namespace tarnix {

// "%d" of the code taken as signed when it lies in -9..65535, otherwise
// "0x%08X".
std::wstring ErrorCodeToText(uint32_t code);

// The one-line description of `code`: the system's message (or, for 12000 to
// 12175, the Internet module's), trimmed, carriage returns removed, line
// feeds turned into blanks, inserts ("%1") left out and any other "%" made
// "@"; "Error %d" when there is none;
// empty for 0. Never changes the thread's last error.
std::wstring ErrorDescription(uint32_t code);

// "(%s) %s" filled with ErrorCodeToText and ErrorDescription of `code`.
std::wstring ErrorText(uint32_t code);

// ErrorText as a sentence that more text follows: ending with exactly one
// full stop, whether the description brings its own or not.
std::wstring ErrorSentence(uint32_t code);

}  // namespace tarnix
