// The regex tester's evaluation: lines, components, texts, undecided lines
// and the runner's newest-request-wins delivery.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "tools/regex_trial.h"

namespace tarnix {
namespace {

RegexTrialResult Eval(const std::wstring& expression, const std::wstring& text, bool caseSensitive = false,
                      uint32_t grammar = 1) {
  RegexTrialRequest r;
  r.expression = expression;
  r.text = text;
  r.caseSensitive = caseSensitive;
  r.grammar = grammar;
  return EvaluateRegexTrial(r);
}

TEST(RegexTrial, EmptyExpressionMatchesEveryLine) {
  const RegexTrialResult r = Eval(L"  ||  ", L"a\r\n\r\nb\n");
  EXPECT_EQ(RegexTrialResultsText(r), L"Match\r\nMatch\r\nMatch\r\nMatch");
  bool isError = true;
  EXPECT_EQ(RegexTrialStatusText(r, isError).substr(0, 24), L"Evaluated regex within 0");
  EXPECT_FALSE(isError);
}

TEST(RegexTrial, CompileErrorNamesTheComponentAndLeavesEveryLineUnknown) {
  const RegexTrialResult r = Eval(L"abc || (", L"abc\nx");
  EXPECT_EQ(r.failedComponent, 1);
  EXPECT_EQ(RegexTrialResultsText(r), L"?\r\n?");
  bool isError = false;
  const std::wstring status = RegexTrialStatusText(r, isError);
  EXPECT_TRUE(isError);
  EXPECT_EQ(status.substr(0, 21), L"Error: [Component 2] ") << status;
  EXPECT_EQ(status.substr(21), r.compileError);
  // In basic POSIX the same "(" is an ordinary character.
  EXPECT_EQ(RegexTrialResultsText(Eval(L"abc || (", L"(\ny", false, 2)), L"Match\r\nNo Match");
}

TEST(RegexTrial, CaseAndSearchAnywhere) {
  EXPECT_EQ(RegexTrialResultsText(Eval(L"x", L"x\n\nX", true)), L"Match\r\nNo Match\r\nNo Match");
  EXPECT_EQ(RegexTrialResultsText(Eval(L"x", L"x\n\nX", false)), L"Match\r\nNo Match\r\nMatch");
  EXPECT_EQ(RegexTrialResultsText(Eval(L"b", L"abc")), L"Match");
  const RegexTrialResult two = Eval(L"a || b", L"a\nb\nc");
  EXPECT_EQ(RegexTrialResultsText(two), L"Match\r\nMatch\r\nNo Match");
  bool isError;
  EXPECT_NE(RegexTrialStatusText(two, isError).find(L"as 2 component(s)."), std::wstring::npos);
}

TEST(RegexTrial, UndecidedLinesAreNotNonMatchesAndLaterComponentsStillTry) {
  RegexTrialRequest r;
  // The second component cannot decide a long line within a tiny bound.
  r.expression = L"^start || (?=.*z)";
  r.text = L"start" + std::wstring(300, L'a') + L"\n" + std::wstring(300, L'a') + L"\nq";
  r.workBound = 200;
  RegexTrialResult result = EvaluateRegexTrial(r);
  // Line 1 is matched by the first component and never given to the second.
  ASSERT_EQ(result.states, (std::vector<int>{kLineMatch, kLineUndecided, kLineNoMatch}));
  EXPECT_EQ(RegexTrialResultsText(result), L"Match\r\nUndecided\r\nNo Match");
  bool isError;
  EXPECT_NE(RegexTrialStatusText(result, isError).find(L"1 line(s) undecided"), std::wstring::npos);
  // An undecided line that a later component matches is a match.
  r.expression = L"(?=.*z) || a";
  result = EvaluateRegexTrial(r);
  EXPECT_EQ(result.states[1], kLineMatch);
  EXPECT_EQ(result.undecided, 0u);
}

TEST(RegexTrialRunner, DeliversOnlyTheNewestRequest) {
  std::mutex m;
  std::condition_variable cv;
  std::vector<std::pair<uint64_t, RegexTrialResult>> got;
  RegexTrialRunner runner([&](uint64_t ticket, RegexTrialResult r) {
    std::lock_guard<std::mutex> l(m);
    got.emplace_back(ticket, std::move(r));
    cv.notify_all();
  });
  // A slow evaluation: many lines that each take the whole work bound.
  RegexTrialRequest slow;
  slow.expression = L"(?=.*z)";
  for (int i = 0; i < 10000; ++i) slow.text += std::wstring(200, L'a') + L"\n";
  runner.Submit(slow);
  RegexTrialRequest quick;
  quick.expression = L"b";
  quick.text = L"abc";
  const uint64_t last = runner.Submit(quick);
  std::unique_lock<std::mutex> l(m);
  ASSERT_TRUE(cv.wait_for(l, std::chrono::seconds(60), [&] { return !got.empty(); }));
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].first, last);
  EXPECT_EQ(got[0].second.states, std::vector<int>{kLineMatch});
}

}  // namespace
}  // namespace tarnix
