#pragma once
// One error code search in the background: a counting thread that counts
// the files the walk will examine (for the progress bar), and a search
// thread that walks the locations, looks the code up in every module and
// posts each hit as an ErrorCodeSearchResult, with status lines, progress,
// the path being examined and the final search-finished message. Workers
// never touch the window: they post to its MessageTarget, spaced as the
// target asks, retrying a full queue after a stop check.
#include <chrono>
#include <cstdint>
#include <memory>

#include "errcode/error_code_search_request.h"
#include "platform/worker_group.h"

namespace tarnix {

// The counters both workers share (defined with the workers).
struct ErrorCodeSearchShared;

class ErrorCodeSearch {
 public:
  ErrorCodeSearch();
  // Asks running workers to stop and waits for them.
  ~ErrorCodeSearch();
  ErrorCodeSearch(const ErrorCodeSearch&) = delete;
  ErrorCodeSearch& operator=(const ErrorCodeSearch&) = delete;

  // Starts both workers, each with its own copy of `request`. Resets the
  // stop state and the counters. Refuses (logging the
  // request) with ERROR_ALREADY_ASSIGNED while a worker of the previous
  // search runs, ERROR_INVALID_PARAMETER when the stop state, the window
  // or the locations are missing, ERROR_OUTOFMEMORY when the copies can't
  // be made, else the thread-creation error.
  bool Start(const ErrorCodeSearchRequest& request);

  // True while a worker has not ended.
  bool Running() const;
  // Waits up to `timeout` for both workers; true when both have ended.
  bool Wait(std::chrono::milliseconds timeout);

  uint64_t matchCount() const;
  uint64_t filesExamined() const;
  // True, with the total, once the counting thread has counted every file.
  bool TotalFiles(uint64_t& total) const;

 private:
  std::shared_ptr<ErrorCodeSearchShared> shared_;
  WorkerGroup workers_;
  StopFlag* stop_ = nullptr;
};

}  // namespace tarnix
