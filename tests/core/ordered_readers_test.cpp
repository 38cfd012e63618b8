#include "core/ordered_readers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace tarnix {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

// A job gives (job % 5) pieces before its last one; every 7th output is
// ready at once. What a consumer must see: "job.piece" in that order.
struct Piece {
  int job = -1, piece = -1;
};
using Readers = OrderedReaders<int, Piece>;

std::vector<std::string> Expected(int jobs) {
  std::vector<std::string> out;
  for (int j = 0; j < jobs; ++j) {
    const int pieces = j % 7 == 0 ? 0 : j % 5;
    for (int p = 0; p <= pieces; ++p) out.push_back(std::to_string(j) + "." + std::to_string(p));
  }
  return out;
}

struct FedRun {
  std::vector<std::string> committed;
  bool finished = false;
};

// Feeds `jobs` jobs to `readers` readers whose reads take random time. The
// read of `block` waits (polling) until `release`; `tick` answers the
// consumer's stop check.
FedRun Feed(size_t readers, int jobs, size_t heldBytes, const std::function<bool()>& tick = [] { return true; },
         int block = -1, std::atomic<bool>* blocking = nullptr, std::atomic<bool>* release = nullptr) {
  FedRun run;
  std::atomic<int> inRead{0};
  std::atomic<int64_t> held{0}, maxHeld{0};
  auto lastOf = [](int job) { return job % 7 == 0 ? 0 : job % 5; };
  OrderedReadLimits limits;
  limits.readers = readers;
  limits.heldBytes = heldBytes;
  Readers r(
      limits,
      [&](int& job, Readers::Outlet& out) {
        ++inRead;
        thread_local std::mt19937 random(std::hash<std::thread::id>()(std::this_thread::get_id()));
        for (int p = 0; p < lastOf(job); ++p) {
          std::this_thread::sleep_for(microseconds(random() % 200));
          const int64_t now = held += 100;
          int64_t seen = maxHeld.load();
          while (now > seen && !maxHeld.compare_exchange_weak(seen, now)) {}
          out.Publish(Piece{job, p}, 100);
        }
        if (job == block) {
          *blocking = true;
          while (!release->load()) {
            out.Poll();
            std::this_thread::sleep_for(milliseconds(1));
          }
        }
        --inRead;
        return Piece{job, lastOf(job)};
      },
      [&](Piece& p, bool last) {
        if (!last) held -= 100;
        EXPECT_EQ(last, p.piece == lastOf(p.job));
        run.committed.push_back(std::to_string(p.job) + "." + std::to_string(p.piece));
        return true;
      },
      [&] { return tick() ? ReadersTick::kGo : ReadersTick::kStop; });
  for (int j = 0; j < jobs; ++j) {
    // The stop check a walk makes before each entry.
    if (!r.Drain() || !tick()) {
      r.Stop();
      break;
    }
    if (!(j % 7 == 0 ? r.AddReady(Piece{j, 0}) : r.Add(j))) break;
  }
  run.finished = r.Finish();
  EXPECT_EQ(inRead.load(), 0) << "a read still runs after Finish";
  // The oldest job waits only for its own pieces; the others wait once the
  // held output passes the limit: each reader may hold one piece over it.
  EXPECT_LE(maxHeld.load(), static_cast<int64_t>(heldBytes + 100 * (readers + 2)));
  return run;
}

TEST(OrderedReaders, DeliversEveryPieceInOrderWithBoundedHeldOutput) {
  const std::vector<std::string> expected = Expected(400);
  for (size_t readers : {1, 2, 4, 8}) {
    for (size_t held : {size_t{300}, size_t{1} << 20}) {
      FedRun run = Feed(readers, 400, held);
      EXPECT_TRUE(run.finished);
      EXPECT_EQ(run.committed, expected) << readers << " readers, " << held << " bytes held";
    }
  }
}

TEST(OrderedReaders, StopDeliversTheOldestJobToItsEndAndNothingAfter) {
  // The stop comes while job 3 is read (it waits): what the oldest job
  // hands on until its reader ends is committed, nothing after it.
  const std::vector<std::string> expected = Expected(200);
  for (size_t readers : {1, 4}) {
    std::atomic<bool> blocking{false}, release{false}, stop{false};
    std::thread stopper([&] {
      while (!blocking) std::this_thread::sleep_for(milliseconds(1));
      stop = true;
      std::this_thread::sleep_for(milliseconds(30));
      release = true;
    });
    FedRun run = Feed(readers, 200, 1 << 20, [&] { return !stop.load(); }, 3, &blocking, &release);
    stopper.join();
    EXPECT_FALSE(run.finished);
    ASSERT_FALSE(run.committed.empty());
    ASSERT_LE(run.committed.size(), expected.size());
    EXPECT_TRUE(std::equal(run.committed.begin(), run.committed.end(), expected.begin()));
    // It ends with a job's last piece, job 3's at the latest.
    const std::string& last = run.committed.back();
    const int job = std::stoi(last);
    EXPECT_LE(job, 3) << readers;
    EXPECT_EQ(last, std::to_string(job) + "." + std::to_string(job % 7 == 0 ? 0 : job % 5));
    if (readers == 1) {
      EXPECT_EQ(last, "3.3");
    }
  }
}

TEST(OrderedReaders, CommitThatFailsStopsEverything) {
  for (size_t readers : {1, 3}) {
    std::vector<int> committed;
    OrderedReadLimits limits;
    limits.readers = readers;
    std::atomic<int> reads{0};
    Readers r(
        limits,
        [&](int& job, Readers::Outlet&) {
          ++reads;
          return Piece{job, 0};
        },
        [&](Piece& p, bool) {
          committed.push_back(p.job);
          return p.job != 5;
        },
        [] { return ReadersTick::kGo; });
    int added = 0;
    while (added < 100 && r.Add(added)) ++added;
    EXPECT_FALSE(r.Finish());
    EXPECT_EQ(committed, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_LT(added, 100);
    EXPECT_FALSE(r.Add(1000));
    if (readers == 1) {
      EXPECT_EQ(reads.load(), 6);
    }
  }
}

TEST(ReaderCount, DefaultAndBounds) {
  const uint32_t n = DefaultReaderCount();
  EXPECT_GE(n, 1u);
  EXPECT_LE(n, 8u);
  EXPECT_EQ(EffectiveReaderCount(0), n);
  EXPECT_EQ(EffectiveReaderCount(3), 3u);
  EXPECT_EQ(EffectiveReaderCount(1000), kMaxReaders);
}

}  // namespace
}  // namespace tarnix
