#include "symbolsearch/plain_match.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/char_class.h"
#include "platform/text_encoding.h"

namespace tarnix {
namespace {

constexpr uint32_t kCase = kPlainCaseSensitive;
constexpr uint32_t kWords = kPlainWholeWords;

TEST(PlainMatch, WildcardsFindThePatternAnywhere) {
  EXPECT_EQ(PlainMatch(0, L"cat.exe", L"*at.exe"), 1);
  EXPECT_EQ(PlainMatch(0, L"at.exe", L"*at.exe"), 1);
  EXPECT_EQ(PlainMatch(0, L"format.com", L"*at.exe"), 0);

  EXPECT_EQ(PlainMatch(0, L"cat.exe", L"cat.e?e"), 1);
  EXPECT_EQ(PlainMatch(0, L"cat.eze", L"cat.e?e"), 1);
  EXPECT_EQ(PlainMatch(0, L"cat.et", L"cat.e?e"), 0);

  EXPECT_EQ(PlainMatch(0, L"crater.exe", L"*at*e?.exe"), 1);
  EXPECT_EQ(PlainMatch(0, L"formatted.exe", L"*at*e?.exe"), 1);
  EXPECT_EQ(PlainMatch(0, L"craters.exe", L"*at*e?.exe"), 0);
  EXPECT_EQ(PlainMatch(0, L"critter.exe", L"*at*e?.exe"), 0);

  EXPECT_EQ(PlainMatch(0, L"abxc", L"a?c"), 0);
  EXPECT_EQ(PlainMatch(0, L"abc", L"abc?"), 0);
  EXPECT_EQ(PlainMatch(0, L"abcd", L"abc?"), 1);

  // Not anchored at either end.
  EXPECT_EQ(PlainMatch(0, L"GetProcAddress", L"Proc"), 1);
  EXPECT_EQ(PlainMatch(0, L"xxabyy", L"a*b"), 1);
  EXPECT_EQ(PlainMatch(0, L"anything", L"*"), 1);
  EXPECT_EQ(PlainMatch(0, L"ab", L"ab*"), 1);
  EXPECT_EQ(PlainMatch(0, L"ab", L"ab*?"), 0);
  EXPECT_EQ(PlainMatch(0, L"abc", L"ab*?"), 1);
}

TEST(PlainMatch, EmptyTextsAndPatterns) {
  EXPECT_EQ(PlainMatch(0, L"", L""), 1);
  EXPECT_EQ(PlainMatch(0, L"", L"a"), 0);
  EXPECT_EQ(PlainMatch(0, L"", L"*"), 0);
  EXPECT_EQ(PlainMatch(0, L"a", L""), 0);
}

TEST(PlainMatch, QuestionMarksPastTheEndEndTheScan) {
  // Patterns that need more characters than the text has answer 0 rather
  // than retrying for ever.
  EXPECT_EQ(PlainMatch(0, L"a", L"??"), 0);
  EXPECT_EQ(PlainMatch(0, L"a", L"*??"), 0);
  EXPECT_EQ(PlainMatch(kWords, L"ab", L"???"), 0);
  EXPECT_EQ(PlainMatch(0, L"ab", L"??"), 1);
}

TEST(PlainMatch, SeveralStars) {
  // A failure after the last "*" moves only the part after it on.
  EXPECT_EQ(PlainMatch(0, L"a b1 b2c", L"a*b?c"), 1);
  EXPECT_EQ(PlainMatch(0, L"axbyczbyd", L"a*b*d"), 1);
  EXPECT_EQ(PlainMatch(0, L"axbycz", L"a*b*d"), 0);
  EXPECT_EQ(PlainMatch(0, L"xyz", L"**?*"), 1);
}

TEST(PlainMatch, CaseFolding) {
  EXPECT_EQ(PlainMatch(0, L"CreateFileW", L"createfile"), 1);
  EXPECT_EQ(PlainMatch(kCase, L"CreateFileW", L"createfile"), 0);
  EXPECT_EQ(PlainMatch(kCase, L"CreateFileW", L"CreateFile"), 1);
  // Beyond ASCII, the same whatever the user's locale.
  EXPECT_EQ(PlainMatch(0, L"\u00C9T\u00C9", L"\u00E9t\u00E9"), 1);
  EXPECT_EQ(PlainMatch(0, L"\u0394\u03A3", L"\u03B4\u03C3"), 1);
  EXPECT_EQ(PlainMatch(kCase, L"\u0394\u03A3", L"\u03B4\u03C3"), 0);
}

TEST(PlainMatch, WholeWords) {
  EXPECT_EQ(PlainMatch(kWords, L"cat.exe", L"cat.exe"), 1);
  EXPECT_EQ(PlainMatch(kWords, L"big cat.exe", L"cat.exe"), 1);
  EXPECT_EQ(PlainMatch(kWords, L"mud-cat.exe", L"cat.exe"), 1);
  EXPECT_EQ(PlainMatch(kWords, L"cat.exe.txt", L"cat.exe"), 1);
  EXPECT_EQ(PlainMatch(kWords, L"bobcat.exe", L"cat.exe"), 0);
  EXPECT_EQ(PlainMatch(kWords, L"cat.exec", L"cat.exe"), 0);

  EXPECT_EQ(PlainMatch(kWords, L"CreateFileW", L"createfile"), 0);
  EXPECT_EQ(PlainMatch(kWords, L"Create_File", L"create"), 0);  // "_" is a word character
  EXPECT_EQ(PlainMatch(kWords, L"CreateFileW CreateFile", L"createfile"), 1);
  // Letters of other scripts are word characters too.
  EXPECT_EQ(PlainMatch(kWords, L"\u00E9cat", L"cat"), 0);
  EXPECT_EQ(PlainMatch(kWords, L"cat\u4E2D", L"cat"), 0);
  EXPECT_EQ(PlainMatch(kWords, L"\u00A0cat\u00A0", L"cat"), 1);
  // A pattern ending in "*" takes the rest of the text, whatever follows.
  EXPECT_EQ(PlainMatch(kWords, L"CreateFileW", L"CreateFile*"), 1);
  // A pattern ending in "?" is checked at the end of the characters it took.
  EXPECT_EQ(PlainMatch(kWords, L"CreateFileW", L"CreateFile?"), 1);
  EXPECT_EQ(PlainMatch(kWords, L"CreateFileWx", L"CreateFile?"), 0);
}

TEST(PlainMatch, WholeWordsWithALeadingQuestionMark) {
  // A start rejected after a word character moves the attempt on, and "?"
  // still stands for any character there: "cat" is found after "x ".
  EXPECT_EQ(PlainMatch(kWords, L"x cat", L"?at"), 1);
  EXPECT_EQ(PlainMatch(kWords, L"x cat", L"?cat"), 0);
  EXPECT_EQ(PlainMatch(kWords, L"xcat", L"?at"), 0);
  EXPECT_EQ(PlainMatch(kWords, L"x at", L"?at"), 0);
}

TEST(PlainMatch, LongTextsAndPatternsStayLinear) {
  // Each of these took seconds or minutes with a matcher that retried every
  // start against the whole part after the last "*".
  const std::wstring as(65536, L'A');
  EXPECT_EQ(PlainMatch(0, as, L"*A*A*A*B"), 0);
  EXPECT_EQ(PlainMatch(0, as + L"B", L"*A*A*A*B"), 1);
  const std::wstring part = std::wstring(1023, L'A') + L"B";
  EXPECT_EQ(PlainMatch(0, as, part), 0);
  EXPECT_EQ(PlainMatch(kCase, as + L"B", L"*" + part), 1);
  // Under whole words no run of 1,024 letters inside the text is a word.
  EXPECT_EQ(PlainMatch(kWords, as, std::wstring(1024, L'?')), 0);
  EXPECT_EQ(PlainMatch(kWords, std::wstring(1024, L'A'), std::wstring(1024, L'?')), 1);
  EXPECT_EQ(PlainMatch(0, std::wstring(1000, L'A'), std::wstring(1024, L'?')), 0);
  // A part longer than 64 characters with "?" across its words.
  std::wstring pattern = std::wstring(70, L'x') + L"?" + std::wstring(70, L'y');
  EXPECT_EQ(PlainMatch(0, L"--" + std::wstring(70, L'X') + L"#" + std::wstring(70, L'Y'), pattern), 1);
  EXPECT_EQ(PlainMatch(kCase, L"--" + std::wstring(70, L'X') + L"#" + std::wstring(70, L'Y'), pattern), 0);
  EXPECT_EQ(PlainMatch(kWords, L"a" + std::wstring(70, L'x') + L"#" + std::wstring(70, L'y'), pattern), 0);
  // A prepared pattern answers the same, text after text.
  PlainPattern prepared(0, L"*at*e?.exe");
  EXPECT_EQ(prepared.Match(L"crater.exe"), 1);
  EXPECT_EQ(prepared.Match(L"craters.exe"), 0);
  EXPECT_EQ(prepared.Match(L"formatted.exe"), 1);
}

// The matcher as its rules read, step by step: a = pattern position, s =
// start of the attempt, k = offset of the current character, r and rk =
// a and k after the last run of stars.
int StepwiseMatch(uint32_t flags, std::wstring_view t, std::wstring_view p) {
  if (t.empty()) return p.empty() ? 1 : 0;
  if (p.empty()) return 0;
  const bool cs = flags & kCase, words = flags & kWords;
  size_t a = 0, s = 0, k = 0, r = 0, rk = 0;
  auto retry = [&] {
    a = r;
    k = rk;
    return ++s <= t.size();
  };
  auto wordEnd = [&](size_t at) { return !words || at >= t.size() || !IsWordChar(t[at]); };
  for (;;) {
    if (a == p.size()) {
      if (wordEnd(s + k)) return 1;
      if (!retry()) return 0;
      continue;
    }
    if (p[a] == L'*') {
      size_t q = 0;
      wchar_t last = L'*';
      for (; a < p.size() && (p[a] == L'*' || p[a] == L'?'); ++a) {
        last = p[a];
        q += p[a] == L'?';
      }
      k += q;
      if (a < p.size()) {
        r = a;
        rk = k;
      } else if (q && s + k > t.size()) {
        if (!retry()) return 0;
      } else if (last == L'*') {
        return 1;
      }
      continue;
    }
    if (s + k >= t.size()) {
      if (p[a] != L'?') return 0;
      if (!retry()) return 0;
      continue;
    }
    const bool same = p[a] == L'?' || (cs ? t[s + k] == p[a] : EqualIgnoreCase(t[s + k], p[a]));
    if (!same || (words && a == 0 && s > 0 && IsWordChar(t[s - 1]))) {
      if (!retry()) return 0;
      continue;
    }
    ++a;
    ++k;
  }
}

// The rules step by step, and the same for the 8-bit names of images
// (Windows-1252 bytes, some folding to characters the code page lacks).
TEST(PlainMatch, AgreesWithTheStepwiseRules) {
  const wchar_t patternChars[] = L"ab?*A_ \u00e9\u00c9.\u0161\u03bc\u0178";
  const wchar_t textChars[] = L"abAB_ .\u00e9\u00c9x\u0160\u0161\u00b5\u00ff";
  std::mt19937 rng(42);
  for (int i = 0; i < 200000; ++i) {
    std::wstring p, t;
    for (int n = static_cast<int>(rng() % 9); n > 0; --n)
      p += patternChars[rng() % (std::size(patternChars) - 1)];
    for (int n = static_cast<int>(rng() % 12); n > 0; --n)
      t += textChars[rng() % (std::size(textChars) - 1)];
    if (rng() % 8 == 0 && !p.empty()) {
      // Parts longer than one 64-bit word.
      p.insert(rng() % p.size(), std::wstring(70, L'a'));
      t += std::wstring(75, L'a');
    }
    const uint32_t flags = rng() % 4;
    const int expected = StepwiseMatch(flags, t, p);
    ASSERT_EQ(PlainMatch(flags, t, p), expected)
        << "flags " << flags << " pattern length " << p.size() << " text length " << t.size();
    ASSERT_EQ(PlainPattern(flags, p).MatchCp1252(ToCp1252(t)), expected) << "8-bit text";
  }
}

}  // namespace
}  // namespace tarnix
