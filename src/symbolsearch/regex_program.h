#pragma once
// The compiled form of a regular expression: a list of automaton
// instructions and the character sets they test. Internal to the engine
// (regex_compiler.cpp builds it, regex_engine.cpp runs it).
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "symbolsearch/regex_engine.h"

namespace tarnix {

// The character classes of the "C" locale: only ASCII characters belong to
// any class (and "_" to the word class).
enum RegexClassBits : uint32_t {
  kClassUpper = 0x1,
  kClassLower = 0x2,
  kClassAlpha = 0x4,
  kClassDigit = 0x8,
  kClassXdigit = 0x10,
  kClassSpace = 0x20,
  kClassPrint = 0x40,
  kClassGraph = 0x80,
  kClassCntrl = 0x100,
  kClassPunct = 0x200,
  kClassBlank = 0x400,
  kClassUnderscore = 0x800,  // only in the word class "w"
};

// The class bits of one character.
uint32_t RegexClassOf(wchar_t c);
// True when `c` is in any class of `mask`.
inline bool RegexIsClass(wchar_t c, uint32_t mask) { return (RegexClassOf(c) & mask) != 0; }
// The case translation of the "C" locale.
inline wchar_t RegexLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? c + 32 : c; }
inline wchar_t RegexUpper(wchar_t c) { return c >= L'a' && c <= L'z' ? c - 32 : c; }
// A word character of "\b": alphanumeric or "_".
inline bool RegexIsWord(wchar_t c) {
  return RegexIsClass(c, kClassAlpha | kClassDigit | kClassUnderscore);
}

// A bracket expression or a class escape such as "\d".
struct RegexCharSet {
  bool negated = false;
  bool icase = false;
  std::vector<wchar_t> chars;                          // sorted, lower case under icase
  std::vector<std::pair<wchar_t, wchar_t>> ranges;     // as written
  uint32_t classes = 0;                                // any of these classes
  std::vector<wchar_t> equivalents;                    // [=x=]: lower case
  std::vector<uint32_t> negatedClasses;                // "\D" inside brackets
  uint64_t ascii[2] = {0, 0};                          // the answer for c < 128

  bool Test(wchar_t c) const;  // the full rule, any character
  void Finish();               // sorts and fills `ascii`
  bool Accepts(wchar_t c) const {
    const auto u = static_cast<uint32_t>(c);
    return u < 128 ? (ascii[u >> 6] >> (u & 63)) & 1 : Test(c);
  }
};

enum RegexOp : uint8_t {
  kOpChar,       // x: the character
  kOpCharFold,   // x: the lower-case character, compared in lower case
  kOpAnyEcma,    // any character but a line terminator
  kOpAnyPosix,   // any character but NUL
  kOpSet,        // x: index into sets
  kOpSplit,      // go on at x and at y
  kOpJump,       // go on at x
  kOpLineBegin,
  kOpLineEnd,
  kOpWordBound,
  kOpNotWordBound,
  kOpLook,       // the lookahead body starts at pc + 1; go on at y when it matches
  kOpNegLook,    // ... when it does not
  kOpLookEnd,    // end of a lookahead body
  kOpMatch,
};

struct RegexInst {
  RegexOp op;
  uint32_t x = 0;
  uint32_t y = 0;
};

struct RegexProgram {
  std::vector<RegexInst> code;  // starts at 0
  std::vector<RegexCharSet> sets;
  int lookDepth = 0;  // deepest nesting of lookaheads
  // Which characters can begin a match, when none can be empty: a position
  // whose character is not one of them starts nothing.
  bool firstKnown = false;
  uint64_t firstAscii[2] = {0, 0};
  bool firstNonAscii = true;
};

// Compiles `pattern`; false with `error` set.
bool CompileRegexProgram(std::wstring_view pattern, uint32_t grammar, bool caseSensitive,
                         RegexProgram& program, RegexError& error);

}  // namespace tarnix
