#include "symbolsearch/command_line.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"
#include "support/temp_dir.h"

namespace tarnix {
namespace {

struct Parsed {
  CommandLineState state;
  std::vector<std::wstring> log;
};

Parsed Parse(std::vector<std::wstring> args) {
  Parsed p;
  p.state = ParseCommandLine(args, [&](const std::wstring& t) { p.log.push_back(t); });
  return p;
}

std::wstring W(const std::filesystem::path& p) { return FromUtf8(p.string()); }

TEST(CommandLine, SwitchNamesAndValueRules) {
  auto p = Parse({L"/isf", L"1", L"-SNRX", L"1", L"/li", L"255", L"/pa", L"7", L"-fncs", L"5",
                  L"/pess", L"18446744073709551615", L"/auto", L"257"});
  EXPECT_TRUE(p.log.empty());
  EXPECT_EQ(p.state.values.isf, 1u);
  EXPECT_EQ(p.state.values.snrx, 1u);
  EXPECT_EQ(p.state.values.li, 0x7Fu);
  EXPECT_EQ(p.state.values.pa, 2u);
  EXPECT_EQ(p.state.values.fncs, 1u);
  EXPECT_EQ(p.state.values.pess, 0x80003FFFull);
  EXPECT_EQ(p.state.autoActions, 257u);
}

TEST(CommandLine, MalformedMissingAndUnknownValues) {
  auto p = Parse({L"/isf", L"010", L"/sf", L"0x10", L"/bogus", L"/RestartByRestartManager:XYZ",
                  L"/li"});
  EXPECT_EQ(p.state.values.isf, 0u);
  EXPECT_EQ(p.state.values.sf, 1u);
  std::vector<std::wstring> want = {
      L"Parameter value is malformed: (p=1) /isf=010",
      L"Unrecognized parameter: (p=1) /isf",
      L"Unrecognized parameter: (p=2) 010",
      L"Parameter value is malformed: (p=3) /sf=0x10",
      L"Unrecognized parameter: (p=3) /sf",
      L"Unrecognized parameter: (p=4) 0x10",
      L"Unrecognized parameter: (p=5) /bogus",
      L"Parameter value is required: (p=7) /li",
      L"Unrecognized parameter: (p=7) /li",
  };
  EXPECT_EQ(p.log, want);
}

TEST(CommandLine, PositionalFoldersAndFiles) {
  test::TempDir dir;
  auto a = dir.Write("one/a.dll", "x");
  auto b = dir.Write("one/b.dll", "x");
  auto c = dir.Write("two/c.dll", "x");
  auto p = Parse({W(a), W(dir.path() / "two"), W(b), W(c), W(dir.path() / "missing"), L"/isf", L"1"});
  EXPECT_EQ(p.state.folder, W(dir.path() / "one") + L"/");
  EXPECT_EQ(p.state.fileNames, (std::vector<std::wstring>{L"a.dll", L"b.dll"}));
  EXPECT_EQ(p.state.values.isf, 1u);
  ASSERT_EQ(p.log.size(), 3u);
  EXPECT_EQ(p.log[0].rfind(L"p=5, path=\"", 0), 0u);
  EXPECT_EQ(p.log[1].rfind(L"Too many folders to open: cntFldrs=2, cmdLine: ", 0), 0u);
  EXPECT_EQ(p.log[2].rfind(L"Folder will be skipped: path=\"" + W(dir.path() / "two") + L"/\"", 0), 0u);
}

// A folder that does not exist stays the folder (the search's check names
// it); the search texts are taken wherever they stand.
TEST(CommandLine, MissingFolderIsKeptAndSearchTextsAreTaken) {
  test::TempDir dir;
  auto p = Parse({L"--for", L"RegOpenKeyExW", W(dir.path() / "absent"), L"/auto", L"1", L"--name", L"*.dll"});
  EXPECT_EQ(p.state.folder, W(dir.path() / "absent") + L"/");
  EXPECT_TRUE(p.log.empty());
  EXPECT_EQ(p.state.autoActions, 1u);
  EXPECT_EQ(p.state.searchFor, std::optional<std::wstring>(L"RegOpenKeyExW"));
  EXPECT_EQ(p.state.name, std::optional<std::wstring>(L"*.dll"));
  auto none = Parse({W(dir.path()), L"--for"});
  EXPECT_FALSE(none.state.searchFor);
  EXPECT_EQ(none.log, std::vector<std::wstring>{L"Parameter value is required: (p=2) --for"});
}

TEST(CommandLine, AbsolutePathsAreNotSwitchesAndVariablesExpand) {
  test::TempDir dir;
  setenv("TARNIX_TEST_DIR", dir.path().c_str(), 1);
  auto p = Parse({L"%TARNIX_TEST_DIR%", W(dir.path()), L"/li", L"1"});
  EXPECT_EQ(p.state.folder, W(dir.path()) + L"/");
  EXPECT_TRUE(p.log.empty());
  EXPECT_EQ(p.state.values.li, 1u);
}

TEST(CommandLine, ComposeQuotesPathsAndLeavesOutDefaults) {
  CommandLineValues v;
  v.isf = 1;
  auto text = ComposeCommandLine(1, {L"/a b/x.dll", L"/A B/y.dll"}, &v);
  ASSERT_TRUE(text);
  EXPECT_EQ(*text, L"\"/a b/x.dll\" \"/A B/y.dll\" /auto 1 /isf 1");

  v = CommandLineValues{};
  v.pa = 2;
  v.pett = 1700000000;
  EXPECT_EQ(*ComposeCommandLine(0, {}, &v), L"/auto 0 /pa 2 /pett 1700000000");

  EXPECT_FALSE(ComposeCommandLine(0, {L"/a/x.dll", L"/b/y.dll"}, &v));
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_COMPOSE);
  EXPECT_FALSE(ComposeCommandLine(0, {}, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_NOTHING_ENTERED);
}

TEST(CommandLine, ComposedLineParsesBack) {
  CommandLineValues v;
  v.li = 0x41;
  v.pecm = 0x2000000;
  v.petf = 5;
  auto args = ComposeArguments(1, {}, &v);
  ASSERT_TRUE(args);
  auto p = Parse(*args);
  EXPECT_TRUE(p.log.empty());
  EXPECT_EQ(p.state.values, v);
  EXPECT_EQ(p.state.autoActions, 1u);
}

// A window's criteria composed for another instance come back as the same
// criteria; the PE filters travel only while their group is shown.
TEST(CommandLine, CriteriaTravelThroughTheSwitches) {
  SearchCriteriaInput in;
  in.includeSubfolders = true;
  in.fileName.caseSensitive = true;
  in.search.regex = true;
  in.searchFor = 2;
  in.presentAs = 2;
  in.lookIn = 0x41;
  in.imageTypes = 3;
  in.characteristicsMask = 0x2000;
  in.timeStampFrom = SwitchSecondsToFileTime(1700000000);
  in.timeStampTo = SwitchSecondsToFileTime(1700000000) + 9999999;  // seconds are floored
  EXPECT_EQ(SwitchValuesOf(in).petp, 0u);
  in.peFiltersShown = true;
  const CommandLineValues v = SwitchValuesOf(in);
  auto p = Parse(*ComposeArguments(0, {}, &v));
  EXPECT_EQ(p.state.values, v);
  EXPECT_EQ(v.isf + v.fncs + v.snrx, 3u);
  EXPECT_EQ(v.sf, 2u);
  EXPECT_EQ(v.li, 0x41u);
  EXPECT_EQ(v.petp, 3u);
  EXPECT_EQ(v.pecm, 0x2000u);
  EXPECT_EQ(v.petf, 1700000000u);
  EXPECT_EQ(v.pett, 1700000000u);
}

TEST(CommandLine, SwitchTimesOutOfRange) {
  EXPECT_EQ(SwitchSecondsToFileTime(0), 0u);
  EXPECT_EQ(SwitchSecondsToFileTime(1), 116444736010000000u);
  // No overflow: past the last file time gives the last one, which the
  // criteria checks refuse.
  EXPECT_EQ(SwitchSecondsToFileTime(UINT64_MAX), UINT64_MAX);
  EXPECT_EQ(SwitchSecondsToFileTime(1844674407370ull), UINT64_MAX);
  uint32_t seconds = 0;
  EXPECT_FALSE(FileTimeToTimeStampSeconds(SwitchSecondsToFileTime(UINT64_MAX), seconds));
  // A time before 1970 has no switch value.
  EXPECT_EQ(FileTimeToSwitchSeconds(1), 0u);
  EXPECT_EQ(FileTimeToSwitchSeconds(0), 0u);
}

TEST(CommandLine, ExecutableChoices) {
  EXPECT_TRUE(ExecutablePath(0));
  EXPECT_FALSE(ExecutablePath(1));
  EXPECT_EQ(GetLastError(), ERROR_NO_SUCH_BUILD);
  EXPECT_FALSE(ExecutablePath(2));
}

}  // namespace
}  // namespace tarnix
