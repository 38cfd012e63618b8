#pragma once
// Durations, byte sizes and HTML escaping as the program shows them.
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnix {

// "1d:1h:1m:1s:001ms": leading zero units left out, "0s" when all are zero,
// milliseconds always; "-" before a negative duration.
std::wstring FormatDuration(int64_t milliseconds);

// "1 Byte", "0 Bytes", "1.50 KB", "1.00 MB", ... up to "P".
std::wstring FormatByteSize(uint64_t bytes);

// & < > " replaced by their entities; everything else unchanged.
std::wstring HtmlEscape(std::wstring_view text);

// The first `maxLength` characters of `text` followed by "..." when it is
// longer, for names shown in status lines.
std::wstring ShortenText(std::wstring_view text, size_t maxLength);

}  // namespace tarnix
