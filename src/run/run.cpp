#include "run/run.h"

#include "core/event_log.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {

// One run or follow-up pass. The target is made before the engine and so
// outlives it: an engine that waits for its workers as it goes lets them
// post to the end.
struct Run::Job {
  StopFlag stop{kStopRun};
  std::unique_ptr<RunTarget> target;
  std::unique_ptr<RunEngine> engine;
  bool followUp = false;
  bool finished = false;     // its end came (or it was closed): nothing more reaches the owner
  bool userStopped = false;  // Stop was asked
  bool held = false;         // its target is held by a RunHold
};

// The events of one job, as its adapter reports them.
class Run::JobEvents final : public RunEvents {
 public:
  JobEvents(Run& run, Job& job) : run_(run), job_(job) {}

  void Total(uint64_t total) override {
    if (job_.followUp) return;
    run_.bar_.SetTotal(total);
    changed = true;
  }
  void Done(uint64_t done) override {
    if (job_.followUp) return;
    run_.bar_.SetDone(done);
    changed = true;
  }
  void Current(std::wstring item) override {
    if (job_.followUp) return;
    run_.bar_.SetCurrent(std::move(item));
    changed = true;
  }
  void Status(std::vector<std::wstring> lines) override {
    if (run_.status_ && !lines.empty()) run_.status_(lines);
  }
  void Results(MessagePayload& batch) override {
    for (const Sink& sink : job_.followUp ? run_.followSinks_ : run_.resultSinks_)
      if (sink(batch)) return;
  }
  void Ended(bool completed) override {
    if (!job_.followUp) {
      run_.Finish(job_, completed);
      return;
    }
    job_.finished = true;
    changed = true;
    if (run_.followEnded_) run_.followEnded_(completed);
  }

  bool changed = false;

 private:
  Run& run_;
  Job& job_;
};

RunHold::RunHold(Run* run) : run_(run) {
  if (run_) run_->SetHeld(true);
}

void RunHold::Release() {
  if (run_) run_->SetHeld(false);
  run_ = nullptr;
}

Run::Run(RunTargetMaker targets) : targets_(std::move(targets)) {}

Run::~Run() {
  // The owner is going: nobody hears the end.
  stateWatchers_.clear();
  status_ = nullptr;
  resultSinks_.clear();
  ended_ = nullptr;
  followSinks_.clear();
  followEnded_ = nullptr;
  Close();
  // Workers that never ended keep what they use: it is not freed.
  for (auto& job : abandoned_)
    if (job->engine && job->engine->Running()) (void)job.release();
}

void Run::OnStateChanged(std::function<void()> watcher) { stateWatchers_.push_back(std::move(watcher)); }
void Run::OnStatus(std::function<void(std::vector<std::wstring>&)> sink) { status_ = std::move(sink); }
void Run::OnEnded(std::function<void(const RunSummary&)> sink) { ended_ = std::move(sink); }
void Run::OnFollowUpEnded(std::function<void(bool)> sink) { followEnded_ = std::move(sink); }

void Run::StateChanged() {
  for (const auto& watcher : stateWatchers_) watcher();
}

std::unique_ptr<Run::Job> Run::MakeJob(std::unique_ptr<RunEngine> engine, bool followUp) {
  auto job = std::make_unique<Job>();
  Job* j = job.get();
  job->followUp = followUp;
  job->target = targets_([this, j](PostedMessage& m) { Deliver(j, m); });
  job->engine = std::move(engine);
  if (held_) {
    job->target->SetHeld(true);
    job->held = true;
  }
  return job;
}

void Run::Deliver(Job* job, PostedMessage& m) {
  // Only the current run's and pass's messages, and only until their end.
  if (job->finished || (job != run_.get() && job != follow_.get())) return;
  ++delivering_;
  JobEvents events(*this, *job);
  job->engine->Translate(m, events);
  --delivering_;
  if (events.changed) StateChanged();
}

bool Run::EndWorkers(std::unique_ptr<Job>& slot, int ms) {
  if (!slot || !slot->engine) return true;
  if (slot->engine->Wait(std::chrono::milliseconds(ms))) return true;
  EventLog::LogFormat(L"The search threads did not end within %d ms; they are left to end on their own", ms);
  slot->stop.store(kStopStop);
  slot->target->Close();
  abandoned_.push_back(std::move(slot));
  return false;
}

void Run::Retire(std::unique_ptr<Job>& slot) {
  if (!slot) return;
  slot->finished = true;
  slot->target->Close();
  retired_.push_back(std::move(slot));
}

void Run::Finish(Job& job, bool completed) {
  if (job.finished) return;
  job.finished = true;
  // What still walks (a counting thread) is not needed any more.
  job.stop.store(kStopStop);
  if (run_.get() == &job) EndWorkers(run_, kWorkerWaitMs);
  stopwatch_.Finish();
  lastCounts_ = job.engine->Counts();
  active_ = false;
  bar_.Finish();
  RunSummary summary;
  summary.end = job.userStopped ? RunEnd::kStopped : completed ? RunEnd::kCompleted : RunEnd::kFailed;
  summary.elapsedMs = stopwatch_.ElapsedMs();
  summary.counts = lastCounts_;
  StateChanged();
  if (ended_) ended_(summary);
}

