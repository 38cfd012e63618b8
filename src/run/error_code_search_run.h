#pragma once
// The error code search as a run: the counting and search threads started
// with the run's stop flag and target, their messages turned into run
// events (the files to examine once counted, the files examined, the path
// being examined, status lines, batches of
// std::vector<ErrorCodeSearchResult>, the end), and the match count.
#include "errcode/error_code_search.h"
#include "run/run_engine.h"

namespace tarnix {

class ErrorCodeSearchRun final : public RunEngine {
 public:
  explicit ErrorCodeSearchRun(ErrorCodeSearchRequest request);

  bool Start(StopFlag& stop, MessageTarget& target) override;
  bool Running() const override { return engine_.Running(); }
  bool Wait(std::chrono::milliseconds timeout) override { return engine_.Wait(timeout); }
  void Translate(PostedMessage& message, RunEvents& events) override;
  RunCounts Counts() const override;

  // The request as started (the stop state and window filled in).
  const ErrorCodeSearchRequest& request() const { return request_; }

 private:
  ErrorCodeSearchRequest request_;
  bool started_ = false;
  ErrorCodeSearch engine_;  // last: its workers end before what they use goes
};

}  // namespace tarnix
