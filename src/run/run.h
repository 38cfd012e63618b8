#pragma once
// One run of an engine at a time, and its follow-up pass: the life every
// search window (and tarnix-cli) gives its engine, without any widget.
//
// A run owns its stop flag, the message target its workers post to, the
// engine (through its adapter, a RunEngine), the stopwatch, what the run
// bar shows (RunBarState) and the counters at its end. Its owner hears it
// through typed events: the bar's state changed, status lines, batches of
// results, and once the end: a RunSummary. Nothing of a run reaches the
// owner after that end, whether its messages were still queued or its
// workers post late; nothing of an earlier run reaches it at all. A run
// whose workers do not end within the wait after a stop is abandoned whole:
// its target is closed and nothing of it is freed while a worker may still
// use it.
//
// The follow-up pass (the details of the results) is a second engine that
// the owner starts after the end; it has the same life: a new run, Close
// and the destructor stop it, and nothing of it arrives once it was
// stopped.
//
//   Run run_{DesktopRunTargets()};
//   run_.OnResults<ResultBatch>([this](ResultBatch& b) { Append(b); });
//   run_.OnEnded([this](const RunSummary& s) { ShowFinish(s); });
//   if (!run_.Begin(std::make_unique<SymbolSearchRun>(params, settings))) ...;
//   run_.Pause(); run_.Resume(); run_.Stop();
//   { RunHold hold = run_.Hold(); ... }  // busy work over the results
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/run_stopwatch.h"
#include "core/stop_flag.h"
#include "run/run_engine.h"
#include "run/run_target.h"
#include "tools/run_bar_state.h"

namespace tarnix {

struct RunSummary {
  RunEnd end = RunEnd::kFailed;
  int64_t elapsedMs = 0;  // without the time spent paused
  RunCounts counts;
};

class Run;

// Holds the delivery of a run's (and its follow-up's) messages while busy
// work owns what they would change; releasing delivers what waited.
class RunHold {
 public:
  RunHold() = default;
  explicit RunHold(Run* run);
  RunHold(RunHold&& other) noexcept : run_(other.run_) { other.run_ = nullptr; }
  RunHold& operator=(RunHold&&) = delete;
  RunHold(const RunHold&) = delete;
  ~RunHold() { Release(); }
  void Release();

 private:
  Run* run_ = nullptr;
};

class Run {
 public:
  // How long Stop, an end and a new Begin wait for the workers; how long
  // Stop hands the workers' last messages to the owner; how long a
  // follow-up pass is waited for when it is stopped.
  static constexpr int kWorkerWaitMs = 5000;
  static constexpr int kLastMessagesMs = 2000;
  static constexpr int kFollowUpWaitMs = 3000;

  explicit Run(RunTargetMaker targets);
  // Closes the run (see Close); workers that never ended keep what they use.
  ~Run();
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  // --- what the owner hears ---
  // The bar's state changed (the phase, the progress, the current item) or
  // the follow-up pass began or ended. Every watcher is called.
  void OnStateChanged(std::function<void()> watcher);
  void OnStatus(std::function<void(std::vector<std::wstring>& lines)> sink);
  // A batch of results of type T (the engine's); batches of other types go
  // to the sinks of their types.
  template <class T>
  void OnResults(std::function<void(T&)> sink) {
    resultSinks_.push_back(Typed<T>(std::move(sink)));
  }
  void OnEnded(std::function<void(const RunSummary&)> sink);
  // The follow-up pass's findings and end.
  template <class T>
  void OnFollowUpResults(std::function<void(T&)> sink) {
    followSinks_.push_back(Typed<T>(std::move(sink)));
  }
  void OnFollowUpEnded(std::function<void(bool completed)> sink);

