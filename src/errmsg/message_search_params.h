#pragma once
// One error message search as its window starts it: the search word and its
// options, the language, the ranges, and where the worker reports (the
// stop flag, the message target, the counters), plus the messages it posts.
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "core/stop_flag.h"
#include "errmsg/error_range.h"
#include "platform/message_target.h"
#include "symbolsearch/regex_grammar.h"
#include "symbolsearch/search_worker.h"

namespace tarnix {

enum MessageSearchMessage : uint32_t {
  kMsgErrMsgLines = 0x8069,     // wParam 0, payload std::vector<std::wstring>: results lines in order
  kMsgErrMsgEnded = 0x806A,     // wParam 1 ran to its end, 0 stopped or failed
  kMsgErrMsgProgress = 0x806B,  // wParam 0, lParam the position 0..9999
  kMsgErrMsgLabel = 0x806E,     // wParam the code (HRESULT ranges) or 0, lParam a float %
};

// How the worker finds the codes to ask for.
enum class MessageLookup {
  // Only the codes the message tables hold (and the module's), the others
  // skipped as a block; index, progress, pause and stop as if each were
  // visited. Falls back to kEveryCode when a table cannot be listed.
  kTableCodes,
  // Every code of every range asked for in turn.
  kEveryCode,
};

// Shared by the window and the worker: the worker adds matches and stores
// the processed count under countersLock.
struct MessageSearchCounters {
  std::mutex countersLock;
  uint64_t matches = 0;
  uint64_t processed = 0;  // set once, when the search completes
};

struct MessageSearchParams {
  StopFlag* stop = nullptr;                  // 0 run, 1 pause, 2 stop
  MessageTarget* target = nullptr;           // receiver of every posted message
  MessageSearchCounters* counters = nullptr;
  std::wstring word;  // trimmed, not empty
  bool regex = false;
  bool caseSensitive = false;
  bool wholeWords = false;  // plain mode only
  uint32_t language = 0x400;
  std::vector<ErrorRange> ranges;  // at least one
  uint32_t grammar = kGrammarECMAScript;
  // The system folder that module kind 1 names are looked up in.
  std::filesystem::path systemFolder;
  MessageLookup lookup = MessageLookup::kTableCodes;
};

}  // namespace tarnix
