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
  index_.clear();
  indexValid_ = true;
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
  // The index of ids is made when first needed, not kept up while a search
  // adds results.
  indexValid_ = false;
  return entries_.back().id;
}

int64_t ResultsModel::IndexOf(uint64_t id) {
  auto lookup = [&]() -> int64_t {
    auto it = index_.find(id);
    if (it == index_.end() || it->second >= entries_.size() || entries_[it->second].id != id)
      return -1;
    return static_cast<int64_t>(it->second);
  };
  if (indexValid_) {
    auto it = index_.find(id);
    if (it == index_.end() && index_.size() == entries_.size()) return -1;
    const int64_t at = lookup();
    if (at >= 0) return at;
  }
  // Rebuilt after the order changed (or the entries were changed behind
  // the index's back).
  index_.clear();
  index_.reserve(entries_.size());
  for (size_t i = 0; i < entries_.size(); ++i) index_[entries_[i].id] = i;
  indexValid_ = true;
  return lookup();
}

ResultEntry* ResultsModel::FindById(uint64_t id) {
  int64_t i = IndexOf(id);
  return i < 0 ? nullptr : &entries_[static_cast<size_t>(i)];
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
  indexValid_ = false;
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
