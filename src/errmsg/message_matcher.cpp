#include "errmsg/message_matcher.h"

#include "core/error_text.h"
#include "core/wformat.h"
#include "platform/last_error.h"

namespace tarnix {

void MessageMatcher::Prepare(std::wstring_view word, bool regex, bool caseSensitive,
                             bool wholeWords, uint32_t grammar) {
  regex_ = regex;
  caseSensitive_ = caseSensitive;
  wholeWords_ = wholeWords;
  plainFlags_ = (caseSensitive ? kPlainCaseSensitive : 0) |
                (wholeWords && !regex ? kPlainWholeWords : 0);
  word_ = std::wstring(word);
  components_.clear();
  failedComponent_.clear();
  failedIndex_ = -1;
  regexErrorCode_ = -1;
  regexErrorText_.clear();
  plain_.Prepare(plainFlags_, regex ? std::wstring_view() : std::wstring_view(word_));
  if (!regex) return;
  const std::vector<std::wstring> parts = SplitSearchString(word_);
  RegexCompileError error;
  if (!CompileSearchString(parts, grammar, caseSensitive, components_, error)) {
    failedComponent_ = parts[static_cast<size_t>(error.component)];
    failedIndex_ = error.component;
    regexErrorCode_ = error.code;
    regexErrorText_ = error.text;
  }
}

bool MessageMatcher::Usable() const {
  if (!regex_) return !word_.empty();
  return !components_.empty() && regexErrorCode_ == -1;
}

MessageMatcher::Result MessageMatcher::Match(std::wstring_view text, std::wstring& error) const {
  if (!regex_) {
    const int r = text.empty() ? (word_.empty() ? 1 : 0) : plain_.Match(text);
    if (r >= 0) return r ? kMatch : kNoMatch;
    error = WFormat(L"Search: Pattern=\"%ls\", in=\"%ls\". Error: %ls", word_.c_str(),
                    std::wstring(text).c_str(), ErrorText(GetLastError()).c_str());
    return kError;
  }
  // A text that a component cannot decide within the engine's work bound
  // is a regular-expression failure of the match, unless a later component
  // finds the text.
  const SearchStringComponent* undecided = nullptr;
  for (const SearchStringComponent& c : components_) {
    const RegexAnswer r = c.regex.Search(text);
    if (r == kRegexMatch) return kMatch;
    if (r == kRegexUndecided && !undecided) undecided = &c;
  }
  if (!undecided) return kNoMatch;
  error = RegexUndecidedError(undecided->source);
  return kError;
}

bool MessageMatcher::MatchCanFail() const {
  if (!regex_) return false;
  // A code's text form ("0x%08X") is short; only deeply nested lookaheads
  // could take the engine past its bound on it.
  constexpr size_t kCodeTextLength = 16;
  for (const SearchStringComponent& c : components_)
    if (!c.regex.AlwaysDecides(kCodeTextLength)) return true;
  return false;
}

}  // namespace tarnix
