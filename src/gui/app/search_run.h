#pragma once
// The life of a search window's runs of its engine, one at a time. A run
// owns its stop flag, the message target its workers post to and the
// workers themselves (the engine object and what they share); the window
// sees the messages of its current run only, through one handler. A run
// whose workers do not end within the wait after Stop is abandoned whole:
// its target is closed and nothing of it is freed while a worker may still
// use it, so a late worker never touches the next run or freed memory.
//
//   SearchRun run_{[this](PostedMessage& m) { OnMessage(m); }};
//   auto* w = run_.Begin(std::make_unique<SearchRun::EngineWorkers<SymbolSearch, SearchStatistics>>(),
//       [&](auto& w, StopFlag& stop, MessageTarget& target) { ... return w.engine.Start(...); });
//   run_.Pause(); run_.Resume(); run_.Stop(); const int64_t ms = run_.Finish();
//   { DeliveryHold hold = run_.Hold(); RunBusy(...); }  // busy work over the results
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "core/run_stopwatch.h"
#include "core/stop_flag.h"
#include "gui/app/desktop_message_target.h"

namespace tarnix::gui {

class SearchRun {
 public:
  // What one run's workers need kept alive for as long as they run.
  class Workers {
   public:
    virtual ~Workers() = default;
    virtual bool Running() const = 0;
    virtual bool Wait(std::chrono::milliseconds timeout) = 0;
  };
  // The workers of an engine class with Running() and Wait(), and what
  // they share with the window (counters, statistics).
  struct NoShared {};
  template <class Engine, class Shared = NoShared>
  struct EngineWorkers final : Workers {
    Engine engine;
    Shared shared;
    bool Running() const override { return engine.Running(); }
    bool Wait(std::chrono::milliseconds timeout) override { return engine.Wait(timeout); }
  };

  // How long Stop, Finish and a new Begin wait for the workers.
  static constexpr int kWorkerWaitMs = 5000;
  // How long Stop hands the workers' last messages to the window.
  static constexpr int kLastMessagesMs = 2000;

  explicit SearchRun(DesktopMessageTarget::Handler handler,
                     uint32_t postIntervalMs = DesktopMessageTarget::kWindowPostIntervalMs);
  // Stops the current run and waits for it; workers that do not end keep
  // what they use.
  ~SearchRun();
  SearchRun(const SearchRun&) = delete;
  SearchRun& operator=(const SearchRun&) = delete;

  // Begins a run: the earlier run's workers have ended or are abandoned now.
  // `start` starts the workers with the new run's stop flag and target; when
  // it answers false the run is dropped (the last error kept) and null is
  // answered. The stopwatch starts just before `start`.
  template <class W>
  W* Begin(std::unique_ptr<W> workers, const std::function<bool(W&, StopFlag&, MessageTarget&)>& start) {
    W* w = workers.get();
    Run* run = Prepare(std::move(workers));
    if (!start(*w, run->stop, *run->target)) {
      Drop();
      return nullptr;
    }
    return w;
  }

  // Begun and not finished.
  bool active() const { return active_; }
  bool paused() const;
  // The current (or last) run's workers; null when there is none or it is
  // of another type.
  template <class W>
  W* workers() const {
    return current_ ? dynamic_cast<W*>(current_->workers.get()) : nullptr;
  }
  const RunStopwatch& stopwatch() const { return stopwatch_; }

  // Pause and resume: the stop flag and the stopwatch. No effect unless
  // active (and running or paused, in turn).
  void Pause();
  void Resume();
  // Asks the workers to stop and waits for them (abandoning them when they
  // do not end), then hands their last messages to the window, the end
  // message among them. Answers whether they ended.
  bool Stop(int waitMs = kWorkerWaitMs);
  // Asks the workers to stop without waiting: their end message comes as
  // usual (the results list reached its limit while a message is handled).
  void RequestStop();
  // Ends the run once its end message arrived (or never will): stops what
  // still walks (a counting thread), waits for the workers, freezes the
  // stopwatch and answers the run time.
  int64_t Finish(int waitMs = kWorkerWaitMs);
  // Drops what the current run queued and refuses its later posts (the
  // window is closing).
  void Discard();
  // Holds the current run's messages while busy work owns what they change.
  [[nodiscard]] DeliveryHold Hold() const;

  // How many runs were abandoned (diagnostics and tests).
  size_t abandonedRuns() const { return abandoned_.size(); }

 private:
  struct Run {
    StopFlag stop{kStopRun};
    std::unique_ptr<DesktopMessageTarget> target;
    std::unique_ptr<Workers> workers;
  };
  Run* Prepare(std::unique_ptr<Workers> workers);
  void Drop();
  // Waits up to `ms` for the current run's workers; abandons the run when
  // they do not end. True when they ended.
  bool EndWorkers(int ms);

  DesktopMessageTarget::Handler handler_;
  uint32_t postIntervalMs_;
  std::unique_ptr<Run> current_;
  std::vector<std::unique_ptr<Run>> abandoned_;
  RunStopwatch stopwatch_;
  bool active_ = false;
};

}  // namespace tarnix::gui
