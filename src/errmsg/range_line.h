#pragma once
// The one-line text form of a range, "%u|%u|%u|%s|%s" (Code From, Code To,
// Flags, Library Name, Error Range Name), used by copy and paste, by range
// files and by the preset export.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "errmsg/error_range.h"

namespace tarnix {

std::wstring FormatRangeLine(const ErrorRange& r);

// Splits at the first four "|"; the Error Range Name is the rest and may hold
// "|". The three numbers are read as "%u" would. Fails with the last error
// set: fewer than four separators (3902), a number that does not read (11),
// an unknown module kind or code kind bits (186), a Library Name over 260
// characters (206) or an Error Range Name over 256 (8348).
bool ParseRangeLine(std::wstring_view line, ErrorRange& r);

// The lines of `list` joined by "\r\n" (no line break after the last).
std::wstring FormatRangeLines(std::span<const ErrorRange> list);

// Lines split at line feeds, trimmed, empty ones skipped, each read with
// ParseRangeLine. On failure `badLine` is the 1-based line number and the
// last error the line's; `list` is unchanged. More than 1024 ranges fail
// with 56.
bool ParseRangeLines(std::wstring_view text, std::vector<ErrorRange>& list, size_t& badLine);

// Inserts the ranges of `text` into `list` at index `insertAt` (the row
// after the selection; past the end appends). Refuses (56) when the list would hold more than 1024 ranges;
// `list` is unchanged on any failure. Answers the number inserted in `added`.
bool PasteRangeLines(std::vector<ErrorRange>& list, size_t insertAt, std::wstring_view text,
                     size_t& added, size_t& badLine);

}  // namespace tarnix
