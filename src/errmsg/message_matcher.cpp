#include "errmsg/message_matcher.h"

#include "core/error_text.h"
#include "core/wformat.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "symbolsearch/plain_match.h"

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
  regexErrorCode_ = -1;
  regexErrorText_.clear();
  if (!regex) return;
  const std::vector<std::wstring> parts = SplitSearchString(word_);
  RegexCompileError error;
  if (!CompileSearchString(parts, grammar, caseSensitive, components_, error)) {
    failedComponent_ = parts[static_cast<size_t>(error.component)];
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
    const int r = PlainMatch(plainFlags_, text, word_);
    if (r >= 0) return r ? kMatch : kNoMatch;
    error = WFormat(L"Search: Pattern=\"%ls\", in=\"%ls\". Error: %ls", word_.c_str(),
                    std::wstring(text).c_str(), ErrorText(GetLastError()).c_str());
    return kError;
  }
  for (const SearchStringComponent& c : components_) {
    try {
      if (std::regex_search(text.begin(), text.end(), c.regex)) return kMatch;
    } catch (const std::regex_error& e) {
      error = WFormat(L"Regex: \"%ls\", (%d) %ls", c.source.c_str(), static_cast<int>(e.code()),
                      FromUtf8(e.what()).c_str());
      return kError;
    }
  }
  return kNoMatch;
}

bool MessageMatcher::MatchCanFail() const {
  if (!regex_) return false;
#if defined(__GLIBCXX__)
  return false;
#else
  return true;
#endif
}

}  // namespace tarnix
