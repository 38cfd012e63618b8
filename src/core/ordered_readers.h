#pragma once
// Files read on a small pool of threads while their output is taken in the
// order the files were given. One thread (the consumer) adds the jobs in
// order and commits every piece of output; reader threads run the jobs and
// hand their output on in pieces. The consumer commits the pieces of the
// oldest job as they come, then the next job's, so that what it delivers is
// exactly what one thread reading the jobs one after another delivers.
//
// Memory stays bounded whatever the files hold: at most `window` jobs are
// added and not yet committed, and a reader whose job is not the oldest
// waits once the output held for the jobs passes `heldBytes`, until its job
// is the oldest or room is made. The oldest job's reader only waits for the
// consumer to take its pieces, so the oldest job always moves on.
//
// With one reader (or none) there are no threads: the consumer reads each
// job itself as it adds it, and each piece is committed the moment it is
// handed on, as a search on one thread does.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace tarnix {

// How many readers a search uses by default: the number of processors this
// process may run on, at most 8.
uint32_t DefaultReaderCount();

// A stored or typed reader count as a search uses it: 0 is the default,
// anything above kMaxReaders is kMaxReaders.
inline constexpr uint32_t kMaxReaders = 64;
uint32_t EffectiveReaderCount(uint32_t requested);

// What the consumer's tick answers.
enum class ReadersTick {
  kGo,    // commit what is ready
  kHold,  // paused: commit nothing until the pause ends
  kStop,  // stop (see Stop)
};

struct OrderedReadLimits {
  size_t readers = 1;            // 0 or 1: the consumer reads the jobs itself
  size_t window = 0;             // 0: 16 per reader, at least 32
  size_t heldBytes = 64u << 20;  // output held for the jobs in flight
};

template <class Job, class Output>
class OrderedReaders {
  struct Item;

 public:
  // A reader's side of the job it runs.
  class Outlet {
   public:
    // Hands a piece of the job's output on (`bytes`: about how much memory
    // it holds). May wait for room (see above).
    void Publish(Output piece, size_t bytes) { owner_.PublishPiece(item_, std::move(piece), bytes, false); }
    // True once the consumer stops: the reader ends its job at its next check.
    bool cancelled() const { return owner_.cancelled_.load(std::memory_order_relaxed); }
    // When the consumer reads the job itself, lets it post progress while
    // one job takes long (the tick); nothing otherwise. False: stop.
    bool Poll() { return owner_.PollInline(); }
    // Which reader runs the job: 0 to threads() - 1 (0 on the consumer), for
    // state a reader keeps from job to job.
    size_t reader() const { return reader_; }

   private:
    friend class OrderedReaders;
    Outlet(OrderedReaders& owner, Item* item, size_t reader) : owner_(owner), item_(item), reader_(reader) {}
    OrderedReaders& owner_;
    Item* item_;
    size_t reader_;
  };

  // Runs a job (on a reader thread, or on the consumer when it reads
  // itself); the output it answers is the job's last piece.
  using ReadFn = std::function<Output(Job&, Outlet&)>;
  // Runs on the consumer for each piece, in order; `last` ends a job.
  // Answers false to stop: nothing more is committed.
  using CommitFn = std::function<bool(Output&, bool last)>;
  // Runs on the consumer while it waits (at least every 10 ms), and on a
  // reading consumer at each Poll. It never waits out a pause itself: the
  // readers and the consumer do that in their own checks.
  using TickFn = std::function<ReadersTick()>;
  // Runs first on each reader thread (to lower its priority).
  using ThreadStartFn = std::function<void()>;

  OrderedReaders(OrderedReadLimits limits, ReadFn read, CommitFn commit, TickFn tick,
                 const ThreadStartFn& threadStart = nullptr)
      : read_(std::move(read)), commit_(std::move(commit)), tick_(std::move(tick)),
        window_(limits.window ? limits.window : std::max<size_t>(32, 16 * limits.readers)),
        heldLimit_(limits.heldBytes) {
    if (limits.readers <= 1) return;
    threads_.reserve(limits.readers);
    for (size_t i = 0; i < limits.readers; ++i) {
      try {
        threads_.emplace_back([this, threadStart, i] {
          if (threadStart) threadStart();
          ReaderLoop(i);
        });
      } catch (const std::system_error&) {
        break;  // fewer readers still read everything; none: the consumer reads
      }
    }
    inline_ = threads_.empty();
  }

  // Stops and waits for every reader.
  ~OrderedReaders() {
    Halt();
    JoinReaders();
  }

  OrderedReaders(const OrderedReaders&) = delete;
  OrderedReaders& operator=(const OrderedReaders&) = delete;

