#pragma once
// The background check of a search box's regular expressions: the text is
// split into its "||" components and each is compiled as the search would
// compile it; the answer is posted to the box's window as the message
// kRegexCheckReply (wParam the box id, lParam 1 when some component did
// not compile, 0 when all did).
//
// One checker has at most one worker thread. Requests wait in one pending
// slot: a request made while the worker is busy replaces the one waiting,
// and an answer that a newer request has made stale is not posted. Detach
// stops the worker; a worker that outlives the wait keeps the checker's
// shared state alive by itself and never posts or touches a request again.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace tarnix {

class MessageTarget;

// WM_APP + 0x65.
inline constexpr uint32_t kRegexCheckReply = 0x8065;

// The syntax options of a check: the grammar bits, nosubs and optimize of
// the "reGrammar" value (mask 0x63F), and icase unless case-sensitive.
uint32_t RegexCheckFlags(uint32_t grammar, bool caseSensitive);

// True when one component compiles with `flags` (as the search compiles it).
bool RegexComponentCompiles(const std::wstring& component, uint32_t flags);

struct RegexCheckRequest {
  std::wstring text;
  uint32_t flags = 0x601;
  uint64_t boxId = 0;
};

class RegexChecker {
 public:
  // Compiles one component; tests put a slow one in.
  using ComponentCheck = std::function<bool(const std::wstring& component, uint32_t flags)>;

  // Replies go to `target`, which must stay valid until Detach returns.
  explicit RegexChecker(MessageTarget* target, ComponentCheck check = RegexComponentCompiles);
  ~RegexChecker();  // detaches
  RegexChecker(const RegexChecker&) = delete;
  RegexChecker& operator=(const RegexChecker&) = delete;

  // Hands `request` to the worker, starting one when none runs. False
  // after Detach (ERROR_INVALID_HANDLE).
  bool Submit(RegexCheckRequest request);

  // Stops the worker and waits up to `waitMs` for it to end. Whatever
  // happens, no reply is posted once this returns. False with ERROR_TIMEOUT
  // when the worker was still compiling; it then ends on its own, and a
  // later Detach does not wait for it again.
  bool Detach(uint32_t waitMs = 3000);

  // A worker thread is running.
  bool busy() const;

 private:
  struct State;
  static void Work(std::shared_ptr<State> state);

  std::shared_ptr<State> state_;
  std::thread worker_;
};

}  // namespace tarnix
