#include "platform/worker_group.h"

#include <condition_variable>
#include <mutex>
#include <system_error>

#include "platform/errno_map.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {

struct WorkerGroup::State {
  std::mutex lock;  // guards everything below
  std::condition_variable changed;
  enum class Gate { kClosed, kOpen, kCancelled } gate = Gate::kClosed;
  size_t running = 0;
};

WorkerGroup::~WorkerGroup() { Join(); }

bool WorkerGroup::Start(std::vector<WorkerJob> jobs, size_t* failedJob) {
  Join();
  auto state = std::make_shared<State>();
  // Counted before any thread exists, so an early end is never missed.
  state->running = jobs.size();
  std::vector<std::thread> threads;
  threads.reserve(jobs.size());
  for (size_t i = 0; i < jobs.size(); ++i) {
    try {
      threads.emplace_back([state, job = std::move(jobs[i])]() mutable {
        bool run;
        {
          std::unique_lock<std::mutex> lock(state->lock);
          state->changed.wait(lock, [&] { return state->gate != State::Gate::kClosed; });
          run = state->gate == State::Gate::kOpen;
        }
        if (run) job();
        { WorkerJob done = std::move(job); }  // the job's parameters go first
        std::lock_guard<std::mutex> lock(state->lock);
        if (--state->running == 0) state->changed.notify_all();
      });
    } catch (const std::system_error& e) {
      {
        std::lock_guard<std::mutex> lock(state->lock);
        state->gate = State::Gate::kCancelled;
        state->changed.notify_all();
      }
      for (std::thread& t : threads) t.join();
      if (failedJob) *failedJob = i;
      const int code = e.code().value();
      SetLastError(code ? Win32FromErrno(code) : ERROR_NOT_ENOUGH_MEMORY);
      return false;
    }
  }
  {
    std::lock_guard<std::mutex> lock(state->lock);
    state->gate = State::Gate::kOpen;
    state->changed.notify_all();
  }
  state_ = std::move(state);
  threads_ = std::move(threads);
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool WorkerGroup::Running() const {
  if (!state_) return false;
  std::lock_guard<std::mutex> lock(state_->lock);
  return state_->running > 0;
}

bool WorkerGroup::Wait(std::chrono::milliseconds timeout) {
  if (!state_) return true;
  {
    std::unique_lock<std::mutex> lock(state_->lock);
    if (!state_->changed.wait_for(lock, timeout, [&] { return state_->running == 0; })) return false;
  }
  Join();
  return true;
}

void WorkerGroup::Join() {
  for (std::thread& t : threads_)
    if (t.joinable()) t.join();
  threads_.clear();
  state_.reset();
}

}  // namespace tarnix
