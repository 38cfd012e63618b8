// The background regex check: what counts as invalid, replacement of the
// waiting request, and a worker that outlives Detach.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/last_error.h"
#include "platform/message_target.h"
#include "platform/win_errors.h"
#include "symbolsearch/regex_grammar.h"
#include "tools/regex_check.h"

namespace tarnix {
namespace {

using namespace std::chrono_literals;

TEST(RegexCheckFlags, TakesGrammarNosubsOptimizeAndAddsIcaseWhenNotCaseSensitive) {
  EXPECT_EQ(RegexCheckFlags(kDefaultRegexSyntax, true), 0x601u);
  EXPECT_EQ(RegexCheckFlags(kDefaultRegexSyntax, false), 0x701u);
  EXPECT_EQ(RegexCheckFlags(0xFFFFFFFF, true), 0x63Fu);
  EXPECT_EQ(RegexCheckFlags(kGrammarBasic, false), 0x102u);
}

TEST(RegexComponentCompiles, FollowsTheGrammar) {
  EXPECT_TRUE(RegexComponentCompiles(L"a+b", 0x601));
  EXPECT_FALSE(RegexComponentCompiles(L"(", 0x601));
  EXPECT_FALSE(RegexComponentCompiles(L"[z-a]", 0x601));
  // In basic POSIX a lone "(" is an ordinary character.
  EXPECT_TRUE(RegexComponentCompiles(L"(", kGrammarBasic));
}

// One reply from `target`, or false after a while.
bool TakeReply(QueueMessageTarget& target, uint64_t& box, uint64_t& invalid) {
  PostedMessage m;
  if (!target.Take(m, 5s)) return false;
  EXPECT_EQ(m.id, kRegexCheckReply);
  box = m.wParam;
  invalid = m.lParam;
  return true;
}

TEST(RegexChecker, RepliesWhetherEveryComponentCompiles) {
  QueueMessageTarget target(100, 0);
  RegexChecker checker(&target);
  uint64_t box = 0, invalid = 0;
  ASSERT_TRUE(checker.Submit({L"CreateFile[AW] || (", 0x601, 7}));
  ASSERT_TRUE(TakeReply(target, box, invalid));
  EXPECT_EQ(box, 7u);
  EXPECT_EQ(invalid, 1u);
  // "|||" ends a component and starts the next with "|": "a" and "|b" compile.
  ASSERT_TRUE(checker.Submit({L"a|||b", 0x601, 7}));
  ASSERT_TRUE(TakeReply(target, box, invalid));
  EXPECT_EQ(invalid, 0u);
  // Nothing but separators and blanks: no component, nothing invalid.
  ASSERT_TRUE(checker.Submit({L" || \t||", 0x601, 8}));
  ASSERT_TRUE(TakeReply(target, box, invalid));
  EXPECT_EQ(box, 8u);
  EXPECT_EQ(invalid, 0u);
  EXPECT_TRUE(checker.Detach());
  EXPECT_FALSE(checker.Submit({L"x", 0x601, 7}));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

// A component check the test holds up: it records what it was asked and
// waits for the gate to open. Shared, so that a worker outliving the test
// body still has it.
struct Gate {
  std::mutex lock;  // guards open, calls
  std::condition_variable changed;
  bool open = false;
  std::vector<std::wstring> calls;

  RegexChecker::ComponentCheck Check(std::shared_ptr<Gate> self) {
    return [self](const std::wstring& part, uint32_t) {
      std::unique_lock<std::mutex> l(self->lock);
      self->calls.push_back(part);
      self->changed.notify_all();
      self->changed.wait(l, [&] { return self->open; });
      return part != L"bad";
    };
  }
  bool WaitForCalls(size_t n) {
    std::unique_lock<std::mutex> l(lock);
    return changed.wait_for(l, 5s, [&] { return calls.size() >= n; });
  }
  void Open() {
    std::lock_guard<std::mutex> l(lock);
    open = true;
    changed.notify_all();
  }
  std::vector<std::wstring> Calls() {
    std::lock_guard<std::mutex> l(lock);
    return calls;
  }
};

TEST(RegexChecker, ANewRequestReplacesTheWaitingOneAndStaleAnswersAreNotPosted) {
  auto gate = std::make_shared<Gate>();
  QueueMessageTarget target(100, 0);
  RegexChecker checker(&target, gate->Check(gate));
  ASSERT_TRUE(checker.Submit({L"first", 0x601, 1}));
  ASSERT_TRUE(gate->WaitForCalls(1));
  EXPECT_TRUE(checker.busy());
  ASSERT_TRUE(checker.Submit({L"second", 0x601, 1}));
  ASSERT_TRUE(checker.Submit({L"bad", 0x601, 1}));
  gate->Open();
  uint64_t box = 0, invalid = 0;
  ASSERT_TRUE(TakeReply(target, box, invalid));
  EXPECT_EQ(invalid, 1u);  // the answer for "bad", the newest text
  PostedMessage more;
  EXPECT_FALSE(target.Take(more, 100ms));
  EXPECT_EQ(gate->Calls(), (std::vector<std::wstring>{L"first", L"bad"}));
  EXPECT_TRUE(checker.Detach());
  EXPECT_FALSE(checker.busy());
}

// Detach gives up waiting for a worker stuck in a compile; the worker then
// compiles no further component and never touches the target, which is
// gone by the time it wakes (AddressSanitizer would see it).
TEST(RegexChecker, AWorkerThatOutlivesDetachTouchesNothing) {
  auto gate = std::make_shared<Gate>();
  auto target = std::make_unique<QueueMessageTarget>(100, 0);
  auto checker = std::make_unique<RegexChecker>(target.get(), gate->Check(gate));
  ASSERT_TRUE(checker->Submit({L"a || b || c", 0x601, 1}));
  ASSERT_TRUE(gate->WaitForCalls(1));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(checker->Detach(50));
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
  checker.reset();  // a second Detach, which must not wait for the worker again
  target.reset();
  gate->Open();
  // The worker's copy of the check goes when the worker has ended.
  for (int i = 0; i < 500 && gate.use_count() > 1; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(gate.use_count(), 1);
  EXPECT_EQ(gate->Calls(), (std::vector<std::wstring>{L"a"}));
}

}  // namespace
}  // namespace tarnix
