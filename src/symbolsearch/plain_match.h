#pragma once
// The plain (wildcard) matching of search strings: "*" is any run of
// characters, also an empty one, "?" exactly one character, and the pattern
// is looked for anywhere in the text.
#include <cstdint>
#include <string_view>

namespace tarnix {

inline constexpr uint32_t kPlainCaseSensitive = 0x1;
inline constexpr uint32_t kPlainWholeWords = 0x2;

// Answers 1 when `pattern` occurs in `text`, 0 when not. With whole words
// the match may neither start right after nor end right before a word
// character (IsWordChar). Only the last "*" is ever backtracked to. Case is
// compared per character with the locale-independent folding, which cannot
// fail, so -1 (a failed comparison) is never answered. Allocates nothing.
int PlainMatch(uint32_t flags, std::wstring_view text, std::wstring_view pattern);

}  // namespace tarnix