  // The reader threads running (0: the consumer reads).
  size_t threads() const { return threads_.size(); }

  // --- the consumer's side ---

  // Adds a job after those added before, waiting (and committing) while the
  // window is full. False once stopped.
  bool Add(Job job) {
    if (state_ != State::kRunning) return false;
    if (inline_) {
      Item item;
      item.taken = true;
      Outlet outlet(*this, &item, 0);
      readingInline_ = true;
      Output last = read_(job, outlet);
      readingInline_ = false;
      CommitInline(last, true);
      return state_ == State::kRunning;
    }
    if (!WaitForRoom()) return false;
    std::lock_guard<std::mutex> lock(lock_);
    Item& item = items_.emplace_back();
    item.job.emplace(std::move(job));
    pending_.push_back(&item);
    work_.notify_one();
    return true;
  }

  // Adds an output that needs no reading (a status line of the walk), in
  // order with the jobs. False once stopped.
  bool AddReady(Output out) {
    if (state_ != State::kRunning) return false;
    if (inline_) {
      CommitInline(out, true);
      return state_ == State::kRunning;
    }
    if (!WaitForRoom()) return false;
    std::lock_guard<std::mutex> lock(lock_);
    Item& item = items_.emplace_back();
    item.taken = true;
    item.pieces.push_back({std::move(out), 0, true});
    MarkDone(item);
    return true;
  }

  // Commits what is ready, in order, without waiting. False once stopped.
  bool Drain() {
    while (state_ != State::kStopped && !inline_) {
      Piece piece;
      {
        std::lock_guard<std::mutex> lock(lock_);
        if (items_.empty() || items_.front().pieces.empty()) break;
        Item& head = items_.front();
        piece = std::move(head.pieces.front());
        head.pieces.pop_front();
        held_ -= piece.bytes;
        if (piece.last) {
          items_.pop_front();
          --readyFront_;
        }
        if (blocked_) room_.notify_all();
      }
      if (!commit_(piece.out, piece.last)) Halt();
      // After a stop that lets the oldest job finish, nothing after it.
      else if (piece.last && state_ == State::kFinishingOldest) Halt();
    }
    return state_ == State::kRunning;
  }

  // Waits until every job added is committed. True when all were; false
  // when stopped. No reader runs any more when it returns.
  bool Finish() {
    bool all = state_ == State::kRunning && (inline_ || WaitUntil([&] { return items_.empty(); }, 1));
    if (!all) {
      // The oldest job may still be read up to where its reader stops.
      while (state_ == State::kFinishingOldest) {
        Drain();
        std::unique_lock<std::mutex> lock(lock_);
        if (state_ == State::kFinishingOldest && (items_.empty() || items_.front().pieces.empty()))
          ready_.wait_for(lock, std::chrono::milliseconds(10));
      }
    }
    Halt();
    JoinReaders();
    return all;
  }

  // Stops: jobs not yet read are dropped and readers end their jobs at
  // their next check. The pieces the oldest job's reader hands on until it
  // ends are still committed (what one thread would have delivered before
  // it saw the stop); nothing after that job is.
  void Stop() {
    if (state_ != State::kRunning) return;
    std::lock_guard<std::mutex> lock(lock_);
    // Reading on the consumer, the job being read is the oldest.
    const bool oldestRead = inline_ ? readingInline_ : !items_.empty() && items_.front().taken;
    state_ = oldestRead ? State::kFinishingOldest : State::kStopped;
    Cancel();
  }

  bool stopped() const { return state_ != State::kRunning; }

 private:
  enum class State { kRunning, kFinishingOldest, kStopped };

  struct Piece {
    Output out{};
    size_t bytes = 0;
    bool last = false;
  };
  struct Item {
    std::optional<Job> job;  // until a reader takes it
    bool taken = false;      // read, or never needed reading
    bool done = false;       // its last piece is handed on
    std::deque<Piece> pieces;
  };

  // Stops at once: nothing more is committed.
  void Halt() {
    std::lock_guard<std::mutex> lock(lock_);
    state_ = State::kStopped;
    Cancel();
  }

  // Under the lock.
  void Cancel() {
    cancelled_ = true;
    pending_.clear();
    work_.notify_all();
    room_.notify_all();
    ready_.notify_all();
  }

  void CommitInline(Output& piece, bool last) {
    if (state_ == State::kStopped) return;
    if (!commit_(piece, last) || (last && state_ == State::kFinishingOldest)) Halt();
  }

