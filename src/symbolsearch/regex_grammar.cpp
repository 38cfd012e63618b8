#include "symbolsearch/regex_grammar.h"

#include "core/wformat.h"

namespace tarnix {

std::wstring RegexGrammarName(uint32_t grammar) {
  switch (grammar) {
    case kGrammarECMAScript: return L"ECMAScript";
    case kGrammarBasic: return L"Basic POSIX";
    case kGrammarExtended: return L"Extended POSIX";
    case kGrammarAwk: return L"Awk POSIX";
    case kGrammarGrep: return L"Grep POSIX";
    case kGrammarEgrep: return L"Egrep POSIX";
    default: return WFormat(L"<0x%x>", grammar);
  }
}

std::regex_constants::syntax_option_type RegexSyntaxFlags(uint32_t grammar, bool caseSensitive) {
  namespace rc = std::regex_constants;
  const uint32_t bits = grammar & kGrammarBits;
  rc::syntax_option_type flags = rc::ECMAScript;
  if (bits & kGrammarECMAScript) flags = rc::ECMAScript;
  else if (bits & kGrammarBasic) flags = rc::basic;
  else if (bits & kGrammarExtended) flags = rc::extended;
  else if (bits & kGrammarAwk) flags = rc::awk;
  else if (bits & kGrammarGrep) flags = rc::grep;
  else if (bits & kGrammarEgrep) flags = rc::egrep;
  flags |= rc::nosubs | rc::optimize;
  if (!caseSensitive) flags |= rc::icase;
  return flags;
}

}  // namespace tarnix
