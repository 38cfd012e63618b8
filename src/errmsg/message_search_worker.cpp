#include "errmsg/message_search_worker.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <bit>
#include <mutex>
#include <optional>
#include <thread>

#include "core/error_text.h"
#include "core/event_log.h"
#include "core/message_poster.h"
#include "core/wformat.h"
#include "errmsg/facility_table.h"
#include "errmsg/message_code_index.h"
#include "errmsg/message_languages.h"
#include "errmsg/message_matcher.h"
#include "errmsg/message_search_lines.h"
#include "errmsg/range_module.h"
#include "pe/message_module.h"
#include "platform/char_class.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/time_utils.h"
#include "platform/win_errors.h"
#include "platform/windows_root.h"

namespace tarnix {

namespace {

constexpr uint64_t kProgressIntervalMs = 100;
constexpr uint32_t kProgressMax = 9999;
// Results lines go in batches of everything found since the last post; a
// batch this large is posted at once, so a receiver that falls behind
// bounds what the worker holds.
constexpr size_t kMaxLinesPerBatch = 4096;

bool IsHresultRange(const ErrorRange& r) { return RangeCodeKind(r) == kRangeCodeHresult; }

// Carriage returns dropped, line feeds turned into blanks: the form of a
// message in a result line.
std::wstring LineText(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    if (c == L'\r') continue;
    out += c == L'\n' ? L' ' : c;
  }
  return out;
}

// Carriage returns and line feeds turned into blanks: the form that is matched.
std::wstring MatchText(const std::wstring& text) {
  std::wstring out = text;
  for (wchar_t& c : out)
    if (c == L'\r' || c == L'\n') c = L' ';
  return out;
}

bool HasSeparator(const std::wstring& name) {
  return name.find_first_of(L"\\/") != std::wstring::npos;
}

// One run of the worker: the parameters, the matcher, the posting state and
// the progress throttle.
class SearchRun {
 public:
  explicit SearchRun(const MessageSearchParams& p)
      : p_(p),
        poster_(p.target, *p.stop),
        lines_(poster_, kMsgErrMsgLines, kMaxLinesPerBatch),
        language_(static_cast<uint16_t>(p.language)) {}

  bool Run();
  // Posts the lines still held (the search has ended or stopped).
  void FlushLines() { lines_.Flush(); }

 private:
  int PostLine(std::wstring text);
  int PostResultLine(size_t rangeIndex, std::wstring line);
  bool CheckProgress(uint64_t index, uint32_t code);
  // Loads the module of every range; false when stopped while posting.
  bool LoadModules();
  // Handles one code; false when the search must stop.
  bool HandleCode(size_t rangeIndex, uint32_t code);
  bool Report(size_t rangeIndex, std::wstring line, int site);
  bool Format(size_t rangeIndex, uint32_t code, std::wstring& text) const {
    return FormatModuleOrSystemMessage(modules_[rangeIndex].get(), code, language_, text);
  }
  bool SearchEveryCode(size_t rangeIndex, uint64_t& index);
  bool SearchTableCodes(size_t rangeIndex, const std::vector<uint32_t>& codes, uint64_t& index);
  uint32_t ProgressCode(size_t rangeIndex, uint32_t code) const {
    return IsHresultRange(p_.ranges[rangeIndex]) ? code : 0;
  }

