#pragma once
// What a window hands to the error code search, what the search posts back,
// and the record of one hit.
#include <cstdint>
#include <string>
#include <vector>

#include "core/parse_error_code.h"
#include "core/stop_flag.h"
#include "errcode/search_location.h"
#include "platform/languages.h"
#include "platform/message_target.h"

namespace tarnix {

// Messages posted to the window (wParam, lParam, payload):
enum ErrorCodeSearchMessage : uint32_t {
  kEcsMsgStatusLine = 32873,       // 1, 0, std::wstring: an error or notice
  kEcsMsgSearchFinished = 32874,   // 1 completed, 0 aborted or failed
  kEcsMsgProgress = 32875,         // low and high 32 bits of the files examined
  kEcsMsgCurrentPath = 32878,      // 0, 0, std::wstring: the file being examined
  kEcsMsgCountingFinished = 32879, // 1 when the total is valid, 0 otherwise
  kEcsMsgResult = 32880,           // 0, 0, std::vector<ErrorCodeSearchResult>, in the order found
};

// One hit: the code, how it was typed, the message as the formatter
// returned it (line breaks included) and the module's full path.
struct ErrorCodeSearchResult {
  uint32_t code = 0;
  ErrorCodeKind kind = ErrorCodeKind::Decimal;
  std::wstring message;
  std::wstring path;
  // The text is the system's: the module has no message of its own for
  // the code (the formatter falls back to the system's tables).
  bool systemText = false;
};

struct ErrorCodeSearchRequest {
  StopFlag* stop = nullptr;         // the window's stop state (0 run, 1 pause, 2 stop)
  MessageTarget* window = nullptr;  // receives every message above
  uint32_t code = 0;
  ErrorCodeKind kind = ErrorCodeKind::Decimal;
  std::vector<SearchLocation> locations;     // at least one
  std::vector<std::wstring> fileExtensions;  // empty: every file
  // The language asked of the formatter; 0x400 follows the platform's order.
  uint16_t language = kLangUserDefault;
  // Threads looking the code up ("SrchReadThreads"); 0: the default.
  uint32_t readers = 0;
};

// The request as the event log describes it when a start fails:
// "pStop=0x%p (val=%d), hWnd=0x%p, srchErrCode=%u (type:%d), paths[%Iu]={%s},
// fileExts[%Iu]={%s}", each location as "path=\"%s\", flags=0x%X, order=%d".
std::wstring DescribeErrorCodeSearchRequest(const ErrorCodeSearchRequest& request);

}  // namespace tarnix
