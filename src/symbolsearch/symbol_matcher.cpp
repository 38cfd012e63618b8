#include "symbolsearch/symbol_matcher.h"

#include <iterator>
#include <new>
#include <stdexcept>
#include <utility>

#include "core/error_text.h"
#include "core/text_format.h"
#include "core/wformat.h"
#include "pe/look_in.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"
#include "undname/undecorate.h"

namespace tarnix {
namespace {

// Converts an 8-bit name with the ANSI code page into `out`. Every byte of
// Windows-1252 has a character, so only running out of memory can fail.
bool ConvertName(std::string_view name, std::wstring& out) {
  try {
    out.clear();
    AppendCp1252(out, name);
    return true;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return false;
}

// Long names are shown by their start in status lines.
constexpr size_t kShownNameLength = 64;

}  // namespace

SymbolMatcher::SymbolMatcher(const SearchString& search, const SymbolMatchOptions& options,
                             UndecorateFn undecorate, ResultSink& results, StatusOutput& status,
                             SearchProgress& progress)
    : search_(search), options_(options), undecorate_(std::move(undecorate)),
      results_(results), status_(status), progress_(progress) {}

SymbolMatcher::SymbolMatcher(const SearchString& search, const SymbolMatchOptions& options,
                             ResultSink& results, StatusOutput& status, SearchProgress& progress)
    : SymbolMatcher(search, options, UndecorateLocked, results, status, progress) {}

void SymbolMatcher::BeginImage(uint64_t symbolCount) { progress_.BeginImage(symbolCount); }

void SymbolMatcher::SkipSymbols(uint64_t count) { progress_.SymbolsVisited(count); }

void SymbolMatcher::Status(const std::wstring& line) { status_.Status(line); }

void SymbolMatcher::Warning(const std::wstring& line) { status_.Warning(line); }

int SymbolMatcher::MatchNamed(const ImageProperties& props, ResultKind plainKind,
                              std::string_view name, std::string_view module, uint32_t ordinal,
                              int32_t nameIndexOrHint) {
  progress_.SymbolsVisited(1);
  if (progress_.CheckStop()) return -1;

  const uint32_t language = options_.lookIn & kLookInLanguages;
  const bool decorated = !name.empty() && name.front() == '?';
  bool tryUndecorated = options_.undecorate;
  if (language == kLookInCOnly) tryUndecorated = false;
  else if (language != 0) tryUndecorated = true;

  if (tryUndecorated && decorated && undecorate_ && UndecoratedMatches(name)) {
    return Deliver(static_cast<ResultKind>(plainKind + 1), name, module, ordinal, nameIndexOrHint,
                   props);
  }
  // C++ only: plain names and decorated names whose undecorated text did
  // not match are never matched as stored. C only and both: a decorated
  // name is matched only through its undecorated text.
  if (language == kLookInCppOnly) return 0;
  if (language != 0 && decorated) return 0;

  if (MatchText(name) != 1) return 0;
  return Deliver(plainKind, name, module, ordinal, nameIndexOrHint, props);
}

int SymbolMatcher::MatchOrdinal(const ImageProperties& props, uint64_t ordinal, ResultKind kind,
                                std::string_view module, int32_t nameIndex) {
  progress_.SymbolsVisited(1);
  // "#" and the decimal ordinal, built in place without allocating.
  wchar_t buffer[24];
  wchar_t* first = std::end(buffer);
  uint64_t rest = ordinal;
  do {
    *--first = static_cast<wchar_t>(L'0' + rest % 10);
    rest /= 10;
  } while (rest != 0);
  *--first = L'#';
  const std::wstring_view text(first, static_cast<size_t>(std::end(buffer) - first));
  const std::wstring_view digits = text.substr(1);

  // The digits alone first, then (after a stop check) with the "#".
  int matched = MatchWide(digits);
  if (matched != 1) {
    if (progress_.CheckStop()) return -1;
    matched = MatchWide(text);
  }
  if (matched != 1) return 0;
  if (!ConvertName(module, module_)) {
    Status(WFormat(L"CRITICAL ERROR: Failed to convert string: %ls",
                   ErrorText(GetLastError()).c_str()));
    return -1;
  }
  return DeliverWide(kind, text, module_, static_cast<uint32_t>(ordinal), nameIndex, props);
}

int SymbolMatcher::MatchModule(const ImageProperties& props, ResultKind kind,
                               std::string_view module) {
  progress_.SymbolsVisited(1);
  if (progress_.CheckStop()) return -1;
  if (MatchText(module) != 1) return 0;
  return Deliver(kind, {}, module, 0, -1, props);
}

bool SymbolMatcher::DeliverImage(const ImageProperties& props) {
  image_ = nullptr;  // a ROM image comes complete and is never attached
  return DeliverWide(kKindImage, {}, {}, 0, -1, props) == 1;
}

std::wstring FailedToSendResultLine(uint32_t error) {
  return WFormat(L"CRITICAL ERROR: Failed to send result: %ls", ErrorText(error).c_str());
}

bool SymbolMatcher::UndecoratedMatches(std::string_view name) {
  if (const std::optional<bool> known = verdicts_->Find(name)) return *known;
  // A name the undecorator rejects is treated as not undecorated. Two
  // readers meeting a new name at once may both undecorate it; both keep
  // the same answer.
  const std::optional<std::string> text = undecorate_(name, options_.undecorationFlags);
  matchFailed_ = false;
  const bool matched = text && MatchText(*text) == 1;
  // A failed match is reported each time it happens, so it is not kept.
  if (!matchFailed_) verdicts_->Keep(name, matched);
  return matched;
}

int SymbolMatcher::MatchText(std::string_view text) {
  // A plain search string matches the 8-bit name as it stands.
  if (const int answer = search_.MatchCp1252(text); answer >= 0) return answer;
  if (!ConvertName(text, text_)) {
    const std::wstring error = WFormat(L"Failed to convert string for match: %ls",
                                       ErrorText(GetLastError()).c_str());
    Status(WFormat(L"ERROR: Failed to perform a match: \"%ls\". %ls", file_.c_str(),
                   error.c_str()));
    matchFailed_ = true;
    return 0;
  }
  return MatchWide(text_);
}

int SymbolMatcher::MatchWide(std::wstring_view text) {
  std::wstring error;
  const int r = search_.Match(text, error);
  if (r >= 0) return r;
  matchFailed_ = true;
  if (r == kMatchUndecided) {
    if (!undecidedReported_) {
      undecidedReported_ = true;
      Warning(WFormat(L"Warning: Searching file: \"%ls\". %ls. Name: \"%ls\" (%zu characters). "
                      L"Such names of this file count as not matched.",
                      file_.c_str(), error.c_str(), ShortenText(text, kShownNameLength).c_str(), text.size()));
    }
    return 0;
  }
  Status(WFormat(L"ERROR: Failed to perform a match: \"%ls\". %ls", file_.c_str(),
                 error.c_str()));
  return 0;
}

int SymbolMatcher::Deliver(ResultKind kind, std::string_view name, std::string_view module,
                           uint32_t ordinal, int32_t nameIndexOrHint,
                           const ImageProperties& props) {
  if (!ConvertName(name, name_) || !ConvertName(module, module_)) {
    Status(WFormat(L"CRITICAL ERROR: Failed to convert string: %ls",
                   ErrorText(GetLastError()).c_str()));
    return -1;
  }
  return DeliverWide(kind, name_, module_, ordinal, nameIndexOrHint, props);
}

int SymbolMatcher::DeliverWide(ResultKind kind, std::wstring_view name, std::wstring_view module,
                               uint32_t ordinal, int32_t nameIndexOrHint,
                               const ImageProperties& props) {
  if (image_) {
    image_->EnsureAll();
    image_ = nullptr;
  }
  switch (results_.Deliver(kind, name, module, ordinal, nameIndexOrHint, props)) {
    case Delivery::kDelivered:
      return 1;
    case Delivery::kStopped:
      return -1;
    case Delivery::kFailed:
      break;
  }
  const uint32_t code = GetLastError();
  Status(FailedToSendResultLine(code));
  SetLastError(code);
  return -1;
}

}  // namespace tarnix
