#include "core/message_poster.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/last_error.h"
#include "platform/time_utils.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

PostedMessage Line(int n) {
  PostedMessage m;
  m.id = 32873;
  m.payload = std::make_unique<PayloadOf<std::wstring>>(std::to_wstring(n));
  return m;
}

TEST(QueueMessageTarget, BoundedRefusalKeepsPayloadWithCaller) {
  QueueMessageTarget target(2, 0);
  auto a = Line(1), b = Line(2), c = Line(3);
  EXPECT_TRUE(target.Post(a));
  EXPECT_FALSE(a.payload);
  EXPECT_TRUE(target.Post(b));
  EXPECT_FALSE(target.Post(c));
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_QUOTA);
  ASSERT_TRUE(c.payload);
  EXPECT_EQ(*c.As<std::wstring>(), L"3");
  PostedMessage got;
  ASSERT_TRUE(target.Take(got, std::chrono::milliseconds(0)));
  EXPECT_EQ(*got.As<std::wstring>(), L"1");
  target.Close();
  EXPECT_FALSE(target.Post(c));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST(MessagePoster, FullQueueIsRetriedWithoutLossOrDuplicates) {
  QueueMessageTarget target(3, 0);
  StopFlag stop{0};
  constexpr int kCount = 500;
  std::thread worker([&] {
    MessagePoster poster(&target, stop);
    int retries = 0;
    poster.SetRetryHook([&] { ++retries; });
    for (int i = 0; i < kCount; ++i) {
      auto m = Line(i);
      ASSERT_EQ(poster.Post(m), MessagePoster::kDelivered);
    }
    EXPECT_GT(retries, 0);
  });
  for (int i = 0; i < kCount; ++i) {
    PostedMessage got;
    while (!target.Take(got, std::chrono::milliseconds(50))) {
    }
    ASSERT_EQ(*got.As<std::wstring>(), std::to_wstring(i));
    if (i % 50 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  worker.join();
  EXPECT_EQ(target.size(), 0u);
}

TEST(MessagePoster, StopDuringQueueFullKeepsThePayload) {
  QueueMessageTarget target(1, 0);
  StopFlag stop{0};
  MessagePoster poster(&target, stop);
  auto first = Line(1);
  ASSERT_EQ(poster.Post(first), MessagePoster::kDelivered);
  poster.SetRetryHook([&] { stop = kStopStop; });
  auto second = Line(2);
  EXPECT_EQ(poster.Post(second), MessagePoster::kStopped);
  ASSERT_TRUE(second.payload);
  EXPECT_EQ(target.size(), 1u);
}

TEST(MessagePoster, SpacingIsTheTargetsProperty) {
  QueueMessageTarget window(100, 5);
  StopFlag stop{0};
  MessagePoster poster(&window, stop);
  uint64_t start = TickCount64();
  for (int i = 0; i < 5; ++i) {
    auto m = Line(i);
    ASSERT_EQ(poster.Post(m), MessagePoster::kDelivered);
  }
  EXPECT_GE(TickCount64() - start, 20u);  // four gaps of at least 5 ms

  MessagePoster none(nullptr, stop);
  auto m = Line(0);
  EXPECT_EQ(none.Post(m), MessagePoster::kFailed);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_BLOCK);
}

// A batch carries everything added since the last post: the spacing limits
// the posts, not the records; a full queue keeps the records for later and
// a full batch waits for room, so nothing is lost or reordered.
TEST(BatchPoster, SpacingLimitsPostsNotRecordsAndKeepsOrder) {
  QueueMessageTarget window(4, 5);
  StopFlag stop{0};
  constexpr int kCount = 20000;
  std::thread worker([&] {
    MessagePoster poster(&window, stop);
    BatchPoster<int> batch(poster, 32880, 1000);
    for (int i = 0; i < kCount; ++i) ASSERT_EQ(batch.Add(i), MessagePoster::kDelivered);
    ASSERT_EQ(batch.Flush(), MessagePoster::kDelivered);
    EXPECT_EQ(batch.held(), 0u);
  });
  int next = 0, posts = 0;
  while (next < kCount) {
    PostedMessage got;
    if (!window.Take(got, std::chrono::milliseconds(2000))) break;
    ++posts;
    for (int v : *got.As<std::vector<int>>()) ASSERT_EQ(v, next++);
    if (posts % 3 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(3));
  }
  worker.join();
  EXPECT_EQ(next, kCount);
  EXPECT_LE(posts, kCount / 10);
}

// A batch below its minimum waits for more, however due the post is; the
// last one goes out as it is.
TEST(BatchPoster, MinimumBatchWaitsForMoreUnlessLast) {
  QueueMessageTarget window(10, 0);
  StopFlag stop{0};
  MessagePoster poster(&window, stop);
  BatchPoster<int> batch(poster, 32880, 100, 4);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(batch.Add(i), MessagePoster::kDelivered);
  batch.PostIfDue();
  EXPECT_EQ(window.size(), 0u);
  ASSERT_EQ(batch.Add(3), MessagePoster::kDelivered);
  EXPECT_EQ(window.size(), 1u);
  ASSERT_EQ(batch.Add(4), MessagePoster::kDelivered);
  ASSERT_EQ(batch.Flush(), MessagePoster::kDelivered);
  PostedMessage got;
  ASSERT_TRUE(window.Take(got, std::chrono::milliseconds(0)));
  EXPECT_EQ(*got.As<std::vector<int>>(), (std::vector<int>{0, 1, 2, 3}));
  ASSERT_TRUE(window.Take(got, std::chrono::milliseconds(0)));
  EXPECT_EQ(*got.As<std::vector<int>>(), (std::vector<int>{4}));
}

TEST(CheckStop, PauseWaitsUntilRunOrStop) {
  StopFlag flag{kStopPause};
  std::thread t([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    flag = kStopStop;
  });
  EXPECT_TRUE(CheckStop(flag));
  t.join();
  flag = kStopRun;
  EXPECT_FALSE(CheckStop(flag));
}

}  // namespace
}  // namespace tarnix
