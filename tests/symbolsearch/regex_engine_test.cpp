#include "symbolsearch/regex_engine.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

// The standard library's wide regular expressions, as the program used to
// evaluate its search strings: the reference for the meaning of each
// grammar on short texts. GCC 12 at -O1 with the sanitizers reports
// uninitialized members inside its automaton that are never read.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <regex>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#include "symbolsearch/regex_grammar.h"

namespace tarnix {
namespace {

constexpr uint32_t kGrammars[] = {kGrammarECMAScript, kGrammarBasic, kGrammarExtended,
                                  kGrammarAwk,        kGrammarGrep,  kGrammarEgrep};

Regex Compiled(std::wstring_view pattern, uint32_t grammar = kGrammarECMAScript,
               bool caseSensitive = true) {
  Regex r;
  RegexError error;
  EXPECT_TRUE(r.Compile(pattern, grammar, caseSensitive, error))
      << "pattern " << std::string(pattern.begin(), pattern.end()) << ": (" << error.code << ")";
  return r;
}

int Search(std::wstring_view pattern, std::wstring_view subject,
           uint32_t grammar = kGrammarECMAScript, bool caseSensitive = true) {
  return Compiled(pattern, grammar, caseSensitive).Search(subject);
}

int CompileError(std::wstring_view pattern, uint32_t grammar = kGrammarECMAScript) {
  Regex r;
  RegexError error;
  if (r.Compile(pattern, grammar, true, error)) return -1;
  EXPECT_FALSE(error.message.empty());
  EXPECT_FALSE(r.compiled());
  return error.code;
}

TEST(RegexEngine, EachGrammarReadsItsOwnSyntax) {
  // ECMAScript: escapes, classes, lookaheads, lazy quantifiers.
  EXPECT_EQ(Search(L"\\bNt\\w+Ex$", L"NtCreateFileEx"), 1);
  EXPECT_EQ(Search(L"\\bNt\\w+Ex$", L"ZwNtCreateEx"), 0);
  EXPECT_EQ(Search(L"^(?!Nt)Zw", L"ZwClose"), 1);
  EXPECT_EQ(Search(L"^(?=.*File)(?=.*Create)", L"FileCreate"), 1);
  EXPECT_EQ(Search(L"^(?=.*File)(?=.*Create)", L"FileOpen"), 0);
  EXPECT_EQ(Search(L"a.*?b", L"xaxxbx"), 1);
  EXPECT_EQ(Search(L"\\x41\\u0042\\d", L"AB7"), 1);
  EXPECT_EQ(Search(L"a.b", L"a\nb"), 0);  // "." stops at line terminators
  EXPECT_EQ(Search(L"[]", L"anything"), 0);
  EXPECT_EQ(Search(L"[^]", L"x"), 1);

  // basic and grep: "\(", "\{" group and count; "+" and "|" are characters.
  EXPECT_EQ(Search(L"\\(ab\\)\\{2\\}", L"xababx", kGrammarBasic), 1);
  EXPECT_EQ(Search(L"a+", L"aa", kGrammarBasic), 0);
  EXPECT_EQ(Search(L"a+", L"a+", kGrammarBasic), 1);
  EXPECT_EQ(Search(L"a|b", L"a|b", kGrammarGrep), 1);
  EXPECT_EQ(Search(L"^Get\n^Set", L"SetWindowText", kGrammarGrep), 1);
  EXPECT_EQ(Search(L"[]a]", L"]", kGrammarBasic), 1);

  // extended, awk, egrep: "+", "|", braces; awk's own escapes.
  EXPECT_EQ(Search(L"^(Get|Set)Window", L"SetWindowLongW", kGrammarExtended), 1);
  EXPECT_EQ(Search(L"[[:digit:]]{3}$", L"Ordinal123", kGrammarExtended), 1);
  EXPECT_EQ(Search(L"[[:digit:]]{3}$", L"Ordinal12", kGrammarEgrep), 0);
  EXPECT_EQ(Search(L"\\\"\\101", L"\"A", kGrammarAwk), 1);
  EXPECT_EQ(Search(L"^Get\n^Set", L"SetWindowText", kGrammarEgrep), 1);
  EXPECT_EQ(Search(L"a.b", std::wstring(L"a\0b", 3), kGrammarExtended), 0);  // POSIX "." and NUL
}

TEST(RegexEngine, CaseFoldsAsciiOnly) {
  EXPECT_EQ(Search(L"createfile", L"CreateFileW", kGrammarECMAScript, false), 1);
  EXPECT_EQ(Search(L"createfile", L"CreateFileW", kGrammarECMAScript, true), 0);
  EXPECT_EQ(Search(L"[a-c]x", L"BX", kGrammarECMAScript, false), 1);
  // Under icase "lower" and "upper" mean any letter.
  EXPECT_EQ(Search(L"^[[:lower:]]+$", L"ABC", kGrammarExtended, false), 1);
  EXPECT_EQ(Search(L"^[[:lower:]]+$", L"ABC", kGrammarExtended, true), 0);
  // Characters beyond ASCII are neither folded nor classified.
  EXPECT_EQ(Search(L"\u00e9", L"\u00c9", kGrammarECMAScript, false), 0);
  EXPECT_EQ(Search(L"\\w", L"\u00e9", kGrammarECMAScript, false), 0);
}

TEST(RegexEngine, CompileErrorsKeepTheirCodes) {
  EXPECT_EQ(CompileError(L"("), kRegexErrorParen);
  EXPECT_EQ(CompileError(L"a)"), kRegexErrorParen);
  EXPECT_EQ(CompileError(L"[a"), kRegexErrorBrack);
  EXPECT_EQ(CompileError(L"a{2,1}"), kRegexErrorBadBrace);
  EXPECT_EQ(CompileError(L"a{2"), kRegexErrorBrace);
  EXPECT_EQ(CompileError(L"[b-a]"), kRegexErrorRange);
  EXPECT_EQ(CompileError(L"[[:nothing:]]"), kRegexErrorCollate);
  EXPECT_EQ(CompileError(L"(?<x)"), kRegexErrorParen);
  EXPECT_EQ(CompileError(L"\\"), kRegexErrorEscape);
  // Groups are not captured, so no back-reference has a group to refer to.
  EXPECT_EQ(CompileError(L"(.)\\1"), kRegexErrorBackref);
  EXPECT_EQ(CompileError(L"\\(.\\)\\1", kGrammarBasic), kRegexErrorBackref);
  // POSIX grammars refuse escaped ordinary characters and a leading "*".
  EXPECT_EQ(CompileError(L"\\d", kGrammarExtended), kRegexErrorEscape);
  EXPECT_EQ(CompileError(L"*Ex$", kGrammarBasic), kRegexErrorParen);
  EXPECT_EQ(CompileError(L"^*"), kRegexErrorParen);
  // What a pattern can make the engine hold is bounded.
  EXPECT_EQ(CompileError(L"a{100001}"), kRegexErrorSpace);
  EXPECT_EQ(CompileError(L"((((a{1000}){1000}){1000}){1000}){1000}"), kRegexErrorSpace);
  EXPECT_EQ(CompileError(L"((){99999}){99999}"), kRegexErrorSpace);
  EXPECT_EQ(CompileError(std::wstring(300, L'(') + L"a" + std::wstring(300, L')')),
            kRegexErrorComplexity);
  EXPECT_EQ(CompileError(L"a" + std::wstring(2000, L'*')), kRegexErrorComplexity);
}

TEST(RegexEngine, HostilePatternsAndSubjectsAreDecided) {
  const std::wstring as(65536, L'a');
  for (uint32_t grammar : {kGrammarECMAScript, kGrammarExtended, kGrammarEgrep, kGrammarAwk}) {
    EXPECT_EQ(Search(L"(a*)*b", as, grammar), 0) << grammar;
    EXPECT_EQ(Search(L"(a|aa)*c", as, grammar), 0) << grammar;
    EXPECT_EQ(Search(L"(.*a){20}", as, grammar), 1) << grammar;
    EXPECT_EQ(Search(L"(.*a){20}", std::wstring(65536, L'b'), grammar), 0) << grammar;
    EXPECT_EQ(Search(L"(A|B)*C", std::wstring(4096, L'A'), grammar), 0) << grammar;
    EXPECT_EQ(Search(L"(A|B)*C", std::wstring(4096, L'A') + L"C", grammar), 1) << grammar;
  }
  EXPECT_EQ(Search(L"\\(a*\\)*b", as, kGrammarBasic), 0);
  EXPECT_EQ(Search(L"\\(a*\\)*b", as, kGrammarGrep), 0);
  // Every grammar on an empty subject and on a long one.
  for (uint32_t grammar : kGrammars) {
    EXPECT_EQ(Search(L"x", L"", grammar), 0) << grammar;
    EXPECT_EQ(Search(L"^$", L"", grammar), 1) << grammar;
    EXPECT_EQ(Search(L"a$", as, grammar), 1) << grammar;
    EXPECT_EQ(Search(L"^b", as, grammar), 0) << grammar;
  }
  // Patterns of 1,024 characters: one whose states die at once, and one
  // that keeps hundreds of them alive at every position (decided as no
  // match, or given up at the bound, but never found).
  std::wstring names;
  for (int i = 0; names.size() < 1000; ++i) names += L"Name" + std::to_wstring(i) + L"|";
  names += std::wstring(1024 - names.size(), L'x');
  EXPECT_EQ(Search(names, as), 0);
  EXPECT_EQ(Search(names, as + L"Name42"), 1);
  std::wstring dense;
  while (dense.size() + 6 < 1024) dense += L"(a|b)?";
  dense += std::wstring(1024 - dense.size(), L'c');
  EXPECT_NE(Search(dense, as), 1);
}

TEST(RegexEngine, WorkBeyondTheBoundIsUndecided) {
  // A lookahead reads the rest of the text from every position.
  Regex r = Compiled(L"(?=.*x)");
  const std::wstring text(2000, L'a');
  EXPECT_EQ(r.Search(text, 100000), kRegexUndecided);
  EXPECT_EQ(r.Search(text), kRegexNoMatch);
  EXPECT_EQ(r.Search(text + L"x", 100000), kRegexMatch);  // found at once from the start
  // What bounds the work on short texts: nested lookaheads multiply it.
  EXPECT_TRUE(Compiled(L"CreateFile[AW]$").AlwaysDecides(16));
  EXPECT_TRUE(r.AlwaysDecides(16));
  EXPECT_FALSE(r.AlwaysDecides(1000000, 1000));
  std::wstring nested;
  for (int i = 0; i < 8; ++i) nested += L"(?=.*";
  nested += L"x" + std::wstring(8, L')');
  EXPECT_FALSE(Compiled(nested).AlwaysDecides(16));
}

TEST(RegexEngine, MatchTakesTheWholeSubject) {
  Regex r = Compiled(L"File[AW]?");
  EXPECT_EQ(r.Search(L"CreateFileW"), 1);
  EXPECT_EQ(r.Match(L"CreateFileW"), 0);
  EXPECT_EQ(r.Match(L"FileW"), 1);
  EXPECT_EQ(r.Match(L"File"), 1);
  EXPECT_EQ(Compiled(L"").Match(L""), 1);
  EXPECT_EQ(Compiled(L"").Search(L"abc"), 1);
}

// Random patterns in every grammar and case, compiled by this engine and by
// the standard library: both refuse the same patterns (with the same error
// code) and find the same short texts.
TEST(RegexEngine, AgreesWithTheStandardLibraryOnShortTexts) {
  namespace rc = std::regex_constants;
  const wchar_t* pieces[] = {
      L"a", L"b", L"A", L"_", L".", L"*", L"+", L"?", L"|", L"(", L")", L"[", L"]", L"^",
      L"$", L"{", L"}", L"\\", L",", L"-", L"1", L"0", L"d", L"w", L"s", L"W", L"b", L"B",
      L"x", L"u", L"c", L":", L"=", L"!", L"[:alpha:]", L"[:upper:]", L"[=a=]", L"[.a.]",
      L" ", L"\n", L"\u00e9", L"{2}", L"{1,2}", L"(?:", L"(?=", L"(?!", L"\\b", L"\\d",
      L"\\w", L"\\.", L"\\(", L"\\)", L"\\{", L"\\}", L"\\x41", L"\\\"", L"\\101"};
  const wchar_t letters[] = L"abAB_ 1-\n\u00e9.x";
  std::mt19937 rng(20240607);
  int compiled = 0;
  for (int i = 0; i < 4000; ++i) {
    std::wstring pattern;
    for (int n = static_cast<int>(rng() % 7) + 1; n > 0; --n)
      pattern += pieces[rng() % std::size(pieces)];
    const uint32_t grammar = kGrammars[rng() % std::size(kGrammars)];
    const bool caseSensitive = rng() % 2;
    rc::syntax_option_type flags =
        grammar == kGrammarECMAScript ? rc::ECMAScript
        : grammar == kGrammarBasic    ? rc::basic
        : grammar == kGrammarExtended ? rc::extended
        : grammar == kGrammarAwk      ? rc::awk
        : grammar == kGrammarGrep     ? rc::grep
                                      : rc::egrep;
    flags |= rc::nosubs | rc::optimize;
    if (!caseSensitive) flags |= rc::icase;
    std::wregex reference;
    int referenceCode = -1;
    try {
      reference.assign(pattern, flags);
    } catch (const std::regex_error& e) {
      referenceCode = e.code();
    }
    Regex mine;
    RegexError error;
    const bool ok = mine.Compile(pattern, grammar, caseSensitive, error);
    const std::string shown(pattern.begin(), pattern.end());
    ASSERT_EQ(ok, referenceCode < 0) << shown << " grammar " << grammar;
    if (!ok) {
      EXPECT_EQ(error.code, referenceCode) << shown << " grammar " << grammar;
      continue;
    }
    ++compiled;
    for (int k = 0; k < 6; ++k) {
      std::wstring text;
      for (int n = static_cast<int>(rng() % 7); n > 0; --n)
        text += letters[rng() % (std::size(letters) - 1)];
      EXPECT_EQ(mine.Search(text), std::regex_search(text, reference) ? 1 : 0)
          << shown << " grammar " << grammar << " case " << caseSensitive;
      EXPECT_EQ(mine.Match(text), std::regex_match(text, reference) ? 1 : 0)
          << shown << " grammar " << grammar << " case " << caseSensitive;
    }
  }
  EXPECT_GT(compiled, 1000);
}

}  // namespace
}  // namespace tarnix
