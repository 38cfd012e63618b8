#pragma once
// Ordering the results by one column. Numeric columns compare their values
// (unsigned); text columns compare case-insensitively in the user's
// collation, equal texts falling back to the symbol names. Equal rows keep
// their order ascending; descending reverses the order of distinct values.
#include <cstdint>
#include <functional>
#include <vector>

#include "results/result_entry.h"

namespace tarnix {

// Called between passes with the fraction done (0..1); answers true to
// cancel. A cancelled sort leaves the entries in the order reached, which
// is always a complete permutation of them.
using SortProgress = std::function<bool(double done)>;

// Sorts `entries` by `column`. Answers false when cancelled (or for an
// unknown column, with nothing changed).
bool SortResults(std::vector<ResultEntry>& entries, int32_t column, bool ascending,
                 const SortProgress& progress = nullptr);

// The comparison of two entries as the list defines it: negative when `a`
// sorts before `b` ascending, 0 when equal, positive after.
int CompareResults(const ResultEntry& a, const ResultEntry& b, int32_t column);

}  // namespace tarnix
