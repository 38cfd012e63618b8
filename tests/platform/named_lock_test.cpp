#include "platform/named_lock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

TEST(NamedLock, ThreadsOfOneProcessExcludeEachOtherAndWaitsTimeOut) {
  NamedLock a("lock-test-threads");
  ASSERT_TRUE(a.Acquire(0));
  // The holding thread may take it again.
  ASSERT_TRUE(a.Acquire(0));
  a.Release();

  std::atomic<bool> gotIt{true};
  uint32_t error = 0;
  std::thread other([&] {
    NamedLock b("lock-test-threads");
    gotIt = b.Acquire(50);
    error = GetLastError();
  });
  other.join();
  EXPECT_FALSE(gotIt);
  EXPECT_EQ(error, ERROR_TIMEOUT);

  // Released: the other thread gets it while this one waits for its turn.
  a.Release();
  EXPECT_FALSE(a.held());
  std::promise<void> holding;
  std::atomic<bool> releasing{false};
  std::thread third([&] {
    NamedLock b("lock-test-threads");
    gotIt = b.Acquire(1000);
    holding.set_value();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    releasing = true;  // b releases the lock right after
  });
  holding.get_future().wait();
  EXPECT_TRUE(a.Acquire(2000));
  EXPECT_TRUE(releasing);  // the wait lasted until the other thread let go
  third.join();
  EXPECT_TRUE(gotIt);
}

TEST(NamedLock, HolderThatDiesFreesTheLock) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    NamedLock lock("lock-test-dead");
    char c = lock.Acquire(1000) ? '1' : '0';
    (void)!write(ready[1], &c, 1);
    pause();
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, '1');
  NamedLock lock("lock-test-dead");
  EXPECT_FALSE(lock.Acquire(20));
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_TRUE(lock.Acquire(1000));
  close(ready[0]);
  close(ready[1]);
}

}  // namespace
}  // namespace tarnix

namespace tarnix {
namespace {

TEST(NamedLock, LockOfAnEndedThreadIsAbandonedAndTakenOver) {
  NamedLock held("lock-test-abandoned");
  std::thread([&] { ASSERT_TRUE(held.Acquire(0)); }).join();
  NamedLock next("lock-test-abandoned");
  EXPECT_TRUE(next.Acquire(100));
  next.Release();
}

}  // namespace
}  // namespace tarnix
