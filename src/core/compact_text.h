#pragma once
// Text kept compact in memory: names of millions of results are held as
// bytes rather than as wide strings. Each character is written as UTF-8
// writes it, extended so that every wchar_t value comes back unchanged:
// a lone surrogate (the stand-in for a byte of a file name that is not
// UTF-8) takes three bytes like any other character below U+10000, and
// values past U+10FFFF take the longer forms of the original UTF-8 (up to
// seven bytes for 32 bits). The bytes compare (memcmp) in the order of the
// characters' values.
#include <cstddef>
#include <string>
#include <string_view>

namespace tarnix {

// Appends the compact form of `text` to `out`.
void AppendCompactText(std::string& out, std::wstring_view text);

// Appends the characters of `bytes` (made by AppendCompactText) to `out`.
// A truncated or malformed sequence, which the encoder never makes, ends
// the text there.
void AppendDecodedText(std::wstring& out, std::string_view bytes);

// True when every byte is below 0x80: the compact form is the text itself.
bool IsAsciiBytes(std::string_view bytes);

}  // namespace tarnix
