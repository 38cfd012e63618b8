#pragma once
// Matches message texts against the search word of an error message
// search: plain mode is one wildcard pattern (PlainMatch: "*", "?", whole
// words), regex mode the "||" components compiled with the grammar, any of
// which may be found anywhere in the text.
#include <cstdint>
#include <string>
#include <string_view>

#include "symbolsearch/plain_match.h"
#include "symbolsearch/search_string.h"

namespace tarnix {

class MessageMatcher {
 public:
  enum Result { kNoMatch = 0, kMatch = 1, kError = -1 };

  // Prepares the word. In regex mode every component is compiled; a failure
  // is recorded (failedComponent, regexErrorCode, regexErrorText) and
  // leaves no compiled component.
  void Prepare(std::wstring_view word, bool regex, bool caseSensitive, bool wholeWords,
               uint32_t grammar);

  // False for an empty plain word, or a regex without a compiled component
  // or with a recorded compile error.
  bool Usable() const;

  // kError leaves the description in `error`: "Regex: \"%s\", (%d) %s" or
  // "Search: Pattern=\"%s\", in=\"%s\". Error: (%s) %s".
  Result Match(std::wstring_view text, std::wstring& error) const;

  // Whether matching can fail on a short text such as a code's text form.
  // The plain matcher cannot fail; a regular expression can run out of its
  // work bound, on a short text only with deeply nested lookaheads.
  bool MatchCanFail() const;

  bool regex() const { return regex_; }
  bool caseSensitive() const { return caseSensitive_; }
  bool wholeWords() const { return wholeWords_; }
  uint32_t plainFlags() const { return plainFlags_; }
  const std::wstring& word() const { return word_; }
  size_t componentCount() const { return components_.size(); }
  const std::wstring& failedComponent() const { return failedComponent_; }
  int failedComponentIndex() const { return failedIndex_; }  // 0-based; -1 none
  int regexErrorCode() const { return regexErrorCode_; }
  const std::wstring& regexErrorText() const { return regexErrorText_; }

 private:
  bool regex_ = false;
  bool caseSensitive_ = false;
  bool wholeWords_ = false;
  uint32_t plainFlags_ = 0;
  std::wstring word_;
  PlainPattern plain_;
  SearchStringComponents components_;
  std::wstring failedComponent_;
  int failedIndex_ = -1;
  int regexErrorCode_ = -1;
  std::wstring regexErrorText_;
};

}  // namespace tarnix
