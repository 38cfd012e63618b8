#include <gtest/gtest.h>

#include <thread>

#include "core/error_text.h"
#include "errmsg/message_languages.h"
#include "errmsg/message_matcher.h"
#include "errmsg/message_search_lines.h"
#include "errmsg/range_set.h"
#include "message_search_fixture.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

using namespace tarnix::test;

MessageSearchParams Params(std::wstring word, std::vector<ErrorRange> ranges,
                           MessageLookup lookup = MessageLookup::kTableCodes) {
  MessageSearchParams p;
  p.word = std::move(word);
  p.ranges = std::move(ranges);
  p.language = 0x400;
  p.lookup = lookup;
  return p;
}

constexpr MessageLookup kBothLookups[] = {MessageLookup::kTableCodes, MessageLookup::kEveryCode};

TEST(MessageSearch, AccessOverFiveToFiveGivesHeaderAndOneLine) {
  SystemFolder system({MessageTableResource(
      0x409, {{4, 6,
               {MessageEntry(u"Too many open files.\r\n"), MessageEntry(u"Access is denied.\r\n"),
                MessageEntry(u"The handle is invalid.\r\n")}}})});
  for (MessageLookup lookup : kBothLookups) {
    SearchOutcome out = RunSearch(Params(L"Access", {Range(5, 5)}, lookup));
    EXPECT_TRUE(out.completed);
    EXPECT_EQ(out.lines, (std::vector<std::wstring>{L"Code\tWin32 Errors", L"",
                                                    L"5\t= Access is denied."}));
    EXPECT_EQ(out.matches, 1u);
    EXPECT_EQ(out.processed, 1u);
  }

  // The transcript the results window holds around the worker's lines.
  MessageSearchParams p = Params(L"Access", {Range(5, 5)});
  std::vector<std::wstring> shown;
  MessageSearchTranscript transcript([&](const std::wstring& l) { shown.push_back(l); });
  transcript.Begin(p);
  for (const std::wstring& l : RunSearch(p).lines) transcript.Line(l);
  transcript.Finish(true, 1, 61001);
  EXPECT_EQ(shown, (std::vector<std::wstring>{
                       L"SearchWord: \"Access\", Range: {Win32:[5 to 5]}, Regex: No, "
                       L"CaseSensitive: No, WholeWords: No, Language: English (United States)",
                       kResultsSeparator, L"Code\tWin32 Errors", L"", L"5\t= Access is denied.",
                       kResultsSeparator, L"Search finished, found 1 match(es) in 1m:1s:001ms."}));

  // Without results one separator only; regex mode leaves out whole words.
  shown.clear();
  p.regex = true;
  p.caseSensitive = true;
  transcript.Begin(p);
  transcript.Finish(false, 0, 0);
  EXPECT_EQ(shown, (std::vector<std::wstring>{
                       L"SearchWord: \"Access\", Range: {Win32:[5 to 5]}, Regex: Yes, "
                       L"CaseSensitive: Yes, Language: English (United States)",
                       kResultsSeparator, L"Search was aborted..."}));
}

TEST(MessageSearch, CodeTextFormMatchesAnHresultOfFacility7) {
  SystemFolder system({MessageTableResource(
      0x409, {{14, 14, {MessageEntry(u"Not enough memory resources are available.\r\n")}}})});
  const std::vector<std::wstring> found = {
      L"Code\t\tWin32 Facility Errors [FACILITY_WIN32]", L"",
      L"0x8007000E\t= Not enough memory resources are available. "};
  for (MessageLookup lookup : kBothLookups) {
    // The walk over every code is slow; it gets the facility's first codes.
    ErrorRange facility7 = HresultFacilityRange(7);
    if (lookup == MessageLookup::kEveryCode) facility7.codeTo = 0x800700FF;
    MessageSearchParams p = Params(L"0x8007000E", {facility7}, lookup);
    EXPECT_EQ(RunSearch(p).lines, found);
    p.word = L"0x8007000e";
    EXPECT_EQ(RunSearch(p).lines, found);
    p.caseSensitive = true;
    SearchOutcome strict = RunSearch(p);
    EXPECT_TRUE(strict.lines.empty());
    EXPECT_EQ(strict.processed, RangeCodeCount(facility7));
    // A code without any message stays silent even when its text matches.
    p = Params(L"0x80070063", {facility7}, lookup);
    EXPECT_TRUE(RunSearch(p).lines.empty());
  }
}

