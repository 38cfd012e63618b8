#include "errmsg/describe_range_list.h"

#include <algorithm>
#include <vector>

#include "core/wformat.h"
#include "platform/case_fold.h"

namespace tarnix {

std::wstring DescribeRangeList(std::span<const ErrorRange> list,
                               std::span<const RangeSet> userPresets) {
  if (list.empty()) return L"Empty Range";

  const RangeSetMap builtIn = BuildBuiltInRangeSets();
  std::vector<const RangeSet*> candidates;
  for (const auto& [id, set] : builtIn) candidates.push_back(&set);
  for (const RangeSet& set : userPresets) candidates.push_back(&set);
  std::stable_sort(candidates.begin(), candidates.end(), [](const RangeSet* a, const RangeSet* b) {
    return a->ranges.size() > b->ranges.size();
  });

  std::wstring note;
  for (const RangeSet* set : candidates) {
    if (set->ranges.size() < list.size()) continue;
    bool boundsMatch = true, modulesMatch = true, namesMatch = true;
    for (size_t i = 0; i < list.size() && boundsMatch; ++i) {
      const ErrorRange& a = list[i];
      const ErrorRange& b = set->ranges[i];
      boundsMatch = a.codeFrom == b.codeFrom && a.codeTo == b.codeTo && a.flags == b.flags;
      modulesMatch = modulesMatch && EqualsIgnoreCase(a.libraryName, b.libraryName);
      namesMatch = namesMatch && EqualsIgnoreCase(a.rangeName, b.rangeName);
    }
    if (!boundsMatch) continue;
    const wchar_t* kind;
    if (set->ranges.size() > list.size()) kind = L"partial";
    else if (modulesMatch && namesMatch) return set->name;
    else kind = modulesMatch ? L"modified" : L"different modules";
    note = set->name + L" -- * (" + kind + L")";
  }
  return note.empty() ? std::wstring(L"Custom Range") : note;
}

}  // namespace tarnix