  // --- the run ---
  // Begins a run of `engine`: a running follow-up pass is stopped, an
  // earlier run is closed (its workers end or are abandoned), the stopwatch
  // starts and the engine starts with the run's stop flag and target.
  // False with the engine's error when it refused; nothing runs then.
  bool Begin(std::unique_ptr<RunEngine> engine);
  // Begun and not ended.
  bool active() const { return active_; }
  bool paused() const;
  // The stop flag and the stopwatch; no effect unless running (paused).
  void Pause();
  void Resume();
  // The owner's stop: asks the workers to stop and waits for them
  // (abandoning them when they do not end), hands their last messages to
  // the owner, and ends the run as stopped when its end did not come with
  // them. Answers whether the workers ended.
  bool Stop(int waitMs = kWorkerWaitMs);
  // Asks the workers to stop without waiting; the run ends as usual when
  // their end arrives (not as stopped by the user).
  void RequestStop();
  // The owner goes (its window closes): the run and the follow-up pass end
  // without any event, and what they queued is dropped.
  void Close();

  // --- the follow-up pass ---
  // Starts `pass` (a running one is stopped first); not while a run is
  // active. False with the last error when it refused.
  bool Follow(std::unique_ptr<RunEngine> pass);
  bool followUpRunning() const;
  // Stops the pass and waits for it; nothing of it arrives any more.
  // Answers whether it ended.
  bool StopFollowUp(int waitMs = kFollowUpWaitMs);

  // --- what the owner reads ---
  const RunBarState& bar() const { return bar_; }
  // One blink step of "PAUSED" while paused.
  void BlinkBar();
  const RunStopwatch& stopwatch() const { return stopwatch_; }
  // The counters of the current (or last) run.
  RunCounts counts() const;
  // The engine of the current (or last) run, when it is an E.
  template <class E>
  E* engine() const {
    return dynamic_cast<E*>(CurrentEngine());
  }
  [[nodiscard]] RunHold Hold() { return RunHold(this); }
  // Delivers what the run and the follow-up pass queued, waiting up to
  // `budget` (tarnix-cli and tests poll with this).
  size_t Pump(std::chrono::milliseconds budget);
  // How many runs and passes were abandoned (diagnostics and tests).
  size_t abandoned() const { return abandoned_.size(); }

 private:
  friend class RunHold;
  struct Job;
  class JobEvents;
  using Sink = std::function<bool(MessagePayload&)>;

  template <class T>
  static Sink Typed(std::function<void(T&)> sink) {
    return [sink = std::move(sink)](MessagePayload& p) {
      auto* typed = dynamic_cast<PayloadOf<T>*>(&p);
      if (typed) sink(typed->value);
      return typed != nullptr;
    };
  }

  RunEngine* CurrentEngine() const;
  std::unique_ptr<Job> MakeJob(std::unique_ptr<RunEngine> engine, bool followUp);
  void Deliver(Job* job, PostedMessage& m);
  void Finish(Job& job, bool completed);
  // Waits up to `ms` for the workers of `slot`'s job; abandons it (the slot
  // then empty) when they do not end. True when they ended.
  bool EndWorkers(std::unique_ptr<Job>& slot, int ms);
  void Retire(std::unique_ptr<Job>& slot);
  void CloseRun();
  void StateChanged();
  void SetHeld(bool held);

  RunTargetMaker targets_;
  std::unique_ptr<Job> run_;
  std::unique_ptr<Job> follow_;
  std::vector<std::unique_ptr<Job>> retired_;    // ended; freed when no delivery is under way
  std::vector<std::unique_ptr<Job>> abandoned_;  // workers that did not end: never freed while they run
  RunStopwatch stopwatch_;
  RunBarState bar_;
  RunCounts lastCounts_;
  bool active_ = false;
  int delivering_ = 0;
  int held_ = 0;

  std::vector<std::function<void()>> stateWatchers_;
  std::function<void(std::vector<std::wstring>&)> status_;
  std::vector<Sink> resultSinks_;
  std::function<void(const RunSummary&)> ended_;
  std::vector<Sink> followSinks_;
  std::function<void(bool)> followEnded_;
};

}  // namespace tarnix
