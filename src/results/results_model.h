#pragma once
// The results as the list holds them, without any widget: records in list
// order with their ids, the sort state, the details state and the rules
// that tie them together. The desktop list wraps it; the command line and
// the reports use it directly.
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "results/result_entry.h"
#include "results/result_sort.h"

namespace tarnix {

// What the details pass found for one result.
struct ResultDetails {
  uint64_t id = 0;
  // Where the record stood when the work was collected: looked at first,
  // so that a pass over a long list does not search it once per result.
  // The id decides; a record that has moved is found by its id.
  int64_t row = -1;
  uint64_t fileVersion = kVersionUnknown;
  std::wstring description;
  bool hasUndecorated = false;
  std::wstring undecoratedName;
};

class ResultsModel {
 public:
  enum class SortAnswer {
    kSorted,     // sorted (and the sort state updated)
    kRefused,    // nothing changed
    kCancelled,  // stopped where it stood; the previous sort state is back
  };

  // A new search: clears the results and the sort state, and remembers what
  // kind of search the coming results belong to.
  void BeginSearch(bool winApiSearch, bool modulesOnly);
  // Removes every result and resets the sort state and the id counter.
  void Clear();

  // Appends a result with the next id; answers the id.
  uint64_t Add(SymbolResult result);

  const std::vector<ResultEntry>& entries() const { return entries_; }
  // Changing the order of the entries through this must be followed by
  // OrderChanged().
  std::vector<ResultEntry>& mutableEntries() { return entries_; }
  // The entry with `id`, and its index; found through an index of the ids,
  // not by walking the list, so that completing a quarter of a million
  // results stays linear.
  ResultEntry* FindById(uint64_t id);
  int64_t IndexOf(uint64_t id);
  void OrderChanged() { indexValid_ = false; }

  bool winApiSearch() const { return winApiSearch_; }
  bool modulesOnly() const { return modulesOnly_; }
  int32_t sortColumn() const { return sortColumn_; }
  bool ascending() const { return ascending_; }

  // A header click or a "Sort By" choice: the sort column again flips the
  // direction, another column keeps it. Refused while a search runs, and
  // while details are incomplete for the columns the details pass still
  // changes (Version, Description, and Function Name after a WinAPIs
  // search). With other columns and details incomplete, `stopDetails` runs
  // first.
  SortAnswer RequestSort(int32_t column, bool searchRunning,
                         const std::function<void()>& stopDetails,
                         const SortProgress& progress = nullptr);
  // The sort state without sorting: the column removed from the list was
  // the sort column, and its place goes to the first one left.
  void SetSortState(int32_t column, bool ascending) {
    sortColumn_ = column;
    ascending_ = ascending;
  }
  // Whether a sort by `column` is offered now (the "Sort By" items).
  bool SortOffered(int32_t column) const;

  // The details state: complete after a full pass; interrupted when the
  // user cancelled collecting the work.
  bool detailsComplete() const { return detailsComplete_; }
  bool detailsInterrupted() const { return detailsInterrupted_; }
  void DetailsStarted() { detailsComplete_ = false; }
  void DetailsDone() {
    detailsComplete_ = true;
    detailsInterrupted_ = false;
  }
  void DetailsInterrupted() { detailsInterrupted_ = true; }

  // Stores what the details pass found; answers false for an unknown id.
  // An undecorated name replaces the symbol name; the stored one is kept as
  // the decorated name.
  bool ApplyDetails(ResultDetails details);

  // The question to ask before saving while details are not complete.
  bool NeedsIncompleteWarning(bool detailsRunning) const {
    return detailsInterrupted_ || detailsRunning;
  }

 private:
  bool ChangedByDetails(int32_t column) const;

  std::vector<ResultEntry> entries_;
  std::unordered_map<uint64_t, size_t> index_;  // id -> position, while indexValid_
  bool indexValid_ = true;
  uint64_t nextId_ = 1;
  int32_t sortColumn_ = -1;
  bool ascending_ = true;
  bool winApiSearch_ = true;
  bool modulesOnly_ = false;
  bool detailsComplete_ = false;
  bool detailsInterrupted_ = false;
};

}  // namespace tarnix
