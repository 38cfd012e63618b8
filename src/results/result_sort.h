#pragma once
// Ordering the results by one column. Numeric columns compare their values
// (unsigned); text columns compare case-insensitively in the user's
// collation, equal texts falling back to the symbol names. Equal rows keep
// their order ascending; descending reverses the order of distinct values.
//
// Each distinct text gets its collation key once (names and modules are
// kept once each by the list; image texts once per image), the keys become
// ranks, and the rows are sorted by integers.
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace tarnix {

class ResultsModel;
class TextPool;

// Called between steps with the fraction done (0..1); answers true to
// cancel. A cancelled sort leaves the rows in the order they had.
using SortProgress = std::function<bool(double done)>;

// Sorts the rows by `column`. Answers false when cancelled (or for an
// unknown column, with nothing changed).
bool SortResults(ResultsModel& results, int32_t column, bool ascending,
                 const SortProgress& progress = nullptr);

// Ranks of texts in the user's collation with case folded away: texts that
// compare equal get equal ranks, and ranks order as the texts do.
std::vector<uint32_t> CollationRanks(const std::vector<std::wstring_view>& texts);
// The same for every text of `pool`, by id.
std::vector<uint32_t> CollationRanks(const TextPool& pool);

// How ranks are made: from the folded texts' characters where the user's
// collation orders by character values ("C", "POSIX", "C.UTF-8"), else from
// the collation's keys. Tests compare the two.
enum class CollationMethod { kUserLocale, kCollationKeys };
std::vector<uint32_t> CollationRanks(const TextPool& pool, CollationMethod method);

}  // namespace tarnix
