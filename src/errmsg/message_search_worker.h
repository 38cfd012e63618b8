#pragma once
// One error message search in the background. For every code of every
// range the worker asks for the code's message (the range's module first,
// then the system tables), matches it, and failing that the code's own text
// form, against the search word, and posts each hit, each error and the
// progress to the window's MessageTarget. The window owns the stop flag and
// the counters; the worker only reads the one and updates the other.
#include <chrono>

#include "errmsg/message_search_params.h"
#include "platform/worker_group.h"

namespace tarnix {

// The worker body, run on the calling thread. True when every range was
// searched to its end; false when stopped or when the matcher could not be
// built (logged).
bool RunMessageSearch(const MessageSearchParams& params);

// Owns the worker thread of one window.
class MessageSearch {
 public:
  MessageSearch() = default;
  // Waits for a running worker; the owner sets the stop flag first.
  ~MessageSearch() = default;
  MessageSearch(const MessageSearch&) = delete;
  MessageSearch& operator=(const MessageSearch&) = delete;

  // True while the worker thread has not ended.
  bool Running() const;
  // Waits up to `timeout` for the worker; true when it has ended.
  bool Wait(std::chrono::milliseconds timeout);

 private:
  friend bool StartMessageSearch(MessageSearch& search, const MessageSearchParams& params);
  WorkerGroup workers_;
};

// Starts a search with its own copy of `params`. Refuses with
// ERROR_ALREADY_ASSIGNED while the previous worker still runs, and with
// ERROR_INVALID_PARAMETER (the parameters written to the event log) without
// a stop flag, target, counters, search word, grammar or range. Resets the
// stop flag and the counters. The worker posts kMsgErrMsgEnded when it
// finishes, after every results line.
bool StartMessageSearch(MessageSearch& search, const MessageSearchParams& params);

// The parameters in one line, as the event log records a refused start.
std::wstring DescribeMessageSearchParams(const MessageSearchParams& params);

}  // namespace tarnix
