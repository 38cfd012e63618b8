#include "symbolsearch/search_criteria.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/error_text.h"
#include "pe/look_in.h"
#include "platform/text_encoding.h"
#include "platform/time_utils.h"
#include "support/temp_dir.h"

namespace tarnix {
namespace {

class SearchCriteriaTest : public testing::Test {
 protected:
  SearchCriteriaTest() : dir_("criteria") {
    in_.folder = Folder();
    in_.searchFor = kSearchForSymbols;
    in_.presentAs = kPresentSymbolsInModules;
    in_.search.text = L"CreateFile";
  }
  std::wstring Folder() const { return FromUtf8(dir_.path().string()); }

  CriteriaOutcome Build(bool interactive = true) {
    return ValidateAndBuildSearch(in_, interactive, ask_, out_);
  }
  void ExpectRefused(CriteriaControl control, const std::wstring& message) {
    const CriteriaOutcome r = Build();
    EXPECT_FALSE(r.start);
    EXPECT_EQ(r.control, control);
    EXPECT_EQ(r.message, message);
  }

  test::TempDir dir_;
  SearchCriteriaInput in_;
  SearchParams out_;
  CriteriaQuestion ask_;
};

TEST_F(SearchCriteriaTest, ReadyRecord) {
  in_.folder = L"  " + Folder() + L"\t";
  in_.includeSubfolders = true;
  in_.fileName = {L" *.dll ", false, true, true};
  in_.search = {L" Create.*W$ || ^Reg ", true, true, false};
  in_.lookIn = kLookInExports | kLookInCppOnly;
  in_.regexGrammar = kGrammarExtended;
  in_.imageTypes = 2;  // ignored: the filter group is hidden
  const CriteriaOutcome r = Build();
  ASSERT_TRUE(r.start) << r.message;
  EXPECT_EQ(out_.folder, Folder() + L"/");
  EXPECT_TRUE(out_.includeSubfolders);
  EXPECT_EQ(out_.fileName.text, L"*.dll");
  EXPECT_TRUE(out_.fileName.caseSensitive);
  EXPECT_TRUE(out_.fileName.wholeWords);
  EXPECT_EQ(out_.search.text, L"Create.*W$ || ^Reg");
  EXPECT_TRUE(out_.search.regex);
  EXPECT_EQ(out_.searchFor, kSearchForSymbols);
  EXPECT_EQ(out_.lookIn, kLookInExports | kLookInCppOnly);
  EXPECT_EQ(out_.presentAs, kPresentSymbolsInModules);
  EXPECT_EQ(out_.regexGrammar, kGrammarExtended);
  EXPECT_EQ(out_.imageTypes, 0u);
}

TEST_F(SearchCriteriaTest, Folder) {
  in_.folder = L" \t ";
  ExpectRefused(CriteriaControl::kFolder, L"Provide a folder path to search");

  // Environment variables are expanded and a separator is appended.
  setenv("TARNIX_CRITERIA_DIR", dir_.path().c_str(), 1);
  in_.folder = L"%TARNIX_CRITERIA_DIR%";
  ASSERT_TRUE(Build().start);
  EXPECT_EQ(out_.folder, Folder() + L"/");
  std::filesystem::create_directories(dir_.path() / "sub");
  in_.folder = L"%TARNIX_CRITERIA_DIR%/sub";
  ASSERT_TRUE(Build().start);
  EXPECT_EQ(out_.folder, Folder() + L"/sub/");
  unsetenv("TARNIX_CRITERIA_DIR");

  in_.folder = Folder() + L"/missing";
  ExpectRefused(CriteriaControl::kFolder,
                L"Failed to find the following search folder:\n\n" + Folder() +
                    L"/missing/\n\n" + ErrorText(2));
  const auto file = dir_.Write("notes.txt", "x");
  in_.folder = FromUtf8(file.string());
  const CriteriaOutcome r = Build();
  EXPECT_FALSE(r.start);
  EXPECT_EQ(r.control, CriteriaControl::kFolder);
  EXPECT_EQ(r.message.rfind(L"Failed to find the following search folder:\n\n" +
                                FromUtf8(file.string()) + L"/\n\n(3) ", 0), 0u)
      << r.message;
}

TEST_F(SearchCriteriaTest, FileName) {
  in_.fileName.text = L"C:\\Windows\\notepad.exe";
  ExpectRefused(CriteriaControl::kFileName,
                L"'File Name' field must contain file name only.\n\n"
                L"The following is not accepted:\n\nC:\\Windows\\notepad.exe");
  in_.fileName.text = L"drivers\\*.sys";
  EXPECT_TRUE(Build().start);

  in_.fileName = {L"\\.exe$ || ([a-z]", true};
  const CriteriaOutcome r = Build();
  EXPECT_FALSE(r.start);
  EXPECT_EQ(r.control, CriteriaControl::kFileName);
  const std::wstring head =
      L"Failed to evaluate the regular expression for the 'File Name' search string:\n\n"
      L"\\.exe$ || ([a-z]\n\nSyntax: ECMAScript\n\nComponent: 2\nERROR: (";
  EXPECT_EQ(r.message.rfind(head, 0), 0u) << r.message;
  EXPECT_GT(r.message.size(), head.size() + 4);
}

TEST_F(SearchCriteriaTest, SearchForAndPresentation) {
  in_.searchFor = 0;
  ExpectRefused(CriteriaControl::kSearchFor, L"Select what to search for");
  in_.searchFor = 3;
  ExpectRefused(CriteriaControl::kSearchFor, L"Select what to search for");
  in_.searchFor = kSearchForSymbols;

  in_.search = {L"ok || a{", true};
  in_.regexGrammar = 0x20;
  const CriteriaOutcome r = Build();
  EXPECT_EQ(r.control, CriteriaControl::kSearchText);
  EXPECT_EQ(r.message.rfind(L"Failed to evaluate the regular expression for the 'Search For' "
                            L"search string:\n\nok || a{\n\nSyntax: Egrep POSIX\n\nComponent: 2\n"
                            L"ERROR: (", 0), 0u)
      << r.message;
  in_.search = {L"CreateFile"};

  in_.presentAs = 0;
  ExpectRefused(CriteriaControl::kPresentAs, L"Select how to present results");
  in_.searchFor = kSearchForImportLibs;
  in_.presentAs = kPresentSymbolsInModules;
  ExpectRefused(CriteriaControl::kPresentAs,
                L"Incorrect selection in 'Present Results As' control");
  in_.presentAs = kPresentModulesOnly;
  EXPECT_TRUE(Build().start);
}

TEST_F(SearchCriteriaTest, ChecksRunInOrder) {
  in_.folder = L"";
  in_.fileName.text = L"a:b";
  in_.searchFor = 0;
  ExpectRefused(CriteriaControl::kFolder, L"Provide a folder path to search");
  in_.folder = Folder();
  EXPECT_EQ(Build().control, CriteriaControl::kFileName);
}

TEST_F(SearchCriteriaTest, TimeStampBounds) {
  in_.peFiltersShown = true;
  in_.imageTypes = 1;
  in_.characteristicsMask = 0x2000000;
  in_.characteristicsValues = 0x2000001;
  const uint64_t second = UnixSecondsToFileTime(1600000000);
  in_.timeStampFrom = second + 1234;  // parts of a second are dropped
  in_.timeStampTo = second + 5678;
  ASSERT_TRUE(Build().start);
  EXPECT_EQ(out_.fromSeconds, 1600000000u);
  EXPECT_EQ(out_.toSeconds, 1600000000u);
  EXPECT_EQ(out_.imageTypes, 1u);
  EXPECT_EQ(out_.characteristicsValues, 0x2000001u);  // cut only when the search starts

  in_.timeStampFrom = UnixSecondsToFileTime(-1);
  ExpectRefused(CriteriaControl::kTimeStampFrom,
                L"PE Header Filter TimeStamp 'FROM' date is invalid");
  in_.timeStampFrom = 0;
  in_.timeStampTo = UnixSecondsToFileTime(0x100000000LL);
  ExpectRefused(CriteriaControl::kTimeStampTo, L"PE Header Filter TimeStamp 'TO' date is invalid");
  in_.timeStampTo = UnixSecondsToFileTime(0xFFFFFFFFLL);
  ASSERT_TRUE(Build().start);
  EXPECT_EQ(out_.toSeconds, 0xFFFFFFFFu);
  EXPECT_EQ(out_.fromSeconds, 0u);

  uint32_t s = 7;
  EXPECT_TRUE(FileTimeToTimeStampSeconds(kFileTimeOfUnixEpoch, s));
  EXPECT_EQ(s, 0u);
  EXPECT_FALSE(FileTimeToTimeStampSeconds(1, s));
}

TEST_F(SearchCriteriaTest, FromAfterToAsksFirst) {
  in_.peFiltersShown = true;
  in_.timeStampFrom = UnixSecondsToFileTime(2000);
  in_.timeStampTo = UnixSecondsToFileTime(1000);
  std::vector<std::wstring> asked;
  QuestionAnswer answer = QuestionAnswer::kYes;
  ask_ = [&](const std::wstring& text, uint32_t type, CriteriaControl focus) {
    asked.push_back(text);
    EXPECT_EQ(type, 0x133u);
    EXPECT_EQ(focus, CriteriaControl::kTimeStampTo);
    return answer;
  };
  EXPECT_TRUE(Build().start);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0],
            L"PE Header Filter TimeStamp 'FROM' date follows 'TO' date.\n\nDo you want to continue?");
  for (QuestionAnswer no : {QuestionAnswer::kNo, QuestionAnswer::kCancel}) {
    answer = no;
    const CriteriaOutcome r = Build();
    EXPECT_FALSE(r.start);
    EXPECT_TRUE(r.message.empty());
    EXPECT_EQ(r.control, CriteriaControl::kTimeStampTo);
  }
  // From the command line nothing is asked and the search starts.
  asked.clear();
  answer = QuestionAnswer::kNo;
  EXPECT_TRUE(Build(false).start);
  EXPECT_TRUE(asked.empty());
  // Equal bounds ask nothing.
  in_.timeStampTo = in_.timeStampFrom;
  EXPECT_TRUE(Build().start);
  EXPECT_TRUE(asked.empty());
}

TEST(SearchParams, PrepareStartCutsMasksAndDerivesMatchAll) {
  SearchParams p;
  EXPECT_EQ(p.regexGrammar, 0x601u);
  EXPECT_EQ(p.lastPostedProgress, UINT64_MAX);
  p.characteristicsMask = 0x2000000;
  p.characteristicsValues = 0x2000003;
  p.directoriesMask = 0x4000;
  p.directoriesValues = 0x4001;
  p.fileName = {L"*"};
  p.search = {L""};
  PrepareSearchStart(p, {false, true, 0x1000});
  EXPECT_EQ(p.characteristicsValues, 0x2000000u);
  EXPECT_EQ(p.directoriesValues, 0x4000u);
  EXPECT_TRUE(p.fileName.matchesAll);
  EXPECT_FALSE(p.search.matchesAll);
  EXPECT_FALSE(p.emptyMatchesAll);
  EXPECT_TRUE(p.undecorate);
  EXPECT_EQ(p.undecorationFlags, 0x1000u);
  PrepareSearchStart(p, {});
  EXPECT_TRUE(p.search.matchesAll);
}

}  // namespace
}  // namespace tarnix