  const MessageSearchParams& p_;
  MessagePoster poster_;
  BatchPoster<std::wstring> lines_;
  const uint16_t language_;
  MessageMatcher matcher_;
  std::vector<std::unique_ptr<MessageModule>> modules_;
  uint64_t total_ = 0;
  std::optional<size_t> lastRange_;
  uint64_t lastProgressTick_ = 0;
  uint32_t lastProgressValue_ = 0;
  int32_t labelCountdown_ = 0;
};

int SearchRun::PostLine(std::wstring text) {
  switch (lines_.Add(std::move(text))) {
    case MessagePoster::kDelivered: return 1;
    case MessagePoster::kStopped: return 0;
    case MessagePoster::kFailed: break;
  }
  return -1;
}

int SearchRun::PostResultLine(size_t rangeIndex, std::wstring line) {
  if (lastRange_ != rangeIndex) {
    const ErrorRange& r = p_.ranges[rangeIndex];
    if (lastRange_) {
      if (int posted = PostLine(L""); posted != 1) return posted;
    }
    std::wstring header = L"Code\t";
    if (IsHresultRange(r)) header += L"\t";
    header += RangeDisplayName(r);
    // The facility is named only when the whole range lies in it.
    if (IsHresultRange(r) && CodeFacility(r.codeFrom) == CodeFacility(r.codeTo)) {
      if (const Facility* f = FindFacility(CodeFacility(r.codeFrom))) {
        header += L" [";
        header += f->symbolicName;
        header += L"]";
      }
    }
    if (int posted = PostLine(std::move(header)); posted != 1) return posted;
    if (int posted = PostLine(L""); posted != 1) return posted;
    lastRange_ = rangeIndex;
  }
  return PostLine(std::move(line));
}

bool SearchRun::CheckProgress(uint64_t index, uint32_t code) {
  // What was found shows while the search is paused.
  if (p_.stop->load() == kStopPause && lines_.held()) lines_.Flush();
  if (CheckStop(*p_.stop)) return true;
  lines_.PostIfDue();
  const uint64_t now = TickCount64();
  if (now - lastProgressTick_ < kProgressIntervalMs) return false;
  lastProgressTick_ = now;
  const uint32_t position = total_ ? static_cast<uint32_t>(index * kProgressMax / total_) : 0;
  if (position != lastProgressValue_) {
    PostedMessage msg{kMsgErrMsgProgress, 0, position, nullptr};
    if (poster_.TryPost(msg)) lastProgressValue_ = position;
  }
  if (--labelCountdown_ < 0) {
    labelCountdown_ = 3;
    const float percent = total_ ? static_cast<float>(static_cast<double>(index) * 100.0 /
                                                      static_cast<double>(total_))
                                 : 0.0f;
    PostedMessage msg{kMsgErrMsgLabel, code, std::bit_cast<uint32_t>(percent), nullptr};
    poster_.TryPost(msg);
  }
  return false;
}

bool SearchRun::LoadModules() {
  modules_.clear();
  modules_.resize(p_.ranges.size());
  for (size_t i = 0; i < p_.ranges.size(); ++i) {
    const ErrorRange& r = p_.ranges[i];
    const uint32_t kind = RangeModuleKind(r);
    if (kind != kRangeModuleSystem && kind != kRangeModuleAbsolute) continue;
    std::wstring problem;
    if (kind == kRangeModuleSystem && HasSeparator(r.libraryName)) {
      problem = WFormat(L"ERROR: Module must be specified by system file name only: \"%ls\"",
                        r.libraryName.c_str());
    } else if (kind == kRangeModuleAbsolute && !HasSeparator(r.libraryName)) {
      problem = WFormat(L"ERROR: Module must be specified using absolute path: \"%ls\"",
                        r.libraryName.c_str());
    } else {
      std::filesystem::path file;
      auto module = std::make_unique<MessageModule>();
      if (ResolveRangeModule(r, p_.systemFolder, file) && module->Load(FromUtf8(file.string())))
        modules_[i] = std::move(module);
      else
        problem = WFormat(L"ERROR: Module=\"%ls\": %ls", r.libraryName.c_str(),
                          ErrorText(GetLastError()).c_str());
    }
    if (!problem.empty() && PostLine(std::move(problem)) == 0) return false;
  }
  return true;
}

bool SearchRun::Report(size_t rangeIndex, std::wstring line, int site) {
  const int posted = PostResultLine(rangeIndex, std::move(line));
  if (posted == 0) return false;
  if (posted != 1) EventLog::LogSiteFormat(site, L"r=%d", posted);
  return true;
}

bool SearchRun::HandleCode(size_t rangeIndex, uint32_t code) {
  std::wstring raw, error;
  MessageMatcher::Result result = MessageMatcher::kNoMatch;
  if (Format(rangeIndex, code, raw)) {
    const std::wstring text(TrimWhiteSpace(raw));
    result = matcher_.Match(MatchText(text), error);
    if (result == MessageMatcher::kMatch) {
      if (!Report(rangeIndex, MessageResultLine(code, LineText(text)), 502)) return false;
      std::lock_guard<std::mutex> lock(p_.counters->countersLock);
      ++p_.counters->matches;
      return true;
    }
    if (result == MessageMatcher::kError &&
        !Report(rangeIndex, L"ERROR: " + error, 503))
      return false;
  }
  // No message, no match or a failed match: the code's own text may match.
  result = matcher_.Match(ErrorCodeToText(code), error);
  if (result == MessageMatcher::kMatch) {
    if (!Format(rangeIndex, code, raw)) return true;
    if (!Report(rangeIndex, MessageResultLine(code, LineText(raw)), 504)) return false;
    std::lock_guard<std::mutex> lock(p_.counters->countersLock);
    ++p_.counters->matches;
  } else if (result == MessageMatcher::kError) {
    if (!Report(rangeIndex, L"ERROR: " + error, 505)) return false;
  }
  return true;
}

bool SearchRun::SearchEveryCode(size_t rangeIndex, uint64_t& index) {
  const ErrorRange& r = p_.ranges[rangeIndex];
  for (uint32_t code = r.codeFrom;; ++code) {
    if (CheckProgress(index, ProgressCode(rangeIndex, code))) return false;
    if (!HandleCode(rangeIndex, code)) return false;
    ++index;
    if (code == r.codeTo) return true;
  }
}

// Visits only `codes` (those that may have a message). A code without a
// message yields nothing: its text form alone can match, and then the
// message is asked for again and still missing; only a failing match could
// show, which the caller rules out. The skipped codes keep their share of
// the index, and the first one of each skipped run gets the check that
// every code would get, so progress, pause and stop behave as on the walk
// over every code.
bool SearchRun::SearchTableCodes(size_t rangeIndex, const std::vector<uint32_t>& codes,
                                 uint64_t& index) {
  const ErrorRange& r = p_.ranges[rangeIndex];
  const uint64_t base = index;
  uint64_t next = 0;  // offset of the first code not yet visited
  const bool completed = ForEachCodeInRange(r, codes, [&](uint32_t code, uint64_t offset) {
    if (offset > next) {
      const uint32_t skipped = r.codeFrom + static_cast<uint32_t>(next);
      if (CheckProgress(base + next, ProgressCode(rangeIndex, skipped))) return false;
    }
    index = base + offset;
    if (CheckProgress(index, ProgressCode(rangeIndex, code))) return false;
    if (!HandleCode(rangeIndex, code)) return false;
    next = offset + 1;
    return true;
  });
  if (!completed) return false;
  const uint64_t count = RangeCodeCount(r);
  if (next < count) {
    const uint32_t skipped = r.codeFrom + static_cast<uint32_t>(next);
    if (CheckProgress(base + next, ProgressCode(rangeIndex, skipped))) return false;
  }
  index = base + count;
  return true;
}

bool SearchRun::Run() {
  total_ = RangeListCodeCount(p_.ranges);
  if (!LoadModules()) return false;
  matcher_.Prepare(p_.word, p_.regex, p_.caseSensitive, p_.wholeWords, p_.grammar);
  if (!matcher_.Usable()) {
    const std::wstring reErr =
        matcher_.regexErrorCode() == -1
            ? std::wstring(L"<null>")
            : WFormat(L"\"%ls\", %ls", matcher_.failedComponent().c_str(),
                      matcher_.regexErrorText().c_str());
    EventLog::LogSiteFormat(
        228,
        L"regex=%d, case=%d, wholeWords=%d, srch=\"%ls\", flgs=0x%x, cntREs=%zu, reErr={%ls}, "
        L"bad={%ls}",
        matcher_.regex(), matcher_.caseSensitive(), matcher_.wholeWords(), p_.word.c_str(),
        matcher_.plainFlags(), matcher_.componentCount(), reErr.c_str(),
        matcher_.failedComponent().c_str());
    return false;
  }

  std::vector<uint32_t> systemCodes;
  const bool tableCodes = p_.lookup == MessageLookup::kTableCodes && !matcher_.MatchCanFail() &&
                          SystemMessageCodes(p_.language, systemCodes);
  uint64_t index = 0;
  for (size_t i = 0; i < p_.ranges.size(); ++i) {
    const ErrorRange& r = p_.ranges[i];
    if (CheckProgress(index, ProgressCode(i, r.codeFrom))) return false;
    const bool done = tableCodes
                          ? SearchTableCodes(i, MergeModuleCodes(systemCodes, modules_[i].get()), index)
                          : SearchEveryCode(i, index);
    if (!done) return false;
  }
  std::lock_guard<std::mutex> lock(p_.counters->countersLock);
  p_.counters->processed = index;
  return true;
}

void LowerPriority() {
  if (setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10) != 0)
    EventLog::LogSite(808);
}

