#include "symbolsearch/plain_match.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tarnix
