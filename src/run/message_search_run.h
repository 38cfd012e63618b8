#pragma once
// The error message search as a run: its worker started with the run's
// stop flag and target, its messages turned into run events (the position
// of 0..9999, the progress label as the current item, batches of results
// lines as std::vector<std::wstring>, the end), and the match and
// processed counts.
#include "errmsg/message_search_params.h"
#include "errmsg/message_search_worker.h"
#include "run/run_engine.h"

namespace tarnix {

class MessageSearchRun final : public RunEngine {
 public:
  // The progress position's range.
  static constexpr uint64_t kProgressMax = 9999;

  explicit MessageSearchRun(MessageSearchParams params);

  bool Start(StopFlag& stop, MessageTarget& target) override;
  bool Running() const override { return engine_.Running(); }
  bool Wait(std::chrono::milliseconds timeout) override { return engine_.Wait(timeout); }
  void Translate(PostedMessage& message, RunEvents& events) override;
  RunCounts Counts() const override;

  const MessageSearchParams& params() const { return params_; }

 private:
  MessageSearchParams params_;
  mutable MessageSearchCounters counters_;
  MessageSearch engine_;  // last: its worker ends before what it uses goes
};

}  // namespace tarnix
