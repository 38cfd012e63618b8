#include "tools/regex_check.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "platform/last_error.h"
#include "platform/message_target.h"
#include "platform/win_errors.h"
#include "symbolsearch/regex_grammar.h"
#include "symbolsearch/search_string.h"

namespace tarnix {

namespace {
// The syntax options a check takes from the "reGrammar" value.
constexpr uint32_t kCheckedSyntaxBits = kGrammarBits | kRegexNosubs | kRegexOptimize;  // 0x63F
}  // namespace

uint32_t RegexCheckFlags(uint32_t grammar, bool caseSensitive) {
  return (grammar & kCheckedSyntaxBits) | (caseSensitive ? 0 : kRegexIcase);
}

bool RegexComponentCompiles(const std::wstring& component, uint32_t flags) {
  // The search's own compiler, so that the box turns red exactly when the
  // search would refuse the text. It always adds nosubs and optimize, which
  // change what matches but never what compiles.
  SearchStringComponents compiled;
  RegexCompileError error;
  return CompileSearchString({component}, flags & kGrammarBits, (flags & kRegexIcase) == 0,
                             compiled, error);
}

struct RegexChecker::State {
  ComponentCheck check;
  std::atomic<uint32_t> stop{0};

  std::mutex pendingLock;  // guards pending, running and detached
  std::condition_variable workerEnded;
  std::optional<RegexCheckRequest> pending;
  bool running = false;
  bool detached = false;

  std::mutex targetLock;  // guards target; held while a reply is posted
  MessageTarget* target = nullptr;

  bool Superseded() {
    std::lock_guard<std::mutex> lock(pendingLock);
    return pending.has_value();
  }
};

RegexChecker::RegexChecker(MessageTarget* target, ComponentCheck check)
    : state_(std::make_shared<State>()) {
  state_->check = check ? std::move(check) : RegexComponentCompiles;
  state_->target = target;
}

RegexChecker::~RegexChecker() { Detach(); }

bool RegexChecker::busy() const {
  std::lock_guard<std::mutex> lock(state_->pendingLock);
  return state_->running;
}

bool RegexChecker::Submit(RegexCheckRequest request) {
  {
    std::lock_guard<std::mutex> lock(state_->pendingLock);
    if (state_->detached) {
      SetLastError(ERROR_INVALID_HANDLE);
      return false;
    }
    state_->pending = std::move(request);
    if (state_->running) return true;
    state_->running = true;
  }
  // The previous worker has taken its last look at the slot and is ending.
  if (worker_.joinable()) worker_.join();
  worker_ = std::thread(Work, state_);
  return true;
}

void RegexChecker::Work(std::shared_ptr<State> state) {
  for (;;) {
    RegexCheckRequest request;
    {
      std::lock_guard<std::mutex> lock(state->pendingLock);
      if (state->stop.load() || !state->pending) {
        state->running = false;
        state->workerEnded.notify_all();
        return;
      }
      request = std::move(*state->pending);
      state->pending.reset();
    }
    bool invalid = false, dropped = false;
    for (const std::wstring& part : SplitSearchString(request.text)) {
      if (state->stop.load() || state->Superseded()) {
        dropped = true;
        break;
      }
      if (!state->check(part, request.flags)) {
        invalid = true;
        break;
      }
    }
    // A newer text is waiting: its answer is the one that counts.
    if (dropped || state->Superseded()) continue;
    std::lock_guard<std::mutex> lock(state->targetLock);
    if (!state->target || state->stop.load()) continue;
    PostedMessage reply;
    reply.id = kRegexCheckReply;
    reply.wParam = request.boxId;
    reply.lParam = invalid ? 1 : 0;
    // A refused reply (the window is closing) is simply not delivered.
    state->target->Post(reply);
  }
}

bool RegexChecker::Detach(uint32_t waitMs) {
  {
    // Waits for a reply being posted; none starts afterwards.
    std::lock_guard<std::mutex> lock(state_->targetLock);
    state_->target = nullptr;
  }
  state_->stop.store(1);
  bool ended;
  {
    std::unique_lock<std::mutex> lock(state_->pendingLock);
    // A worker given up on once is not waited for again.
    const bool again = state_->detached;
    state_->detached = true;
    state_->pending.reset();
    ended = state_->workerEnded.wait_for(lock, std::chrono::milliseconds(again ? 0 : waitMs),
                                         [&] { return !state_->running; });
  }
  if (ended) {
    if (worker_.joinable()) worker_.join();
    return true;
  }
  // Still compiling: it holds the shared state itself, finds the stop flag
  // and the target gone, and ends without touching anything of ours.
  if (worker_.joinable()) worker_.detach();
  SetLastError(ERROR_TIMEOUT);
  return false;
}

}  // namespace tarnix
