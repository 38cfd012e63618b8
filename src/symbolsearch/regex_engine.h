#pragma once
// The program's one regular-expression engine: the symbol and file-name
// search strings, the error message search, the live regex check and the
// regex tester all compile and match through it.
//
// It reads the six grammars of the standard library's wide regular
// expressions (ECMAScript, basic, extended, awk, grep, egrep) with their
// meaning, as the program has always compiled them: without sub-expressions
// (so a back-reference does not compile), characters classified and folded
// as the "C" locale does (ASCII only).
//
// Matching runs an automaton over the subject: every (position, state) pair
// is visited at most once, nothing recurses per character, and the work for
// one subject is bounded. A subject the engine cannot decide within the
// bound (only lookaheads re-read the text, so only they can cost more than
// the subject's length times the pattern's size) answers kRegexUndecided.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tarnix {

// Why a pattern did not compile. The values are those of the standard
// regex_constants::error_type, so stored texts keep their numbers.
enum RegexErrorCode : int {
  kRegexErrorCollate = 0,
  kRegexErrorCtype = 1,
  kRegexErrorEscape = 2,
  kRegexErrorBackref = 3,
  kRegexErrorBrack = 4,
  kRegexErrorParen = 5,
  kRegexErrorBrace = 6,
  kRegexErrorBadBrace = 7,
  kRegexErrorRange = 8,
  kRegexErrorSpace = 9,
  kRegexErrorBadRepeat = 10,
  kRegexErrorComplexity = 11,
  kRegexErrorStack = 12,
  kRegexErrorNull = 13,
};

struct RegexError {
  int code = 0;
  std::wstring message;  // the engine's own one-line description
};

enum RegexAnswer : int {
  kRegexNoMatch = 0,
  kRegexMatch = 1,
  kRegexUndecided = -3,  // the work bound ran out first
};

struct RegexProgram;

class Regex {
 public:
  // Steps (state visits and character tests) one subject may take: a few
  // tenths of a second at most, enough for a pattern of several hundred
  // states without lookaheads against a 65,536-character name.
  static constexpr uint64_t kDefaultWorkBound = 32ull << 20;

  // Compiles `pattern` with the grammar bits of a "reGrammar" value (the
  // lowest bit set wins, none means ECMAScript), case-insensitive unless
  // `caseSensitive`. False with `error` filled when it does not compile;
  // the object then holds no pattern.
  bool Compile(std::wstring_view pattern, uint32_t grammar, bool caseSensitive, RegexError& error);

  // Whether the pattern occurs anywhere in `subject`.
  RegexAnswer Search(std::wstring_view subject, uint64_t workBound = kDefaultWorkBound) const;
  // Whether the pattern matches the whole of `subject`.
  RegexAnswer Match(std::wstring_view subject, uint64_t workBound = kDefaultWorkBound) const;

  // True when every subject of up to `length` characters is decided within
  // `workBound`, whatever its characters.
  bool AlwaysDecides(size_t length, uint64_t workBound = kDefaultWorkBound) const;

  bool compiled() const { return program_ != nullptr; }

 private:
  RegexAnswer Run(std::wstring_view subject, bool whole, uint64_t workBound) const;

  std::shared_ptr<const RegexProgram> program_;
};

// The description of kRegexUndecided for error and status texts.
const wchar_t* RegexUndecidedText();

}  // namespace tarnix
