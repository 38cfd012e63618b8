// Worker threads that start together or not at all.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "platform/worker_group.h"

namespace tarnix {
namespace {

using std::chrono::milliseconds;

TEST(WorkerGroup, RunsEveryJobAndDropsItsParametersBeforeItEnds) {
  auto owned = std::make_shared<int>(7);
  std::atomic<int> ran{0};
  std::atomic<bool> release{false};
  WorkerGroup group;
  EXPECT_FALSE(group.Running());
  EXPECT_TRUE(group.Wait(milliseconds(0)));  // nothing started
  std::vector<WorkerJob> jobs;
  jobs.emplace_back([&, keep = owned] {
    while (!release.load()) std::this_thread::sleep_for(milliseconds(1));
    ran += *keep;
  });
  jobs.emplace_back([&, params = std::make_unique<int>(1)] { ran += *params; });
  ASSERT_TRUE(group.Start(std::move(jobs)));
  EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ERROR_SUCCESS));
  EXPECT_TRUE(group.Running());
  EXPECT_FALSE(group.Wait(milliseconds(20)));  // one job is held back
  release = true;
  ASSERT_TRUE(group.Wait(milliseconds(10000)));
  EXPECT_FALSE(group.Running());
  EXPECT_EQ(ran.load(), 8);
  EXPECT_EQ(owned.use_count(), 1);  // the job's copy went with the job
}

TEST(WorkerGroup, ANewStartWaitsForTheLastOne) {
  std::atomic<int> order{0};
  int first = 0, second = 0;
  WorkerGroup group;
  std::vector<WorkerJob> a;
  a.emplace_back([&] {
    std::this_thread::sleep_for(milliseconds(30));
    first = ++order;
  });
  ASSERT_TRUE(group.Start(std::move(a)));
  std::vector<WorkerJob> b;
  b.emplace_back([&] { second = ++order; });
  ASSERT_TRUE(group.Start(std::move(b)));
  group.Join();
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);
}

// When the second thread cannot be made, the first never runs its job. The
// thread limit is set in a child process under an unprivileged user, where
// it is enforced.
TEST(WorkerGroup, AFailedStartRunsNoJob) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to switch to an unprivileged user";
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(10);
    // This process is the only one of that user here: room for one thread.
    struct rlimit limit {2, 2};
    if (setrlimit(RLIMIT_NPROC, &limit) != 0) _exit(11);
    std::atomic<int> ran{0};
    WorkerGroup group;
    std::vector<WorkerJob> jobs;
    jobs.emplace_back([&] { ++ran; });
    jobs.emplace_back([&] { ++ran; });
    size_t failed = 99;
    if (group.Start(std::move(jobs), &failed)) _exit(12);  // the limit was not enforced
    if (failed > 1) _exit(13);  // 0 when another process of that user exists
    if (GetLastError() == ERROR_SUCCESS) _exit(14);
    if (group.Running() || ran.load() != 0) _exit(15);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  const int code = WEXITSTATUS(status);
  if (code == 10 || code == 12) GTEST_SKIP() << "the thread limit cannot be set up here (" << code << ")";
  EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace tarnix
