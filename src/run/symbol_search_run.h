#pragma once
// The symbol search as a run: the engine's workers started with the run's
// stop flag and target, their messages turned into run events (the size
// scan's total and the bytes done, the file being read, status lines,
// batches of ResultBatch, the end), and the counters of files searched,
// errors and warnings.
#include "run/run_engine.h"
#include "symbolsearch/search_messages.h"
#include "symbolsearch/search_params.h"
#include "symbolsearch/search_worker.h"

namespace tarnix {

class SymbolSearchRun final : public RunEngine {
 public:
  SymbolSearchRun(SearchParams params, SearchStartSettings settings, UndecorateFn undecorate = nullptr);

  bool Start(StopFlag& stop, MessageTarget& target) override;
  bool Running() const override { return engine_.Running(); }
  bool Wait(std::chrono::milliseconds timeout) override { return engine_.Wait(timeout); }
  void Translate(PostedMessage& message, RunEvents& events) override;
  RunCounts Counts() const override;

  // The criteria the run was started with.
  const SearchParams& params() const { return params_; }
  // Workers lower their priority unless told otherwise (tarnix-cli).
  void SetBackgroundPriority(bool on) { engine_.SetBackgroundPriority(on); }

 private:
  // The size scan's total once it is known, else 0.
  uint64_t TotalSize() const;

  SearchParams params_;
  SearchStartSettings settings_;
  mutable SearchStatistics stats_;
  SymbolSearch engine_;  // last: its workers end before what they use goes
};

}  // namespace tarnix
