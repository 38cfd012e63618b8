#pragma once
// The regular-expression grammars a user can choose (setting "reGrammar"),
// with the values the program stores and shows. The values are the
// platform's syntax-option bits, so stored settings and presets keep their
// meaning; the regex engine (regex_engine.h) reads the grammar bits.
#include <cstdint>
#include <string>

namespace tarnix {

enum RegexGrammar : uint32_t {
  kGrammarECMAScript = 0x1,
  kGrammarBasic = 0x2,
  kGrammarExtended = 0x4,
  kGrammarAwk = 0x8,
  kGrammarGrep = 0x10,
  kGrammarEgrep = 0x20,
};

inline constexpr uint32_t kGrammarBits = 0x3F;
// The stored syntax-option bits besides the grammar.
inline constexpr uint32_t kRegexIcase = 0x100;
inline constexpr uint32_t kRegexNosubs = 0x200;
inline constexpr uint32_t kRegexOptimize = 0x400;
// ECMAScript | nosubs | optimize: a search's grammar before the setting is
// copied in.
inline constexpr uint32_t kDefaultRegexSyntax = 0x601;

// "ECMAScript", "Basic POSIX", "Extended POSIX", "Awk POSIX", "Grep POSIX",
// "Egrep POSIX"; any other value "<0x%x>".
std::wstring RegexGrammarName(uint32_t grammar);

}  // namespace tarnix