TEST(MessageSearch, ModuleProblemsAreReportedAndTheRangeSearchedAgainstTheSystem) {
  SystemFolder system({MessageTableResource(0x409, {{5, 5, {MessageEntry(u"Access is denied.")}}})});
  const std::filesystem::path own =
      system.Add("own.dll", {MessageTableResource(0x409, {{5, 5, {MessageEntry(u"Own access.")}}})});
  const std::wstring missing = FromUtf8((system.path() / "missing.dll").string());
  for (MessageLookup lookup : kBothLookups) {
    MessageSearchParams p = Params(
        L"access", {Range(5, 5, kRangeModuleAbsolute, missing, L"Missing"),
                    Range(5, 5, kRangeModuleSystem, L"sub/own.dll", L"Named with a path"),
                    Range(5, 5, kRangeModuleAbsolute, L"own.dll", L"Relative"),
                    Range(5, 5, kRangeModuleSystem, L"OWN.DLL", L"System module"),
                    Range(5, 5, kRangeModuleAbsolute, FromUtf8(own.string()), L"Absolute")},
        lookup);
    p.systemFolder = system.path();
    SearchOutcome out = RunSearch(p);
    ASSERT_EQ(out.lines.size(), 22u);
    EXPECT_EQ(out.lines[0].rfind(L"ERROR: Module=\"" + missing + L"\": (", 0), 0u) << out.lines[0];
    EXPECT_EQ(out.lines[1],
              L"ERROR: Module must be specified by system file name only: \"sub/own.dll\"");
    EXPECT_EQ(out.lines[2], L"ERROR: Module must be specified using absolute path: \"own.dll\"");
    const std::vector<std::wstring> rest(out.lines.begin() + 3, out.lines.end());
    EXPECT_EQ(rest, (std::vector<std::wstring>{
                        L"Code\tMissing", L"", L"5\t= Access is denied.", L"",
                        L"Code\tNamed with a path", L"", L"5\t= Access is denied.", L"",
                        L"Code\tRelative", L"", L"5\t= Access is denied.", L"",
                        L"Code\tSystem module", L"", L"5\t= Own access.", L"",
                        L"Code\tAbsolute", L"", L"5\t= Own access."}));
    EXPECT_EQ(out.matches, 5u);
  }
}

TEST(MessageMatcher, PlainAndRegexModes) {
  MessageMatcher m;
  std::wstring error;
  m.Prepare(L"a||  ||b", true, false, false, kGrammarECMAScript);
  ASSERT_TRUE(m.Usable());
  EXPECT_EQ(m.componentCount(), 2u);
  EXPECT_EQ(m.Match(L"xB", error), MessageMatcher::kMatch);
  EXPECT_EQ(m.Match(L"zz", error), MessageMatcher::kNoMatch);
  EXPECT_FALSE(m.MatchCanFail());

  // A text the engine cannot decide within its bound is a matching error,
  // unless a later component finds it; a code's text form is always decided
  // but with deeply nested lookaheads.
  m.Prepare(L"(?=.*x) || denied", true, false, false, kGrammarECMAScript);
  EXPECT_FALSE(m.MatchCanFail());
  const std::wstring longText(10000, L'a');
  EXPECT_EQ(m.Match(longText, error), MessageMatcher::kError);
  EXPECT_EQ(error.rfind(L"Regex: \"(?=.*x)\", (11) ", 0), 0u) << error;
  EXPECT_EQ(m.Match(longText + L" denied", error), MessageMatcher::kMatch);
  m.Prepare(L"(?=(?=(?=(?=(?=(?=(?=(?=.*x))))))))", true, false, false, kGrammarECMAScript);
  EXPECT_TRUE(m.MatchCanFail());

  m.Prepare(L"ok||(", true, false, false, kGrammarECMAScript);
  EXPECT_FALSE(m.Usable());
  EXPECT_EQ(m.failedComponent(), L"(");
  EXPECT_NE(m.regexErrorCode(), -1);

  // Plain mode: "||" is text, wildcards, whole words, case.
  m.Prepare(L"access", false, false, true, kGrammarECMAScript);
  EXPECT_EQ(m.Match(L"Access is denied.", error), MessageMatcher::kMatch);
  EXPECT_EQ(m.Match(L"Not accessible.", error), MessageMatcher::kNoMatch);
  m.Prepare(L"a||b", false, true, false, kGrammarECMAScript);
  EXPECT_EQ(m.Match(L"x a||b y", error), MessageMatcher::kMatch);
  EXPECT_EQ(m.Match(L"A||B", error), MessageMatcher::kNoMatch);
  m.Prepare(L"", false, false, false, kGrammarECMAScript);
  EXPECT_FALSE(m.Usable());

  // A worker whose word does not compile ends without a line.
  SystemFolder system({MessageTableResource(0x409, {{5, 5, {MessageEntry(u"Access")}}})});
  MessageSearchParams p = Params(L"(", {Range(5, 5)});
  p.regex = true;
  SearchOutcome out = RunSearch(p);
  EXPECT_FALSE(out.completed);
  EXPECT_TRUE(out.lines.empty());
}

