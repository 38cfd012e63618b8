// The composer's expressions, the messages of its window's rows, and
// reading composed expressions back into the same rows.
#include <gtest/gtest.h>

#include "tools/regex_composer.h"

namespace tarnix {
namespace {

std::wstring Compose(int mode, const std::vector<ComposerWord>& words) {
  std::wstring out;
  EXPECT_TRUE(ComposeRegex(mode, words, out)) << out;
  return out;
}

ComposerWord W(const wchar_t* word, int left = 0, int right = 0, bool begin = false, bool end = false) {
  return ComposerWord{begin, left, word, right, end};
}

TEST(ComposeRegex, TheThreeModes) {
  EXPECT_EQ(Compose(1, {W(L"a.b", 22, 22), W(L"c")}), L"(\\ba\\.b\\b)|(c)");
  EXPECT_EQ(Compose(2, {W(L"x"), W(L"y")}), L"^(?=.*x)(?=.*y)");
  EXPECT_EQ(Compose(3, {W(L"x", 0, 0, true), W(L"y", 0, 0, false, true)}), L"^x.*y$");
  // Every special character is escaped.
  EXPECT_EQ(Compose(1, {W(L"[\\^$.|?*+(){}]")}), L"\\[\\\\\\^\\$\\.\\|\\?\\*\\+\\(\\)\\{\\}]");
}

TEST(ComposeRegex, AnyCharacterConditionsOnlyForAWordOnItsOwn) {
  // A single word is composed as in mode 1 whatever the mode, and keeps them.
  EXPECT_EQ(Compose(2, {W(L"x", 1)}), L".x");
  EXPECT_EQ(Compose(7, {W(L"x", 3, 2)}), L".+x.*");
  EXPECT_EQ(Compose(2, {W(L"x", 1, 6), W(L"y", 2, 3)}), L"^(?=.*x\\s+)(?=.*y)");
  EXPECT_EQ(Compose(3, {W(L"x", 3, 17), W(L"y", 1)}), L"x\\d*.*y");
  EXPECT_EQ(ComposerConditionsOffered(1).size(), 24u);
  const std::vector<int> combined = ComposerConditionsOffered(3);
  EXPECT_EQ(combined.size(), 21u);
  EXPECT_EQ(combined[0], 0);
  EXPECT_EQ(combined[1], 4);
}

TEST(ComposeRegex, Errors) {
  std::wstring out;
  EXPECT_FALSE(ComposeRegex(1, {W(L"x", 24)}, out));
  EXPECT_EQ(out, L"Bad LEFT word condition: 24");
  EXPECT_FALSE(ComposeRegex(1, {W(L"x"), W(L"y", 0, 99)}, out));
  EXPECT_EQ(out, L"Bad RIGHT word condition: 99");
  EXPECT_FALSE(ComposeRegex(0, {W(L"x"), W(L"y")}, out));
  EXPECT_EQ(out, L"Bad matching_of type: 0");
  EXPECT_TRUE(ComposeRegex(0, {W(L"x")}, out));
}

TEST(ComposeFromRows, MessagesInTheWindowsOrder) {
  std::wstring out;
  std::vector<ComposerRow> rows(5);
  EXPECT_FALSE(ComposeFromRows(0, rows, out));
  EXPECT_EQ(out, L"Select 'For matching of' control");
  EXPECT_FALSE(ComposeFromRows(1, rows, out));
  EXPECT_EQ(out, L"Specify at least one search word");
  rows[3].word = L"  tail ";
  rows[1].word = L"head";
  rows[1].right = -1;
  EXPECT_FALSE(ComposeFromRows(1, rows, out));
  EXPECT_EQ(out, L"Select RIGHT condition for word 2");
  rows[1].right = 0;
  rows[3].left = -1;
  EXPECT_FALSE(ComposeFromRows(1, rows, out));
  EXPECT_EQ(out, L"Select LEFT condition for word 4");
  // A row without a word needs no condition; words are trimmed.
  rows[3].left = 0;
  rows[0].left = -1;
  EXPECT_TRUE(ComposeFromRows(3, rows, out));
  EXPECT_EQ(out, L"head.*tail");
}

TEST(DecomposeRegex, ComposedExpressionsComeBackAsTheSameRows) {
  const std::vector<std::pair<int, std::vector<ComposerWord>>> table = {
      {1, {W(L"a.b", 22, 22), W(L"c")}},
      {1, {W(L"x", 1, 3, true, true), W(L"y", 2), W(L"z", 0, 23), W(L"w\\s", 5, 9), W(L"q", 21, 20, false, true)}},
      {2, {W(L"x"), W(L"y")}},
      {2, {W(L"a b", 4, 12, true), W(L"(c)", 0, 0, false, true), W(L"^$", 18, 22)}},
      {3, {W(L"x", 0, 0, true), W(L"y", 0, 0, false, true)}},
      {3, {W(L"one", 6, 4), W(L"two", 0, 16), W(L"*+?", 13, 15), W(L"f", 7), W(L"g", 0, 0, true, true)}},
      {3, {W(L"alone", 3, 2, true, true)}},
      {3, {W(L"x.*y", 1, 0)}},
  };
  for (const auto& [mode, words] : table) {
    const std::wstring expression = Compose(mode, words);
    DecomposedRegex back;
    ASSERT_TRUE(DecomposeRegex(expression, back)) << expression;
    EXPECT_EQ(back.words, words) << expression;
    // A single word reads as the words-in-order shape, which composes it
    // alike, unless it needs a condition only "any one" offers.
    const bool anyCharacter = words[0].left >= 1 && words[0].left <= 3;
    EXPECT_EQ(back.mode, words.size() > 1 ? mode : anyCharacter ? 1 : 3) << expression;
    EXPECT_EQ(Compose(back.mode, back.words), expression);
  }
}

TEST(DecomposeRegex, RefusesWhatAlmostDecomposes) {
  DecomposedRegex out;
  out.mode = 2;
  for (const wchar_t* e : {
           L"",
           L"(a)|(b)|(c)|(d)|(e)|(f)",  // six words
           L"(a)|(\\s)",                // a word that is only a condition
           L"(a)|(b",                   // unbalanced
           L"(a))",
           L"a|b",
           L"[ab]",
           L"a{2}",
           L"a?",
           L"ab*",
           L"\\bx\\b*",
           L"a\\",
           L"^(?=.*x)(y)",              // later word of another shape
           L"^(?=.*.x)(?=.*y)",         // "Any character" in a combined word
           L"(a)(b)",
       }) {
    EXPECT_FALSE(DecomposeRegex(e, out)) << e;
  }
  EXPECT_EQ(out.mode, 2);  // untouched
  // A trailing ".*" is the word's condition, not a separator before nothing.
  ASSERT_TRUE(DecomposeRegex(L"x.*", out));
  EXPECT_EQ(out.words, std::vector<ComposerWord>{W(L"x", 0, 2)});
  EXPECT_EQ(out.mode, 1);
  EXPECT_FALSE(DecomposeRegex(std::wstring(257, L'a'), out));
  EXPECT_TRUE(DecomposeRegex(std::wstring(256, L'a'), out));
}

}  // namespace
}  // namespace tarnix
