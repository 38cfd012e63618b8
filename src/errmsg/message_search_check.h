#pragma once
// The check of a message search's word before the search starts: the one
// the search window makes and the command line makes, built on the matcher
// the search itself prepares, so that nothing the check lets through is
// refused by the search.
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnix {

// The message to show for `word` (trimmed), or an empty text when the
// search may start:
//   "Provide a search word to search error messages with" for an empty
//   word, and for a regular expression of "||" separators and blanks only
//   (with a second line saying so);
//   "Failed to evaluate the regular expression for the 'Search Word':..."
//   with the word, the grammar's name, the 1-based component and the error
//   for a component that does not compile.
std::wstring MessageSearchWordProblem(std::wstring_view word, bool regex, bool caseSensitive,
                                      bool wholeWords, uint32_t grammar);

}  // namespace tarnix
