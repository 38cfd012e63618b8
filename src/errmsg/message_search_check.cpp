#include "errmsg/message_search_check.h"

#include "core/wformat.h"
#include "errmsg/message_matcher.h"
#include "symbolsearch/regex_grammar.h"

namespace tarnix {

std::wstring MessageSearchWordProblem(std::wstring_view word, bool regex, bool caseSensitive,
                                      bool wholeWords, uint32_t grammar) {
  const wchar_t kNoWord[] = L"Provide a search word to search error messages with";
  if (word.empty()) return kNoWord;
  MessageMatcher matcher;
  matcher.Prepare(word, regex, caseSensitive, wholeWords, grammar);
  if (matcher.Usable()) return {};
  if (matcher.failedComponentIndex() >= 0)
    return WFormat(
        L"Failed to evaluate the regular expression for the 'Search Word':\n\n%ls\n\nSyntax: %ls\n\n"
        L"Component: %d\nERROR: %ls",
        std::wstring(word).c_str(), RegexGrammarName(grammar).c_str(), matcher.failedComponentIndex() + 1,
        matcher.regexErrorText().c_str());
  return std::wstring(kNoWord) +
         L"\n\n(The regular expression holds nothing to look for: only \"||\" separators and blanks.)";
}

}  // namespace tarnix