TEST(MessageSearch, StartRefusesMissingParametersAndASecondSearch) {
  MessageSearch search;
  StopFlag stop{kStopStop};
  MessageSearchCounters counters;
  QueueMessageTarget target(4, 0);
  MessageSearchParams p = Params(L"", {Range(0, 0xFFFFFFFF)});
  p.stop = &stop;
  p.target = &target;
  p.counters = &counters;
  EXPECT_FALSE(StartMessageSearch(search, p));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  p.word = L"x";
  p.grammar = 0x40;
  EXPECT_FALSE(StartMessageSearch(search, p));
  p.grammar = kGrammarECMAScript;
  p.lookup = MessageLookup::kEveryCode;  // long enough to be still running
  ASSERT_TRUE(StartMessageSearch(search, p));
  EXPECT_EQ(stop.load(), kStopRun);  // reset by the start
  EXPECT_FALSE(StartMessageSearch(search, p));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_ASSIGNED);
  stop = kStopStop;
  // The queue is drained while waiting: on a slow machine it may be full of
  // progress messages, and the worker keeps offering its last one.
  PostedMessage msg;
  bool ended = false;
  for (int i = 0; i < 100 && !ended; ++i)
    while (!ended && target.Take(msg, std::chrono::milliseconds(100)))
      if (msg.id == kMsgErrMsgEnded) ended = msg.wParam == 0;
  EXPECT_TRUE(ended);
  ASSERT_TRUE(search.Wait(std::chrono::seconds(5)));
}

// Code n has the message "Message n", so every code posts one line.
std::vector<Resource> NumberedMessages(uint32_t count) {
  MessageBlock block{1, count, {}};
  for (uint32_t n = 1; n <= count; ++n) {
    const std::string text = "Message " + std::to_string(n);
    block.entries.push_back(MessageEntry(std::u16string(text.begin(), text.end())));
  }
  return {MessageTableResource(0x409, {block})};
}

// The code of the first (or last) result line of a posted batch of lines;
// 0 when it has none.
uint32_t CodeOfLine(const PostedMessage& msg, bool last = false) {
  const auto* lines = msg.As<std::vector<std::wstring>>();
  uint32_t code = 0;
  if (lines)
    for (const std::wstring& line : *lines)
      if (!line.empty() && iswdigit(line[0])) {
        code = static_cast<uint32_t>(std::stoul(line));
        if (!last) break;
      }
  return code;
}

