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

}  // namespace tarnix
