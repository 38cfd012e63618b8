// libFuzzer target for the search-string matcher: regular expressions in
// every grammar and plain wildcard patterns against long subjects.
//
// Input: byte 0 chooses the grammar (bits 0-2), case (bit 3), whole words
// (bit 4) and how pattern bytes become characters (bit 5: pairs as UTF-16,
// else one byte each); bytes 1-2 are the pattern's length in bytes; the
// pattern follows, and every remaining byte is one character of the
// subject, so that -max_len=100000 reaches subjects of nearly 100,000
// characters.
#include <cstddef>
#include <cstdint>
#include <string>

#include "symbolsearch/plain_match.h"
#include "symbolsearch/regex_engine.h"
#include "symbolsearch/regex_grammar.h"
#include "symbolsearch/search_string.h"

namespace {

constexpr uint32_t kGrammars[8] = {
    tarnix::kGrammarECMAScript, tarnix::kGrammarBasic, tarnix::kGrammarExtended,
    tarnix::kGrammarAwk,        tarnix::kGrammarGrep,  tarnix::kGrammarEgrep,
    0,                          0x3F};

// A lower bound than the program's keeps the fuzzer fast; the code that
// enforces it is the same.
constexpr uint64_t kFuzzWorkBound = 2'000'000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnix;
  if (size < 3) return 0;
  const uint8_t options = data[0];
  const uint32_t grammar = kGrammars[options & 7];
  const bool caseSensitive = options & 8;
  const bool wholeWords = options & 16;
  size_t patternBytes = static_cast<size_t>(data[1] | (data[2] << 8));
  if (patternBytes > size - 3) patternBytes = size - 3;
  std::wstring pattern;
  const uint8_t* p = data + 3;
  if (options & 32) {
    for (size_t i = 0; i + 1 < patternBytes; i += 2)
      pattern += static_cast<wchar_t>(p[i] | (p[i + 1] << 8));
  } else {
    for (size_t i = 0; i < patternBytes; ++i) pattern += static_cast<wchar_t>(p[i]);
  }
  std::wstring subject;
  for (size_t i = 3 + patternBytes; i < size; ++i) subject += static_cast<wchar_t>(data[i]);

  Regex regex;
  RegexError error;
  if (regex.Compile(pattern, grammar, caseSensitive, error)) {
    const RegexAnswer found = regex.Search(subject, kFuzzWorkBound);
    const RegexAnswer whole = regex.Match(subject, kFuzzWorkBound);
    if (found != kRegexMatch && found != kRegexNoMatch && found != kRegexUndecided)
      __builtin_trap();
    // A whole match is also a match somewhere.
    if (whole == kRegexMatch && found == kRegexNoMatch) __builtin_trap();
  } else if (error.message.empty()) {
    __builtin_trap();
  }

  // The search string as the search uses it: "||" components, or one
  // wildcard pattern.
  SearchString search;
  RegexCompileError compileError;
  const bool regexMode = options & 64;
  SearchStringSpec spec{pattern, regexMode, caseSensitive, wholeWords};
  if (search.Prepare(spec, grammar, true, compileError)) {
    search.SetWorkBound(kFuzzWorkBound);
    std::wstring matchError;
    const int r = search.Match(subject, matchError);
    if (r != 0 && r != 1 && r != kMatchUndecided) __builtin_trap();
  }
  const int plain = PlainMatch((caseSensitive ? kPlainCaseSensitive : 0) |
                                   (wholeWords ? kPlainWholeWords : 0),
                               subject, pattern);
  if (plain != 0 && plain != 1) __builtin_trap();
  return 0;
}
