#include "gui/app/search_run.h"

#include "core/event_log.h"

namespace tarnix::gui {

SearchRun::SearchRun(DesktopMessageTarget::Handler handler, uint32_t postIntervalMs)
    : handler_(std::move(handler)), postIntervalMs_(postIntervalMs) {}

SearchRun::~SearchRun() {
  if (current_) {
    current_->stop.store(kStopStop);
    current_->target->Close();
    EndWorkers(kWorkerWaitMs);
  }
  // Workers that never ended keep what they use: it is not freed.
  for (auto& r : abandoned_)
    if (r->workers && r->workers->Running()) (void)r.release();
}

SearchRun::Run* SearchRun::Prepare(std::unique_ptr<Workers> workers) {
  // The workers of an earlier run have ended, or are abandoned now.
  if (current_) {
    current_->stop.store(kStopStop);
    if (current_->workers && current_->workers->Running()) EndWorkers(kWorkerWaitMs);
  }
  auto run = std::make_unique<Run>();
  Run* r = run.get();
  run->target = std::make_unique<DesktopMessageTarget>(
      [this, r](PostedMessage& m) {
        // Messages of an earlier run, still queued, are dropped.
        if (current_.get() == r && handler_) handler_(m);
      },
      DesktopMessageTarget::kDefaultCapacity, postIntervalMs_);
  run->workers = std::move(workers);
  current_ = std::move(run);
  active_ = true;
  stopwatch_.Start();
  return r;
}

void SearchRun::Drop() {
  active_ = false;
  stopwatch_.Finish();
  if (current_ && current_->workers && current_->workers->Running()) {
    // A start that failed half-way: whatever runs is asked to stop.
    current_->stop.store(kStopStop);
    EndWorkers(kWorkerWaitMs);
  }
  current_.reset();
}

bool SearchRun::paused() const { return active_ && current_ && current_->stop.load() == kStopPause; }

void SearchRun::Pause() {
  if (!active_ || !current_ || current_->stop.load() != kStopRun) return;
  stopwatch_.Pause();
  current_->stop.store(kStopPause);
}

void SearchRun::Resume() {
  if (!active_ || !current_ || current_->stop.load() != kStopPause) return;
  stopwatch_.Resume();
  current_->stop.store(kStopRun);
}

bool SearchRun::EndWorkers(int ms) {
  if (!current_ || !current_->workers) return true;
  if (current_->workers->Wait(std::chrono::milliseconds(ms))) return true;
  EventLog::LogFormat(L"The search threads did not end within %d ms; they are left to end on their own", ms);
  current_->stop.store(kStopStop);
  current_->target->Close();
  abandoned_.push_back(std::move(current_));
  return false;
}

bool SearchRun::Stop(int waitMs) {
  if (!current_) return true;
  if (current_->stop.load() == kStopPause) stopwatch_.Resume();
  current_->stop.store(kStopStop);
  Run* r = current_.get();
  const bool ended = EndWorkers(waitMs);
  if (ended) r->target->Deliver(std::chrono::milliseconds(kLastMessagesMs));
  return ended;
}

void SearchRun::RequestStop() {
  if (!current_ || !active_) return;
  if (current_->stop.load() == kStopPause) stopwatch_.Resume();
  current_->stop.store(kStopStop);
}

int64_t SearchRun::Finish(int waitMs) {
  if (current_) {
    current_->stop.store(kStopStop);
    EndWorkers(waitMs);
  }
  stopwatch_.Finish();
  active_ = false;
  return stopwatch_.ElapsedMs();
}

void SearchRun::Discard() {
  if (current_) current_->target->Discard();
}

DeliveryHold SearchRun::Hold() const {
  return DeliveryHold{current_ ? current_->target.get() : nullptr};
}

}  // namespace tarnix::gui
