#include "errmsg/message_search_lines.h"

#include <bit>

#include "core/error_text.h"
#include "core/parse_error_code.h"
#include "core/text_format.h"
#include "core/wformat.h"
#include "errmsg/facility_table.h"
#include "errmsg/message_languages.h"

namespace tarnix {

namespace {
constexpr std::wstring_view kResultSeparator = L"\t= ";
}  // namespace

std::wstring MessageResultLine(uint32_t code, const std::wstring& text) {
  std::wstring line = ErrorCodeToText(code);
  line.append(kResultSeparator);
  line.append(text);
  return line;
}

bool MessageResultLineCode(std::wstring_view line, uint32_t& code) {
  const size_t end = line.find(kResultSeparator);
  if (end == std::wstring_view::npos || end == 0) return false;
  const std::wstring_view text = line.substr(0, end);
  ErrorCodeKind kind;
  // Only the exact text ErrorCodeToText writes: a header never passes.
  return ParseErrorCode(text, code, kind) && ErrorCodeToText(code) == text;
}

std::wstring MessageSearchSummaryLine(const MessageSearchParams& p) {
  const std::wstring words =
      p.regex ? std::wstring() : WFormat(L", WholeWords: %ls", p.wholeWords ? L"Yes" : L"No");
  return WFormat(L"SearchWord: \"%ls\", Range: {%ls}, Regex: %ls, CaseSensitive: %ls%ls, "
                 L"Language: %ls",
                 p.word.c_str(), RangeListToText(p.ranges).c_str(), p.regex ? L"Yes" : L"No",
                 p.caseSensitive ? L"Yes" : L"No", words.c_str(),
                 MessageLanguageDisplayName(p.language).c_str());
}

std::wstring MessageSearchFinishLine(bool completed, uint64_t matches, int64_t elapsedMs) {
  if (!completed) return L"Search was aborted...";
  return WFormat(L"Search finished, found %llu match(es) in %ls.",
                 static_cast<unsigned long long>(matches), FormatDuration(elapsedMs).c_str());
}

std::wstring MessageSearchProgressLabel(uint64_t code, float percent) {
  const wchar_t* name = L"Win32 Errors";
  if (code != 0) {
    const Facility* f = FindFacility(CodeFacility(static_cast<uint32_t>(code)));
    name = f ? f->displayName : L"";
  }
  return WFormat(L"%.03f%%    %ls", static_cast<double>(percent), name);
}

std::wstring MessageSearchProgressLabel(const PostedMessage& msg) {
  return MessageSearchProgressLabel(
      msg.wParam, std::bit_cast<float>(static_cast<uint32_t>(msg.lParam)));
}

void MessageSearchTranscript::Write(const std::wstring& line) {
  separatorLast_ = line == kResultsSeparator;
  sink_(line);
}

void MessageSearchTranscript::Begin(const MessageSearchParams& p) {
  Write(MessageSearchSummaryLine(p));
  Write(kResultsSeparator);
}

void MessageSearchTranscript::Line(const std::wstring& line) { Write(line); }

void MessageSearchTranscript::Finish(bool completed, uint64_t matches, int64_t elapsedMs) {
  if (!separatorLast_) Write(kResultsSeparator);
  Write(MessageSearchFinishLine(completed, matches, elapsedMs));
}

}  // namespace tarnix
