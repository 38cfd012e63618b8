#pragma once
// Worker threads started together, whose end can be awaited with a time
// limit. Either every job of a start runs or none does: each thread waits at
// a gate until all of them exist, and when one cannot be made the others end
// without running their jobs, so a failed start delivers nothing.
#include <chrono>
#include <cstddef>
#include <memory>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace tarnix {

// A move-only job (it may own its parameters).
class WorkerJob {
 public:
  template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, WorkerJob>>>
  WorkerJob(F f) : impl_(std::make_unique<Impl<F>>(std::move(f))) {}  // NOLINT: implicit by intent
  void operator()() { impl_->Run(); }

 private:
  struct Base {
    virtual ~Base() = default;
    virtual void Run() = 0;
  };
  template <class F>
  struct Impl final : Base {
    explicit Impl(F f) : fn(std::move(f)) {}
    void Run() override { fn(); }
    F fn;
  };
  std::unique_ptr<Base> impl_;
};

class WorkerGroup {
 public:
  WorkerGroup() = default;
  ~WorkerGroup();  // waits for every thread
  WorkerGroup(const WorkerGroup&) = delete;
  WorkerGroup& operator=(const WorkerGroup&) = delete;

  // Starts one thread per job, after waiting for the threads of an earlier
  // start. A job is destroyed on its thread before the thread counts as
  // ended. When a thread cannot be made, no job runs, the threads made are
  // joined, the last error is the system's reason and `*failedJob` (when
  // given) the index of the job whose thread failed.
  bool Start(std::vector<WorkerJob> jobs, size_t* failedJob = nullptr);
  // True while a job of the last start has not ended.
  bool Running() const;
  // Waits up to `timeout`; true when every job has ended (their threads are
  // then joined).
  bool Wait(std::chrono::milliseconds timeout);
  // Waits for every thread without a limit.
  void Join();

 private:
  struct State;
  std::shared_ptr<State> state_;
  std::vector<std::thread> threads_;
};

}  // namespace tarnix
