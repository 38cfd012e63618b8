#pragma once
// Search strings: the 'File Name' string that selects files and the
// 'Search For' string that selects symbols. A string is trimmed, and in
// regex mode split at "||" into components that are compiled one by one;
// in plain mode it is one wildcard pattern (PlainMatch) in which "||" has
// no special meaning.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "symbolsearch/plain_match.h"
#include "symbolsearch/regex_engine.h"

namespace tarnix {

// The text without the white space (IsWhiteSpace) at both ends.
std::wstring TrimSearchText(std::wstring_view text);

// The regex-mode components of `text`: each "||" ends one; space, tab, line
// feed and carriage return are trimmed off each; empty ones are dropped.
// After a separator the scan goes on two characters later, so "a|||b" gives
// "a" and "|b".
std::vector<std::wstring> SplitSearchString(std::wstring_view text);

struct SearchStringComponent {
  std::wstring source;
  Regex regex;
};
using SearchStringComponents = std::vector<SearchStringComponent>;

// "(%d) %s": the engine's error code and message.
std::wstring RegexErrorText(const RegexError& error);

// "Regex: \"%s\", (%d) %s": a component that could not decide a text.
std::wstring RegexUndecidedError(const std::wstring& component);

// Why a component did not compile.
struct RegexCompileError {
  int component = -1;   // 0-based index of the failing component
  int code = 0;         // the regular-expression error code
  std::wstring text;    // "(%d) %s": code and the engine's message
};

// The answer of SearchString::Match for a text that a regular expression
// could not decide within the engine's work bound; it counts as no match.
inline constexpr int kMatchUndecided = kRegexUndecided;

// Compiles `parts` in order with the grammar (stored value of "reGrammar")
// and icase unless `caseSensitive`. The first failure stops it: answers
// false with `error` filled and `out` empty.
bool CompileSearchString(const std::vector<std::wstring>& parts, uint32_t grammar,
                         bool caseSensitive, SearchStringComponents& out,
                         RegexCompileError& error);

// Splits and compiles `text` once; answers false with the first failure.
bool ValidateSearchString(std::wstring_view text, uint32_t grammar, bool caseSensitive,
                          RegexCompileError& error);

// True when the string selects everything: it is empty and empty strings
// match all, or it is ".*" in regex mode, or "*" in plain mode.
bool DeriveMatchAll(std::wstring_view trimmedText, bool regex, bool emptyMatchesAll);

// Options of one search string as the criteria hold them.
struct SearchStringSpec {
  std::wstring text;  // trimmed
  bool regex = false;
  bool caseSensitive = false;
  bool wholeWords = false;  // plain mode only
  bool matchesAll = false;  // derived when a search starts
};

// One search string ready to match texts.
class SearchString {
 public:
  // Prepares `spec`; in regex mode compiles its components. Answers false
  // with `error` filled when a component does not compile.
  bool Prepare(const SearchStringSpec& spec, uint32_t grammar, bool emptyMatchesAll,
               RegexCompileError& error);

  // 1 = `text` matches, 0 = it does not, kMatchUndecided = no component
  // matched and one could not decide within the engine's work bound
  // (described in `error` as "Regex: ..."; the text counts as not matched).
  // Nothing else fails. Allocates nothing unless it answers kMatchUndecided.
  int Match(std::wstring_view text, std::wstring& error) const;
  // Match() of an 8-bit text in the ANSI code page, answered without
  // converting it where the string allows (plain mode); -1 where it must be
  // converted first (regex mode).
  int MatchCp1252(std::string_view text) const;

  // The steps a component may take on one text (Regex::kDefaultWorkBound
  // unless changed; tests lower it).
  void SetWorkBound(uint64_t bound) { workBound_ = bound; }

  uint32_t plainFlags() const { return plainFlags_; }
  bool regex() const { return regex_; }
  bool matchesAll() const { return matchesAll_; }
  const std::wstring& text() const { return text_; }
  const SearchStringComponents& components() const { return components_; }

 private:
  std::wstring text_;
  bool regex_ = false;
  uint32_t plainFlags_ = 0;
  bool emptyMatchesAll_ = true;
  bool matchesAll_ = false;
  uint64_t workBound_ = Regex::kDefaultWorkBound;
  PlainPattern plain_;
  SearchStringComponents components_;
};

}  // namespace tarnix
