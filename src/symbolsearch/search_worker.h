#pragma once
// One symbol search in the background: a size-scan thread that adds up the
// sizes of the files the search will read (for progress in bytes), and a
// search thread that walks the folder, reads every image and delivers each
// match to the window as a SymbolResult, with status lines, progress, the
// file being read and the final search-ended message. Workers never touch
// the window: they post to its MessageTarget.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/worker_group.h"
#include "symbolsearch/search_messages.h"
#include "symbolsearch/search_params.h"
#include "symbolsearch/undecorator.h"

namespace tarnix {

class SymbolSearch {
 public:
  // `undecorate` replaces the program's undecorator (tests); empty: the
  // program's own, under the process-wide undecoration lock.
  explicit SymbolSearch(UndecorateFn undecorate = nullptr);
  // Waits for running workers; the owner sets the stop flag first.
  ~SymbolSearch();
  SymbolSearch(const SymbolSearch&) = delete;
  SymbolSearch& operator=(const SymbolSearch&) = delete;

  // Starts both workers with their own copies of `params` (validated
  // criteria). Resets the statistics and the stop flag, cuts the filter
  // values to their masks and copies the settings. Refuses with
  // ERROR_ALREADY_ASSIGNED while a search still runs, and with
  // ERROR_INVALID_PARAMETER (the criteria written to the event log) when
  // the stop flag, statistics, window, folder, search-for, present-as or
  // grammar are missing.
  bool Start(const SearchParams& params, const SearchStartSettings& settings);

  // Workers lower their priority so that a window stays responsive; a
  // program without a window turns that off (on by default).
  void SetBackgroundPriority(bool on) { background_ = on; }

  // True while a worker thread has not ended.
  bool Running() const;
  // Waits up to `timeout` for both workers; true when both have ended.
  bool Wait(std::chrono::milliseconds timeout);

 private:
  UndecorateFn undecorate_;
  bool background_ = true;
  WorkerGroup workers_;
};

// The window's finish texts: "Search Finished in %s:" (or "Search was
// ABORTED:"), "File(s) Searched=%Iu, Error(s)=%Iu, Warning(s)=%Iu." and
// "Result(s) Found=%Iu.".
std::vector<std::wstring> SearchSummaryLines(bool completed, int64_t elapsedMs,
                                             uint64_t filesSearched, uint64_t errors,
                                             uint64_t warnings, uint64_t results);

// A one-line description of the criteria, as written to the event log when a
// start is refused for missing fields.
std::wstring DescribeSearchParams(const SearchParams& p);

}  // namespace tarnix
