#pragma once
// The texts of the Error Message Search window outside the worker's lines:
// the summary line that opens the results, the separator, the finish line,
// and the progress label; and the transcript that puts them in order.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "errmsg/message_search_params.h"

namespace tarnix {

// A result line: "%s\t= %s" with ErrorCodeToText of the code and the
// message text.
std::wstring MessageResultLine(uint32_t code, const std::wstring& text);
// The code of a result line made by MessageResultLine; false for every other
// line (range headers, empty lines, "ERROR: " lines).
bool MessageResultLineCode(std::wstring_view line, uint32_t& code);

// 38 dashes.
inline constexpr const wchar_t* kResultsSeparator = L"--------------------------------------";

// "SearchWord: \"%s\", Range: {%s}, Regex: %s, CaseSensitive: %s%s,
// Language: %s"; the whole-words part only in plain mode.
std::wstring MessageSearchSummaryLine(const MessageSearchParams& p);

// "Search finished, found %Iu match(es) in %s." or "Search was aborted...".
std::wstring MessageSearchFinishLine(bool completed, uint64_t matches, int64_t elapsedMs);

// "%.03f%%    %s": the percentage, then the display name of the code's
// facility when `code` is not 0 (empty when the facility is not in the
// table), else "Win32 Errors".
std::wstring MessageSearchProgressLabel(uint64_t code, float percent);
// The label of a posted kMsgErrMsgLabel message.
std::wstring MessageSearchProgressLabel(const PostedMessage& msg);

// The lines the results window holds for one search, in order: the summary
// and the separator, the worker's lines, the separator unless the last line
// already is one, and the finish line.
class MessageSearchTranscript {
 public:
  using Sink = std::function<void(const std::wstring& line)>;
  explicit MessageSearchTranscript(Sink sink) : sink_(std::move(sink)) {}

  void Begin(const MessageSearchParams& p);
  void Line(const std::wstring& line);
  void Finish(bool completed, uint64_t matches, int64_t elapsedMs);

 private:
  void Write(const std::wstring& line);

  Sink sink_;
  bool separatorLast_ = false;
};

}  // namespace tarnix