bool Run::Begin(std::unique_ptr<RunEngine> engine) {
  if (!delivering_) retired_.clear();
  StopFollowUp();
  CloseRun();
  Retire(run_);
  std::unique_ptr<Job> job = MakeJob(std::move(engine), false);
  stopwatch_.Start();
  if (!job->engine->Start(job->stop, *job->target)) {
    LastErrorKeeper keep;
    stopwatch_.Finish();
    // A start that failed half-way: whatever runs is asked to stop.
    job->stop.store(kStopStop);
    job->target->Close();
    if (EndWorkers(job, kWorkerWaitMs)) job.reset();
    return false;
  }
  run_ = std::move(job);
  lastCounts_ = {};
  active_ = true;
  bar_.Start();
  StateChanged();
  return true;
}

bool Run::paused() const { return active_ && run_ && run_->stop.load() == kStopPause; }

void Run::Pause() {
  if (!active_ || !run_ || run_->stop.load() != kStopRun) return;
  stopwatch_.Pause();
  run_->stop.store(kStopPause);
  bar_.Pause();
  StateChanged();
}

void Run::Resume() {
  if (!active_ || !run_ || run_->stop.load() != kStopPause) return;
  stopwatch_.Resume();
  run_->stop.store(kStopRun);
  bar_.Resume();
  StateChanged();
}

void Run::BlinkBar() {
  bar_.Blink();
  StateChanged();
}

bool Run::Stop(int waitMs) {
  Job* job = run_.get();
  if (!job || !active_) return true;
  if (job->stop.load() == kStopPause) stopwatch_.Resume();
  job->userStopped = true;
  job->stop.store(kStopStop);
  const bool ended = EndWorkers(run_, waitMs);
  // The workers' last messages, their end among them, are handled now.
  if (ended) job->target->Deliver(std::chrono::milliseconds(kLastMessagesMs));
  if (!job->finished) Finish(*job, false);  // its end never came: finish without it
  return ended;
}

void Run::RequestStop() {
  if (!active_ || !run_) return;
  if (run_->stop.load() == kStopPause) stopwatch_.Resume();
  run_->stop.store(kStopStop);
}

void Run::CloseRun() {
  if (!run_ || run_->finished) return;
  run_->finished = true;
  run_->stop.store(kStopStop);
  run_->target->Close();
  EndWorkers(run_, kWorkerWaitMs);
  stopwatch_.Finish();
  active_ = false;
  bar_.Finish();
  StateChanged();
}

void Run::Close() {
  CloseRun();
  StopFollowUp();
}

bool Run::Follow(std::unique_ptr<RunEngine> pass) {
  if (active_) {
    SetLastError(ERROR_BUSY);
    return false;
  }
  if (!delivering_) retired_.clear();
  StopFollowUp();
  std::unique_ptr<Job> job = MakeJob(std::move(pass), true);
  if (!job->engine->Start(job->stop, *job->target)) {
    LastErrorKeeper keep;
    job->stop.store(kStopStop);
    job->target->Close();
    if (EndWorkers(job, kFollowUpWaitMs)) job.reset();
    return false;
  }
  follow_ = std::move(job);
  StateChanged();
  return true;
}

bool Run::followUpRunning() const { return follow_ && !follow_->finished && follow_->engine->Running(); }

bool Run::StopFollowUp(int waitMs) {
  if (!follow_) return true;
  const bool wasRunning = !follow_->finished;
  follow_->finished = true;
  follow_->stop.store(kStopStop);
  follow_->target->Close();
  const bool ended = EndWorkers(follow_, waitMs);
  Retire(follow_);
  if (wasRunning) StateChanged();
  return ended;
}

RunEngine* Run::CurrentEngine() const { return run_ ? run_->engine.get() : nullptr; }

RunCounts Run::counts() const { return active_ && run_ ? run_->engine->Counts() : lastCounts_; }

size_t Run::Pump(std::chrono::milliseconds budget) {
  size_t n = 0;
  if (run_ && !run_->finished) n += run_->target->Deliver(budget);
  if (follow_ && !follow_->finished) n += follow_->target->Deliver(n ? std::chrono::milliseconds(0) : budget);
  return n;
}

void Run::SetHeld(bool held) {
  held_ += held ? 1 : (held_ > 0 ? -1 : 0);
  for (Job* job : {run_.get(), follow_.get()}) {
    if (!job) continue;
    if (held_ > 0 && !job->held) {
      job->target->SetHeld(true);
      job->held = true;
    } else if (held_ == 0 && job->held) {
      job->target->SetHeld(false);
      job->held = false;
    }
  }
}

}  // namespace tarnix
