#pragma once
// The text beside "Results:" in the main window: how many rows the list
// holds and, when it is sorted, by which column.
#include <cstdint>
#include <string>

namespace tarnix {

// "13 result(s)", then ", sorted by Function Name (ascending)" when
// `sortColumn` is a column id (-1: unsorted).
std::wstring ResultsCountText(uint64_t rows, int32_t sortColumn, bool ascending);

}  // namespace tarnix
