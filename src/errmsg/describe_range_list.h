#pragma once
// The name of an arbitrary list of ranges, after the set it matches.
#include <span>
#include <string>

#include "errmsg/range_set.h"

namespace tarnix {

// "Empty Range" for no ranges; the name of a built-in set or user preset
// that holds exactly these ranges; otherwise the best near match with
// " -- * (partial)", " -- * (modified)" or " -- * (different modules)";
// "Custom Range" when nothing matches. Sets with more ranges are tried
// first; `userPresets` follow the built-in sets in their stored order.
std::wstring DescribeRangeList(std::span<const ErrorRange> list,
                               std::span<const RangeSet> userPresets);

}  // namespace tarnix
