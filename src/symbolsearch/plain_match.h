#pragma once
// The plain (wildcard) matching of search strings: "*" is any run of
// characters, also an empty one, "?" exactly one character, and the pattern
// is looked for anywhere in the text.
//
// The matcher looks for the part before the first "*" from the text's start,
// then for each part between stars after the end of the previous one (a run
// of "*" and "?" moves on by its "?"s), and only the part after the last "*"
// is tried at later places when what follows it does not fit (the end of the
// pattern under whole words, or a trailing run of "?"). Earlier stars are
// never reconsidered. Each part is found with a bit-parallel scan, so the
// time is linear in the text for any pattern: O(text length x part length
// / 64).
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnix {

inline constexpr uint32_t kPlainCaseSensitive = 0x1;
inline constexpr uint32_t kPlainWholeWords = 0x2;

// One pattern prepared for matching many texts.
class PlainPattern {
 public:
  PlainPattern() = default;
  PlainPattern(uint32_t flags, std::wstring_view pattern) { Prepare(flags, pattern); }

  void Prepare(uint32_t flags, std::wstring_view pattern);

  // Answers 1 when the pattern occurs in `text`, 0 when not. With whole
  // words the match may neither start right after nor end right before a
  // word character (IsWordChar). Case is compared per character with the
  // locale-independent folding, which cannot fail, so -1 (a failed
  // comparison) is never answered. Allocates nothing for parts of up to
  // 1024 characters.
  int Match(std::wstring_view text) const;
  // The same for an 8-bit text in the ANSI code page (Windows-1252), as
  // though it had been converted first: names read from images are matched
  // without the conversion.
  int MatchCp1252(std::string_view text) const;

 private:
  // A part of the pattern between stars, "?" standing for any character.
  struct Part {
    size_t length = 0;
    size_t words = 0;          // 64-bit words per position mask
    size_t masks = 0;          // index in masks_ of its first mask, the "?" positions
    size_t skip = 0;           // the "?"s of the run of stars before it
    uint16_t ascii[128] = {};  // the mask number of each ASCII character; 0: only the "?"s
    uint16_t ansi[256] = {};   // the mask number of each Windows-1252 byte
    std::vector<std::pair<wchar_t, uint32_t>> others;  // other keys, sorted
  };

  wchar_t Key(wchar_t c) const;
  size_t MaskNumber(const Part& part, wchar_t c) const;
  const uint64_t* MaskOf(const Part& part, wchar_t c) const;
  const uint64_t* MaskOf(const Part& part, char c) const {
    return &masks_[part.masks + part.ansi[static_cast<uint8_t>(c)] * part.words];
  }
  bool IsWord(wchar_t c) const;
  bool IsWord(char c) const { return ansiWord_[static_cast<uint8_t>(c)]; }
  template <class Char>
  int MatchText(std::basic_string_view<Char> text) const;
  template <class Char>
  bool AtWordEnd(std::basic_string_view<Char> text, size_t at) const;
  template <class Char>
  bool TailFits(std::basic_string_view<Char> text, size_t end) const;
  // Scans `text` from `from` for occurrences of `part`; `accept` is asked
  // about each one's start in order until it answers true. Answers the
  // accepted start, or SIZE_MAX.
  template <class Char, class Accept>
  size_t Find(const Part& part, std::basic_string_view<Char> text, size_t from, Accept accept) const;

  bool caseSensitive_ = false;
  bool wholeWords_ = false;
  bool empty_ = true;
  // The pattern ends with a run of "*" and "?" holding a "*": its "?"s and
  // whether its last character is "?".
  bool trailingRun_ = false;
  size_t trailingQuestions_ = 0;
  bool trailingQuestionLast_ = false;
  std::vector<Part> parts_;  // parts_[0] is the text before the first "*", maybe empty
  std::vector<uint64_t> masks_;
  bool ansiWord_[256] = {};  // the Windows-1252 bytes that are word characters
};

// Prepares `pattern` and matches `text` once (see PlainPattern::Match).
int PlainMatch(uint32_t flags, std::wstring_view text, std::wstring_view pattern);

}  // namespace tarnix