TEST(MessageSearch, PauseHoldsTheWorkerResumeGoesOnStopWhilePausedEnds) {
  SystemFolder system(NumberedMessages(3000));
  for (MessageLookup lookup : kBothLookups) {
    MessageSearch search;
    StopFlag stop{kStopRun};
    MessageSearchCounters counters;
    QueueMessageTarget target(8, 0);
    MessageSearchParams p = Params(L"Message", {Range(1, 100000)}, lookup);
    p.stop = &stop;
    p.target = &target;
    p.counters = &counters;
    ASSERT_TRUE(StartMessageSearch(search, p));

    PostedMessage msg;
    uint32_t last = 0;
    while (last < 50 && target.Take(msg, std::chrono::seconds(5)))
      if (uint32_t code = CodeOfLine(msg, true)) last = code;
    ASSERT_GE(last, 50u);
    stop = kStopPause;
    // What was under way still arrives; then nothing.
    while (target.Take(msg, std::chrono::milliseconds(300)))
      if (uint32_t code = CodeOfLine(msg, true)) last = code;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(target.size(), 0u);
    EXPECT_TRUE(search.Running());

    stop = kStopRun;
    uint32_t next = 0;
    while (!next && target.Take(msg, std::chrono::seconds(5))) next = CodeOfLine(msg);
    EXPECT_EQ(next, last + 1);

    stop = kStopPause;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    stop = kStopStop;
    bool ended = false, completed = true;
    while (!ended && target.Take(msg, std::chrono::seconds(5)))
      if (msg.id == kMsgErrMsgEnded) {
        ended = true;
        completed = msg.wParam != 0;
      }
    EXPECT_TRUE(ended);
    EXPECT_FALSE(completed);
    EXPECT_TRUE(search.Wait(std::chrono::seconds(1)));
    EXPECT_EQ(counters.processed, 0u);  // set only by a search that completes
  }
}

TEST(MessageSearchLines, ProgressLabels) {
  EXPECT_EQ(MessageSearchProgressLabel(0, 50.0f), L"50.000%    Win32 Errors");
  EXPECT_EQ(MessageSearchProgressLabel(0x80070005, 12.5f), L"12.500%    Win32 Facility");
  EXPECT_EQ(MessageSearchProgressLabel(0x87FF0000, 0.25f), L"0.250%    ");
  PostedMessage msg{kMsgErrMsgLabel, 0x80030001, std::bit_cast<uint32_t>(99.5f), nullptr};
  EXPECT_EQ(MessageSearchProgressLabel(msg), L"99.500%    OLE Storage");
}

TEST(MessageLanguages, FixedEntriesThenTheTablesLanguages) {
  {
    SystemFolder system({MessageTableResource(0x409, {{5, 5, {MessageEntry(u"Denied.")}}}),
                         MessageTableResource(0x407, {{5, 5, {MessageEntry(u"Verweigert.")}}}),
                         MessageTableResource(0x40C, {{5, 5, {MessageEntry(u"Refus\u00E9.")}}})});
    const std::vector<MessageLanguage> list = MessageLanguageList();
    ASSERT_EQ(list.size(), 6u);
    EXPECT_EQ(list[0].text, L"User Default: English (United States)");
    EXPECT_EQ(list[0].id, 0x400u);
    EXPECT_EQ(list[1].text, L"Neutral");
    EXPECT_EQ(list[2].text, L"English (US)");
    EXPECT_EQ(list[3].id, kLanguageSeparatorId);
    EXPECT_EQ(list[4].text, L"[fr-FR] French (France)");
    EXPECT_EQ(list[5].text, L"[de-DE] German (Germany)");
    EXPECT_EQ(SelectMessageLanguage(list, 0x407), 5u);
    EXPECT_EQ(SelectMessageLanguage(list, kLanguageSeparatorId), 0u);
    EXPECT_EQ(SelectMessageLanguage(list, 0x1234), 0u);

    // A German search finds the German text.
    MessageSearchParams p = Params(L"verweigert", {Range(5, 5)});
    p.language = 0x407;
    EXPECT_EQ(RunSearch(p).lines.back(), L"5\t= Verweigert.");
  }
  // Without tables only the fixed entries remain.
  EXPECT_EQ(MessageLanguageList().size(), 3u);
}

}  // namespace
}  // namespace tarnix