// The search-ended message must arrive even when the queue is full at that
// moment, or the window would wait for ever; a closed target refuses at once.
void PostEnded(MessageTarget* target, bool completed) {
  PostedMessage msg{kMsgErrMsgEnded, completed ? 1u : 0u, 0, nullptr};
  const uint64_t start = TickCount64();
  while (!target->Post(msg)) {
    if (GetLastError() != ERROR_NOT_ENOUGH_QUOTA || TickCount64() - start > 10000) {
      EventLog::LogSiteFormat(220, L"h=0x%p", static_cast<void*>(target));
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

}  // namespace

bool RunMessageSearch(const MessageSearchParams& params) {
  SearchRun run(params);
  const bool completed = run.Run();
  run.FlushLines();
  return completed;
}

std::wstring DescribeMessageSearchParams(const MessageSearchParams& p) {
  return WFormat(
      L"pStop=0x%p (val=%d), hWnd=0x%p, srch:{\"%ls\", regex=%d, case=%d, words=%d}, "
      L"lanID=0x%X [%ls], range={%ls}, reGrmr=\"%ls\"",
      static_cast<void*>(p.stop), p.stop ? static_cast<int>(p.stop->load()) : 0,
      static_cast<void*>(p.target), p.word.c_str(), p.regex, p.caseSensitive, p.wholeWords,
      p.language, MessageLanguageDisplayName(p.language).c_str(),
      RangeListToText(p.ranges).c_str(), RegexGrammarName(p.grammar).c_str());
}

bool MessageSearch::Running() const { return workers_.Running(); }

bool MessageSearch::Wait(std::chrono::milliseconds timeout) { return workers_.Wait(timeout); }

bool StartMessageSearch(MessageSearch& search, const MessageSearchParams& params) {
  if (search.Running()) {
    EventLog::LogSite(211);
    SetLastError(ERROR_ALREADY_ASSIGNED);
    return false;
  }
  search.workers_.Join();
  if (!params.stop || !params.target || !params.counters || params.word.empty() ||
      !(params.grammar & kGrammarBits) || params.ranges.empty()) {
    EventLog::LogSiteFormat(215, L"%ls", DescribeMessageSearchParams(params).c_str());
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  params.stop->store(kStopRun);
  {
    std::lock_guard<std::mutex> lock(params.counters->countersLock);
    params.counters->matches = 0;
    params.counters->processed = 0;
  }
  std::vector<WorkerJob> job;
  job.emplace_back([copy = std::make_unique<MessageSearchParams>(params)] {
    LowerPriority();
    const bool completed = RunMessageSearch(*copy);
    PostEnded(copy->target, completed);
  });
  if (!search.workers_.Start(std::move(job))) {
    LastErrorKeeper keep;
    EventLog::LogSite(213);
    return false;
  }
  return true;
}

}  // namespace tarnix
