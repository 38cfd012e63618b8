// The main window's rules that need no window: the filter link texts, the
// line that describes a search, the finish texts, and dropped files.
#include <gtest/gtest.h>

#include "pe/look_in.h"
#include "symbolsearch/search_params.h"
#include "tools/dropped_files.h"
#include "tools/filter_link_text.h"
#include "tools/folder_entry.h"
#include "tools/results_count_text.h"
#include "tools/search_description.h"
#include "tools/search_finish.h"

namespace tarnix {
namespace {

TEST(FilterLinkText, ItemsInDialogOrderWithValuesAndUnnamedBits) {
  EXPECT_EQ(LookInLinkText(0), L"<a>All Available</a>");
  EXPECT_EQ(LookInLinkText(0x42), L"<a>Imports</a> | <a>C++ Only</a>");
  EXPECT_EQ(ImageTypeLinkText(0), L"<a>All Types</a>");
  EXPECT_EQ(ImageTypeLinkText(0x5), L"<a>32-bit</a> | <a>ROM Img</a>");
  EXPECT_EQ(SubsystemsLinkText(0), L"<a>All Subsystems</a>");
  // Boot comes first in the dialog's order, Xbox last.
  EXPECT_EQ(SubsystemsLinkText(0x1000 | 0x2000 | 0x4), L"<a>Boot</a> | <a>GUI</a> | <a>Xbox</a>");
  EXPECT_EQ(CharacteristicsLinkText(0x2000001, 0x2000000), L"<a>DEP</a>=0 | <a>Dll</a>=1");
  // A stored bit no row has survives as a number.
  EXPECT_EQ(CharacteristicsLinkText(0x8000000000000001ULL, 0), L"<a>DEP</a>=0 | <a>0x8000000000000000</a>");
  EXPECT_EQ(DirectoriesLinkText(0, 0), L"<a>All Available</a>");
}

TEST(FilterLinkText, ResourceDirectoryShowsItsTypes) {
  EXPECT_EQ(DirectoriesLinkText(0x800 | 0x4000, 0x4000), L"<a>Imports</a>=0 | <a>Rsrc</a>:{<a>Any</a>}");
  EXPECT_EQ(DirectoriesLinkText(0x4000 | 0x2000000 | 0x20000000, 0x4000 | 0x2000000),
            L"<a>Rsrc</a>:{<a>Bmp</a>=1 | <a>Str</a>=0}");
  EXPECT_EQ(DirectoriesLinkText(0x4000 | 0x2000000, 0x2000000), L"<a>Rsrc</a>=0");
}

TEST(FilterLinkText, TimeStamps) {
  EXPECT_EQ(TimeStampLinkText(0), L"Any Date");
  // 2022-06-18 04:26:40 UTC in the user's short date and time.
  EXPECT_NE(TimeStampLinkText(133000000000000000ULL).find(L"22"), std::wstring::npos);
  EXPECT_EQ(TimeStampLinkText(~0ULL).rfind(L"<ConvErr:", 0), 0u);
}

SearchParams Params() {
  SearchParams p;
  p.folder = L"/w/System32/";
  p.fileName.text = L"*.dll";
  p.search.text = L"CreateFile";
  p.searchFor = kSearchForSymbols;
  p.presentAs = kPresentSymbolsInModules;
  p.regexGrammar = 1;
  return p;
}

TEST(SearchDescription, PlainSearchHasWholeWordsAndNoGrammar) {
  SearchParams p = Params();
  p.lookIn = 0x3;
  p.characteristicsMask = 0x3;
  p.characteristicsValues = 0x1;
  EXPECT_EQ(SearchCriteriaDescription(p),
            L"SearchFolder=\"/w/System32/\" (No subfolders), SearchFiles:{\"*.dll\", Regex=No, "
            L"CaseSensitive=No, WholeWords=No}, SearchFor=\"WinAPIs\", SearchString:{\"CreateFile\", "
            L"Regex=No, CaseSensitive=No, WholeWords=No}, LookIn=\"Exp|Imp\", PE Filter:{Type=\"All\", "
            L"Subsystems=\"All\", Characteristics=\"DEP=1|ASLR=0\", Directories=\"All\", "
            L"TimeFrom=\"All\", TimeTo=\"All\"}, PresentAs=\"APIs-in-Modules\"");
}

TEST(SearchDescription, RegexSearchNamesTheGrammarAndDropsWholeWords) {
  SearchParams p = Params();
  p.includeSubfolders = true;
  p.search.regex = true;
  p.search.caseSensitive = true;
  p.searchFor = kSearchForImportLibs;
  p.presentAs = kPresentModulesOnly;
  const std::wstring d = SearchCriteriaDescription(p);
  EXPECT_NE(d.find(L"(With subfolders)"), std::wstring::npos);
  EXPECT_NE(d.find(L"SearchString:{\"CreateFile\", Regex=Yes, CaseSensitive=Yes}"), std::wstring::npos);
  EXPECT_NE(d.find(L"LookIn=\"All\""), std::wstring::npos);
  EXPECT_NE(d.find(L"SearchFor=\"ImportLibs\""), std::wstring::npos);
  EXPECT_TRUE(d.ends_with(L"}, PresentAs=\"Modules\", RegexGrammar=\"ECMAScript\""));
}

TEST(SearchFinish, StoppedSearchHasNoBox) {
  SearchEnd e;
  e.stoppedByUser = true;
  e.results = 5;
  const SearchFinishTexts t = SearchFinishOutcome(e);
  EXPECT_EQ(t.status, 2u);
  EXPECT_EQ(t.boxId, 0);
  ASSERT_EQ(t.lines.size(), 1u);
  EXPECT_EQ(t.lines[0], L"Search was aborted...");
}

// A search the results list's limit stopped is not a failure of the
// search: the summary says ABORTED, and the box (a warning) says what the
// list kept and how to narrow the search.
TEST(SearchFinish, TheResultsLimitSaysWhatWasKept) {
  SearchEnd e;
  e.filesSearched = 4;
  e.results = 65536;
  e.limitText = L"Search stopped: the list is full.";
  const SearchFinishTexts t = SearchFinishOutcome(e);
  EXPECT_EQ(t.status, 3u);
  EXPECT_EQ(t.boxIcon, kFinishIconWarning);
  EXPECT_EQ(t.boxText, L"Search stopped: the list is full.\n\n(Refer to the status output for additional details.)");
  ASSERT_EQ(t.lines.size(), 3u);
  EXPECT_EQ(t.lines[0], L"Search was ABORTED:");
  EXPECT_EQ(t.lines[2], L"Result(s) Found=65536.");
}

TEST(SearchFinish, BoxesByOutcomeAndTheBeepRule) {
  SearchEnd e;
  e.completed = true;
  e.elapsedMs = 1500;
  e.filesSearched = 10;
  e.results = 3;
  SearchFinishTexts ok = SearchFinishOutcome(e);
  EXPECT_EQ(ok.status, 1u);
  EXPECT_EQ(ok.boxId, 3);
  EXPECT_EQ(ok.boxText,
            L"Search has finished.\n\n10 file(s) searched, 3 result(s) found.\n\n(Refer to the status "
            L"output for additional details.)");
  EXPECT_EQ(ok.lines.size(), 3u);
  EXPECT_FALSE(BeepInsteadOfFinishBox(ok, true));

  e.errors = 2;
  e.warnings = 1;
  e.statusOutputShown = false;
  SearchFinishTexts errors = SearchFinishOutcome(e);
  EXPECT_EQ(errors.boxId, 1);
  EXPECT_EQ(errors.boxText,
            L"Search has finished with 2 error(s), and 1 warning(s).\n\n3 result(s) were found.\n\n(Go "
            L"to View and enable Status Output to see additional details.)");
  EXPECT_TRUE(BeepInsteadOfFinishBox(errors, true));
  EXPECT_FALSE(BeepInsteadOfFinishBox(errors, false));

  e.errors = 0;
  EXPECT_EQ(SearchFinishOutcome(e).boxId, 2);
  e.completed = false;
  SearchFinishTexts critical = SearchFinishOutcome(e);
  EXPECT_EQ(critical.status, 3u);
  EXPECT_EQ(critical.boxId, 4);
  EXPECT_EQ(critical.lines[0], L"Search was ABORTED:");
}

TEST(DroppedFiles, FirstFolderWinsAndOthersAreSkipped) {
  DropOutcome out = ApplyDroppedItems({{L"/a/x.dll"}, {L"/a/y.exe"}, {L"/b/z.dll"}}, false, L"", false);
  EXPECT_EQ(out.folder, L"/a/");
  EXPECT_TRUE(out.namesSet);
  EXPECT_EQ(out.fileName, L"(^x\\.dll$)|(^y\\.exe$)");
  EXPECT_TRUE(out.fileNameRegex);
  EXPECT_TRUE(out.skipped);

  // A folder first sets the folder alone; a vanished item is skipped.
  out = ApplyDroppedItems({{L"/gone/q.dll", false, false}, {L"/c/sub", true, true}}, false, L"old", true);
  EXPECT_EQ(out.folder, L"/c/sub/");
  EXPECT_FALSE(out.namesSet);
  EXPECT_TRUE(out.skipped);
}

TEST(DroppedFiles, ShiftAppendsAndNamesStopAtTheLimit) {
  DropOutcome out = ApplyDroppedItems({{L"/a/b.dll"}}, true, L"(^a\\.dll$)  ", true);
  EXPECT_EQ(out.fileName, L"(^a\\.dll$)|(^b\\.dll$)");
  // Without an expression to add to, the names replace the text.
  out = ApplyDroppedItems({{L"/a/b.dll"}}, true, L"*.exe", false);
  EXPECT_EQ(out.fileName, L"(^b\\.dll$)");

  std::vector<DroppedItem> many;
  for (int i = 0; i < 400; ++i) many.push_back({L"/a/file_number_" + std::to_wstring(i) + L".dll"});
  out = ApplyDroppedItems(many, false, L"", false);
  EXPECT_LE(out.fileName.size(), kMaxDroppedNamesLength);
  EXPECT_GT(out.fileName.size(), kMaxDroppedNamesLength - 40);
  EXPECT_TRUE(out.skipped);
}

// A search whose only outcome is errors shows the hidden status output;
// anything found or searched, a stop, or a shown output leave it.
TEST(SearchFinish, OnlyErrorsRevealTheStatusOutput) {
  SearchEnd e;
  e.completed = true;
  e.errors = 1;
  e.statusOutputShown = false;
  EXPECT_TRUE(RevealStatusOutputAtFinish(e));
  SearchEnd found = e;
  found.results = 1;
  SearchEnd searched = e;
  searched.filesSearched = 3;
  SearchEnd stopped = e;
  stopped.stoppedByUser = true;
  SearchEnd shown = e;
  shown.statusOutputShown = true;
  SearchEnd clean = e;
  clean.errors = 0;
  for (const SearchEnd& s : {found, searched, stopped, shown, clean}) EXPECT_FALSE(RevealStatusOutputAtFinish(s));
}

TEST(FolderEntry, OneFormForAFolder) {
  EXPECT_EQ(FolderEntryForm(L"/a/b"), L"/a/b/");
  EXPECT_EQ(FolderEntryForm(L"/a/b/"), L"/a/b/");
  EXPECT_EQ(FolderEntryForm(L"/a/b//"), L"/a/b/");
  EXPECT_EQ(FolderEntryForm(L"/"), L"/");
  EXPECT_EQ(FolderEntryForm(L""), L"");
}

TEST(ResultsCount, RowsAndTheSort) {
  EXPECT_EQ(ResultsCountText(0, -1, true), L"0 result(s)");
  EXPECT_EQ(ResultsCountText(274158, 4, false), L"274158 result(s), sorted by Folder (descending)");
  EXPECT_EQ(ResultsCountText(2, 99, true), L"2 result(s)");  // no such column: no sort named
}

}  // namespace
}  // namespace tarnix
