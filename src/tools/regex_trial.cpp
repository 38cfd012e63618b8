#include "tools/regex_trial.h"

#include <chrono>

#include "core/text_format.h"
#include "core/wformat.h"
#include "symbolsearch/search_string.h"

namespace tarnix {

std::vector<std::wstring> RegexTrialLines(std::wstring_view text) {
  std::vector<std::wstring> lines(1);
  for (wchar_t c : text) {
    if (c == L'\r') continue;
    if (c == L'\n')
      lines.emplace_back();
    else
      lines.back() += c;
  }
  return lines;
}

RegexTrialResult EvaluateRegexTrial(const RegexTrialRequest& request, const std::atomic<bool>* stop) {
  RegexTrialResult r;
  const std::vector<std::wstring> lines = RegexTrialLines(request.text);
  r.states.assign(lines.size(), kLineNotEvaluated);
  const auto start = std::chrono::steady_clock::now();
  const std::vector<std::wstring> parts = SplitSearchString(request.expression);
  r.components = static_cast<int>(parts.size());
  SearchStringComponents compiled;
  RegexCompileError failure;
  const uint32_t grammar = request.grammar ? request.grammar : 1;
  if (parts.empty()) {
    r.states.assign(lines.size(), kLineMatch);
  } else if (!CompileSearchString(parts, grammar, request.caseSensitive, compiled, failure)) {
    r.failedComponent = failure.component;
    r.compileError = failure.text;
  } else {
    for (const SearchStringComponent& c : compiled) {
      for (size_t i = 0; i < lines.size(); ++i) {
        int& state = r.states[i];
        // A line matched before is not searched again; one left undecided
        // may still be matched by a later component.
        if (state == kLineMatch) continue;
        if (stop && stop->load(std::memory_order_relaxed)) {
          r.stopped = true;
          break;
        }
        const RegexAnswer a = c.regex.Search(lines[i], request.workBound);
        if (a == kRegexMatch)
          state = kLineMatch;
        else if (a == kRegexUndecided)
          state = kLineUndecided;
        else if (state != kLineUndecided)
          state = kLineNoMatch;
      }
      if (r.stopped) break;
    }
  }
  r.elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  for (int s : r.states) r.undecided += s == kLineUndecided;
  return r;
}

std::wstring RegexTrialResultsText(const RegexTrialResult& result) {
  std::wstring text;
  for (size_t i = 0; i < result.states.size(); ++i) {
    if (i) text += L"\r\n";
    if (result.failedComponent >= 0) {
      text += L'?';
      continue;
    }
    switch (result.states[i]) {
      case kLineMatch: text += L"Match"; break;
      case kLineNoMatch: text += L"No Match"; break;
      case kLineUndecided: text += L"Undecided"; break;
      default: text += L'?';
    }
  }
  return text;
}

std::wstring RegexTrialStatusText(const RegexTrialResult& result, bool& isError) {
  isError = result.failedComponent >= 0;
  if (isError)
    return WFormat(L"Error: [Component %d] %ls", result.failedComponent + 1, result.compileError.c_str());
  std::wstring s = WFormat(L"Evaluated regex within %ls as %d component(s).", FormatDuration(result.elapsedMs).c_str(),
                           result.components);
  if (result.undecided)
    s += WFormat(L" %zu line(s) undecided: %ls.", result.undecided, RegexUndecidedText());
  return s;
}

RegexTrialRunner::RegexTrialRunner(Deliver deliver) : deliver_(std::move(deliver)) {
  worker_ = std::thread([this] { Work(); });
}

RegexTrialRunner::~RegexTrialRunner() {
  {
    std::lock_guard<std::mutex> l(lock_);
    quit_ = true;
    pending_.reset();
  }
  stop_.store(true);
  wake_.notify_all();
  worker_.join();
}

uint64_t RegexTrialRunner::Submit(RegexTrialRequest request) {
  uint64_t ticket;
  {
    std::lock_guard<std::mutex> l(lock_);
    pending_ = std::move(request);
    ticket = ++tickets_;
    stop_.store(true);
  }
  wake_.notify_all();
  return ticket;
}

void RegexTrialRunner::Work() {
  for (;;) {
    RegexTrialRequest request;
    uint64_t ticket;
    {
      std::unique_lock<std::mutex> l(lock_);
      wake_.wait(l, [this] { return quit_ || pending_.has_value(); });
      if (quit_) return;
      request = std::move(*pending_);
      pending_.reset();
      ticket = tickets_;
      stop_.store(false);
    }
    RegexTrialResult result = EvaluateRegexTrial(request, &stop_);
    {
      std::lock_guard<std::mutex> l(lock_);
      // A newer request is waiting (or came while this one ran): its result
      // is the one that counts.
      if (quit_ || result.stopped || ticket != tickets_) continue;
    }
    deliver_(ticket, std::move(result));
  }
}

}  // namespace tarnix
