#include "results/results_model.h"

#include "results/result_column.h"

namespace tarnix {

void ResultsModel::BeginSearch(bool winApiSearch, bool modulesOnly) {
  Clear();
  winApiSearch_ = winApiSearch;
  modulesOnly_ = modulesOnly;
}

void ResultsModel::Clear() {
  entries_.clear();
  nextId_ = 1;
  sortColumn_ = -1;
  ascending_ = true;
  detailsComplete_ = false;
  detailsInterrupted_ = false;
}

uint64_t ResultsModel::Add(SymbolResult result) {
  ResultEntry e;
  e.id = nextId_++;
  if (nextId_ == ~uint64_t{0}) nextId_ = 1;  // the all-ones id is never used
  e.result = std::move(result);
  entries_.push_back(std::move(e));
  return entries_.back().id;
}

ResultEntry* ResultsModel::FindById(uint64_t id) {
  for (auto& e : entries_)
    if (e.id == id) return &e;
  return nullptr;
}

bool ResultsModel::ChangedByDetails(int32_t column) const {
  return column == kColVersion || column == kColDescription ||
         (column == kColFunctionName && winApiSearch_);
}

bool ResultsModel::SortOffered(int32_t column) const {
  return detailsComplete_ || !ChangedByDetails(column);
}

ResultsModel::SortAnswer ResultsModel::RequestSort(int32_t column, bool searchRunning,
                                                   const std::function<void()>& stopDetails,
                                                   const SortProgress& progress) {
  if (searchRunning || column < 0 || column >= kResultColumnCount) return SortAnswer::kRefused;
  if (!detailsComplete_ && ChangedByDetails(column)) return SortAnswer::kRefused;
  const int32_t oldColumn = sortColumn_;
  const bool oldAscending = ascending_;
  if (column == sortColumn_)
    ascending_ = !ascending_;
  else
    sortColumn_ = column;
  if (!detailsComplete_ && stopDetails) stopDetails();
  if (!SortResults(entries_, sortColumn_, ascending_, progress)) {
    sortColumn_ = oldColumn;
    ascending_ = oldAscending;
    return SortAnswer::kCancelled;
  }
  return SortAnswer::kSorted;
}

bool ResultsModel::ApplyDetails(ResultDetails d) {
  ResultEntry* e = nullptr;
  if (d.row >= 0 && static_cast<uint64_t>(d.row) < entries_.size() && entries_[d.row].id == d.id)
    e = &entries_[d.row];
  else
    e = FindById(d.id);
  if (!e) return false;
  e->fileVersion = d.fileVersion;
  e->description = std::move(d.description);
  if (d.hasUndecorated) {
    e->decoratedName = std::move(e->result.name);
    e->result.name = std::move(d.undecoratedName);
  }
  return true;
}

}  // namespace tarnix
