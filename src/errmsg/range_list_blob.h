#pragma once
// The stored form of the search window's current ranges ("ErrMsgSrchRanges"):
// a count and, per range, Code From, Code To, Flags, the Library Name and the
// Error Range Name, each name as a length and UTF-16LE characters.
#include <cstdint>
#include <span>
#include <vector>

#include "errmsg/error_range.h"

namespace tarnix {

// Fails (last error set, `blob` unchanged) on more than 1024 ranges (56),
// flags a reader would refuse (1004), a name over its limit (1283), or a
// written size that differs from the computed one (327).
bool EncodeRangeListBlob(std::span<const ErrorRange> list, std::vector<uint8_t>& blob);

// Fails (last error set, `list` unchanged) when the value holds fewer than 4
// bytes (87), counts more than 1024 ranges (56), a field runs past its end
// (24), a range has an unknown module kind or code kind bits (1004), a name
// is over its limit (1283), or bytes remain after the last range (327).
bool DecodeRangeListBlob(std::span<const uint8_t> blob, std::vector<ErrorRange>& list);

}  // namespace tarnix
