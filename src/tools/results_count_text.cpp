#include "tools/results_count_text.h"

#include "core/wformat.h"
#include "results/result_column.h"

namespace tarnix {

std::wstring ResultsCountText(uint64_t rows, int32_t sortColumn, bool ascending) {
  std::wstring text = WFormat(L"%llu result(s)", static_cast<unsigned long long>(rows));
  if (sortColumn >= 0 && sortColumn < kResultColumnCount)
    text += WFormat(L", sorted by %ls (%ls)", ResultColumnCaption(sortColumn),
                    ascending ? L"ascending" : L"descending");
  return text;
}

}  // namespace tarnix