  bool PollInline() {
    if (!inline_) return !cancelled_.load(std::memory_order_relaxed);
    if (state_ == State::kRunning && tick_() == ReadersTick::kStop) Stop();
    return state_ == State::kRunning;
  }

  void PublishPiece(Item* item, Output piece, size_t bytes, bool last) {
    if (inline_) return CommitInline(piece, last);
    std::unique_lock<std::mutex> lock(lock_);
    // The oldest job waits only for its own pieces to be taken; any other
    // waits while the output held is over the limit.
    auto room = [&] {
      if (cancelled_ || last) return true;
      if (&items_.front() == item) return item->pieces.size() < 2;
      return held_ + bytes <= heldLimit_;
    };
    if (!room()) {
      ++blocked_;
      if (consumerWaiting_) ready_.notify_one();
      room_.wait(lock, room);
      --blocked_;
    }
    item->pieces.push_back({std::move(piece), bytes, last});
    held_ += bytes;
    if (last) MarkDone(*item);
  }

  // Under the lock: `item` has handed on its last piece. The consumer is
  // woken only when enough jobs are done in order (or a reader waits for
  // it), so that it takes them in bursts rather than one at a time.
  void MarkDone(Item& item) {
    item.done = true;
    while (readyFront_ < items_.size() && items_[readyFront_].done) ++readyFront_;
    if (consumerWaiting_ && (readyFront_ >= wakeAt_ || blocked_)) ready_.notify_one();
  }

  void ReaderLoop(size_t reader) {
    for (;;) {
      Item* item;
      std::optional<Job> job;
      {
        std::unique_lock<std::mutex> lock(lock_);
        work_.wait(lock, [&] { return !pending_.empty() || cancelled_ || closing_; });
        if (pending_.empty()) return;
        item = pending_.front();
        pending_.pop_front();
        item->taken = true;
        job = std::move(item->job);
        item->job.reset();
      }
      Outlet outlet(*this, item, reader);
      Output last = read_(*job, outlet);
      job.reset();
      PublishPiece(item, std::move(last), 0, true);
    }
  }

  // Commits and ticks until `done` holds (under the lock); false when
  // stopped first. It sleeps until `wakeAt` jobs are done in order (or a
  // reader waits for it, or 10 ms have passed).
  template <class Done>
  bool WaitUntil(Done done, size_t wakeAt) {
    for (;;) {
      const ReadersTick tick = tick_();
      if (tick == ReadersTick::kStop) {
        Stop();
        return false;
      }
      if (tick == ReadersTick::kGo && !Drain()) return false;
      std::unique_lock<std::mutex> lock(lock_);
      if (done()) return true;
      if (tick == ReadersTick::kHold || (readyFront_ < wakeAt && !blocked_)) {
        consumerWaiting_ = true;
        wakeAt_ = wakeAt;
        ready_.wait_for(lock, std::chrono::milliseconds(10));
        consumerWaiting_ = false;
      }
    }
  }

  // Waits (committing) for room in the window; once it is full, until a
  // quarter of it is free again.
  bool WaitForRoom() {
    {
      std::lock_guard<std::mutex> lock(lock_);
      if (items_.size() < window_) return true;
    }
    const size_t quarter = std::max<size_t>(1, window_ / 4);
    return WaitUntil([&] { return items_.size() + quarter <= window_; }, quarter);
  }

  void JoinReaders() {
    {
      std::lock_guard<std::mutex> lock(lock_);
      closing_ = true;
      work_.notify_all();
    }
    for (std::thread& t : threads_)
      if (t.joinable()) t.join();
  }

  ReadFn read_;
  CommitFn commit_;
  TickFn tick_;
  const size_t window_;
  const size_t heldLimit_;
  std::vector<std::thread> threads_;

  std::mutex lock_;  // guards items_ (and their fields) and the members down to closing_
  std::condition_variable work_;   // a job to read, or the end
  std::condition_variable ready_;  // a piece for the consumer
  std::condition_variable room_;   // a reader may hand on its piece
  std::deque<Item> items_;         // added and not yet committed, oldest first
  std::deque<Item*> pending_;      // not yet taken by a reader
  size_t held_ = 0;
  size_t readyFront_ = 0;  // items at the front that are done
  size_t blocked_ = 0;     // readers waiting for room
  bool consumerWaiting_ = false;
  size_t wakeAt_ = 1;      // done items that wake a waiting consumer
  bool closing_ = false;
  std::atomic<bool> cancelled_{false};
  State state_ = State::kRunning;  // written by the consumer under the lock
  bool inline_ = true;             // no reader threads: the consumer reads
  bool readingInline_ = false;     // the consumer reads a job itself
};

}  // namespace tarnix
