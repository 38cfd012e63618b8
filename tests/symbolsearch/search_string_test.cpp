#include "symbolsearch/search_string.h"

#include <gtest/gtest.h>

#include "symbolsearch/binary_file_types.h"
#include "symbolsearch/regex_escape.h"
#include "symbolsearch/regex_grammar.h"

namespace tarnix {
namespace {

using Parts = std::vector<std::wstring>;

TEST(SearchString, SplitAtDoubleBars) {
  EXPECT_EQ(SplitSearchString(L"a|| \t ||b"), (Parts{L"a", L"b"}));
  EXPECT_EQ(SplitSearchString(L"a|||b"), (Parts{L"a", L"|b"}));
  EXPECT_EQ(SplitSearchString(L" .*\\.exe$ || .*\\.dll$ "), (Parts{L".*\\.exe$", L".*\\.dll$"}));
  EXPECT_EQ(SplitSearchString(L"a|b"), (Parts{L"a|b"}));
  EXPECT_EQ(SplitSearchString(L"\r\nx\t||"), (Parts{L"x"}));
  EXPECT_TRUE(SplitSearchString(L" || \n|| ").empty());
  EXPECT_TRUE(SplitSearchString(L"").empty());
  // Only space, tab, line feed and carriage return are trimmed off a component.
  EXPECT_EQ(SplitSearchString(L"\u00A0a\u00A0"), (Parts{L"\u00A0a\u00A0"}));
}

TEST(SearchString, TrimAndMatchAll) {
  EXPECT_EQ(TrimSearchText(L" \t\u3000 CreateFile\r\n\u00A0"), L"CreateFile");
  EXPECT_EQ(TrimSearchText(L"   "), L"");

  EXPECT_TRUE(DeriveMatchAll(L"", false, true));
  EXPECT_FALSE(DeriveMatchAll(L"", true, false));
  EXPECT_TRUE(DeriveMatchAll(L"*", false, false));
  EXPECT_FALSE(DeriveMatchAll(L"*", true, true));
  EXPECT_TRUE(DeriveMatchAll(L".*", true, false));
  EXPECT_FALSE(DeriveMatchAll(L".*", false, true));
  EXPECT_FALSE(DeriveMatchAll(L"**", false, true));
}

int MatchOne(const SearchStringSpec& spec, std::wstring_view text, bool emptyMatchesAll = true,
             uint32_t grammar = kGrammarECMAScript) {
  SearchString s;
  RegexCompileError err;
  EXPECT_TRUE(s.Prepare(spec, grammar, emptyMatchesAll, err)) << err.text;
  std::wstring error;
  return s.Match(text, error);
}

TEST(SearchString, PlainStringsAreNotSplit) {
  SearchStringSpec plain{L"abc.exe || def.dll"};
  EXPECT_EQ(MatchOne(plain, L"abc.exe"), 0);
  EXPECT_EQ(MatchOne(plain, L"def.dll"), 0);
  EXPECT_EQ(MatchOne(plain, L"x abc.exe || def.dll y"), 1);
}

TEST(SearchString, RegexComponentsAreTriedInOrderAndUnanchored) {
  SearchStringSpec re{L".*\\.exe$ || .*\\.dll$", true};
  EXPECT_EQ(MatchOne(re, L"kernel32.dll"), 1);
  EXPECT_EQ(MatchOne(re, L"notepad.EXE"), 1);  // icase unless case-sensitive
  EXPECT_EQ(MatchOne(re, L"kernel32.dll.mui"), 0);
  re.caseSensitive = true;
  EXPECT_EQ(MatchOne(re, L"notepad.EXE"), 0);

  EXPECT_EQ(MatchOne({L"cat", true}, L"bobcat"), 1);
  EXPECT_EQ(MatchOne({L"^cat", true}, L"bobcat"), 0);
  // Whole words has no effect in regex mode.
  EXPECT_EQ(MatchOne({L"cat", true, false, true}, L"bobcat"), 1);
  // Other grammars.
  EXPECT_EQ(MatchOne({L"a\\{2\\}", true}, L"baab", true, kGrammarBasic), 1);
  EXPECT_EQ(MatchOne({L"a{2}|x", true}, L"baab", true, kGrammarEgrep), 1);
}

TEST(SearchString, EmptyStringsFollowTheMatchAllSetting) {
  for (const wchar_t* text : {L"", L"  ", L"|| ||"}) {
    SearchStringSpec re{text, true};
    EXPECT_EQ(MatchOne(re, L"CreateFileW", true), 1) << text;
    EXPECT_EQ(MatchOne(re, L"CreateFileW", false), 0) << text;
  }
  SearchStringSpec plain{L""};
  EXPECT_EQ(MatchOne(plain, L"CreateFileW", true), 1);
  EXPECT_EQ(MatchOne(plain, L"CreateFileW", false), 0);
  // In plain mode "||" is text, not an empty list of components.
  EXPECT_EQ(MatchOne({L"|| ||"}, L"CreateFileW", true), 0);
  // "*" and ".*" select everything whatever the setting.
  EXPECT_EQ(MatchOne({L"*"}, L"x", false), 1);
  EXPECT_EQ(MatchOne({L".*", true}, L"x", false), 1);
}

TEST(SearchString, EmptyTextsMatchOnlyWhatTheStringLetsThrough) {
  EXPECT_EQ(MatchOne({L""}, L"", true), 1);
  EXPECT_EQ(MatchOne({L""}, L"", false), 0);
  EXPECT_EQ(MatchOne({L"CreateFile"}, L"", true), 0);
  EXPECT_EQ(MatchOne({L"^$", true}, L"", true), 1);
  EXPECT_EQ(MatchOne({L"x", true}, L"", true), 0);
}

TEST(SearchString, CompileErrorsNameTheComponent) {
  RegexCompileError err;
  EXPECT_TRUE(ValidateSearchString(L"abc || def", kGrammarECMAScript, false, err));
  ASSERT_FALSE(ValidateSearchString(L"abc || [", kGrammarECMAScript, false, err));
  EXPECT_EQ(err.component, 1);
  EXPECT_EQ(err.code, kRegexErrorBrack);
  EXPECT_EQ(err.text.rfind(L"(4) ", 0), 0u) << err.text;
  EXPECT_GT(err.text.size(), 4u);

  SearchString s;
  SearchStringSpec bad{L"( || x", true};
  EXPECT_FALSE(s.Prepare(bad, kGrammarECMAScript, true, err));
  EXPECT_EQ(err.component, 0);
  EXPECT_TRUE(s.components().empty());
}

TEST(RegexGrammar, Names) {
  EXPECT_EQ(RegexGrammarName(1), L"ECMAScript");
  EXPECT_EQ(RegexGrammarName(2), L"Basic POSIX");
  EXPECT_EQ(RegexGrammarName(4), L"Extended POSIX");
  EXPECT_EQ(RegexGrammarName(8), L"Awk POSIX");
  EXPECT_EQ(RegexGrammarName(16), L"Grep POSIX");
  EXPECT_EQ(RegexGrammarName(32), L"Egrep POSIX");
  EXPECT_EQ(RegexGrammarName(0x601), L"<0x601>");
  EXPECT_EQ(RegexGrammarName(0), L"<0x0>");
}

TEST(RegexEscape, EscapesTheSpecialCharacters) {
  EXPECT_EQ(EscapeForRegex(L"[\\^$.|?*+(){}]"), L"\\[\\\\\\^\\$\\.\\|\\?\\*\\+\\(\\)\\{\\}]");
  EXPECT_EQ(EscapeForRegex(L"kernel32.dll"), L"kernel32\\.dll");
  EXPECT_EQ(EscapeForRegex(L"a-b_c"), L"a-b_c");
}

TEST(BinaryFileTypes, PatternOfTickedTypes) {
  EXPECT_EQ(BinaryFileTypePattern(0x3), L"(^.*\\.exe$)|(^.*\\.dll$)");
  EXPECT_EQ(BinaryFileTypePattern(uint64_t{1} << 14), L"(^.*\\.mui$)");
  EXPECT_EQ(BinaryFileTypePattern(0), L"");
  EXPECT_EQ(BinaryFileTypePattern(kDriverFiles), L"(^.*\\.sys$)|(^.*\\.drv$)");
  // Bits above the table are ignored.
  EXPECT_EQ(BinaryFileTypePattern(0x8000 | 0x200), L"(^.*\\.ax$)");

  // The pattern selects exactly the ticked extensions as a 'File Name' regex.
  SearchString s;
  RegexCompileError err;
  ASSERT_TRUE(s.Prepare({BinaryFileTypePattern(kExecutableFiles), true}, kGrammarECMAScript,
                        true, err));
  std::wstring error;
  EXPECT_EQ(s.Match(L"NOTEPAD.EXE", error), 1);
  EXPECT_EQ(s.Match(L"desk.cpl", error), 1);
  EXPECT_EQ(s.Match(L"kernel32.dll", error), 0);
  EXPECT_EQ(s.Match(L"readme.exe.txt", error), 0);
}

}  // namespace
}  // namespace tarnix
