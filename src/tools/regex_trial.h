#pragma once
// The regex tester's evaluation: an expression (with the "||" components of
// the search strings), a grammar and a case flag tried on lines of text with
// the searches' own engine, and the texts the window shows for it.
//
// RegexTrialRunner evaluates off the caller's thread: a newer request stops
// the one being evaluated (between two lines) and only the newest request's
// result is delivered.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "symbolsearch/regex_engine.h"

namespace tarnix {

enum RegexLineState : int {
  kLineNotEvaluated = 0,
  kLineMatch = 1,
  kLineNoMatch = 2,
  // No component matched and one could not decide within the engine's work
  // bound: the line may match or not.
  kLineUndecided = -3,
};

struct RegexTrialRequest {
  std::wstring expression;
  uint32_t grammar = 0;  // a grammar value; 0 (nothing selected) is ECMAScript
  bool caseSensitive = false;
  std::wstring text;     // the test lines
  uint64_t workBound = Regex::kDefaultWorkBound;
};

struct RegexTrialResult {
  std::vector<int> states;             // RegexLineState per line
  int components = 0;
  int failedComponent = -1;            // 0-based; -1 when every component compiled
  std::wstring compileError;           // "(%d) %s"
  int64_t elapsedMs = 0;
  bool stopped = false;                // a newer request came first
  size_t undecided = 0;                // lines in kLineUndecided
};

// The lines of `text`: carriage returns removed, split at line feeds, empty
// pieces kept.
std::vector<std::wstring> RegexTrialLines(std::wstring_view text);

// Evaluates `request`; `stop` (may be null) is looked at between lines.
RegexTrialResult EvaluateRegexTrial(const RegexTrialRequest& request, const std::atomic<bool>* stop = nullptr);

// "Match", "No Match", "Undecided", "?" per line, joined by "\r\n".
std::wstring RegexTrialResultsText(const RegexTrialResult& result);
// The status line; `isError` is set when it reports a compile error.
std::wstring RegexTrialStatusText(const RegexTrialResult& result, bool& isError);

class RegexTrialRunner {
 public:
  // Called on the worker thread with the newest request's result and the
  // number Submit gave that request.
  using Deliver = std::function<void(uint64_t ticket, RegexTrialResult result)>;

  explicit RegexTrialRunner(Deliver deliver);
  ~RegexTrialRunner();  // stops the evaluation and waits for the worker
  RegexTrialRunner(const RegexTrialRunner&) = delete;
  RegexTrialRunner& operator=(const RegexTrialRunner&) = delete;

  // Queues `request` in place of any waiting one and stops the running one;
  // answers the request's ticket (increasing from 1).
  uint64_t Submit(RegexTrialRequest request);

 private:
  void Work();

  Deliver deliver_;
  std::mutex lock_;
  std::condition_variable wake_;
  std::optional<RegexTrialRequest> pending_;
  uint64_t tickets_ = 0;
  bool quit_ = false;
  std::atomic<bool> stop_{false};
  std::thread worker_;
};

}  // namespace tarnix
