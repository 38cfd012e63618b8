#pragma once
// The details pass as a follow-up run: started with the run's stop flag
// and target, its findings handed on as results (std::vector<
// FileDetailsFinding> and std::vector<NameDetailsFinding>), its end as the
// pass's end.
#include "results/details_pass.h"
#include "run/run_engine.h"

namespace tarnix {

class DetailsRun final : public RunEngine {
 public:
  // `request` without its stop flag and target, which the run gives.
  explicit DetailsRun(DetailsRequest request) : request_(std::move(request)) {}

  bool Start(StopFlag& stop, MessageTarget& target) override;
  bool Running() const override { return pass_.Running(); }
  bool Wait(std::chrono::milliseconds timeout) override { return pass_.Wait(timeout); }
  void Translate(PostedMessage& message, RunEvents& events) override;

 private:
  DetailsRequest request_;
  DetailsPass pass_;
};

}  // namespace tarnix
