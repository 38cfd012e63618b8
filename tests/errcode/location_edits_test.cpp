// Editing a preset's search locations: limits, moves, the subfolders
// toggle, and the "%u|%s" lines copied and pasted.
#include <gtest/gtest.h>

#include "errcode/location_edits.h"
#include "errcode/preset_ini.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

using Items = std::vector<SearchLocation>;

Items Abc() {
  return {{kLocationFolder, L"/a/"}, {kLocationFolder | kLocationSubfolders, L"/b/"}, {kLocationFile, L"/c.dll"}};
}

std::vector<std::wstring> Paths(const Items& items) {
  std::vector<std::wstring> out;
  for (const auto& l : items) out.push_back(l.path);
  return out;
}

TEST(LocationEdits, AddSkipsWhatIsListedAndKeepsTheLimit) {
  Items items = Abc();
  ASSERT_TRUE(AddLocations(items, {FolderLocation(L"/a"), FileLocation(L"/d.dll"), FileLocation(L"/d.dll")}));
  EXPECT_EQ(Paths(items), (std::vector<std::wstring>{L"/a/", L"/b/", L"/c.dll", L"/d.dll"}));

  Items full;
  for (size_t i = 0; i < 1023; ++i) full.push_back(FileLocation(L"/f" + std::to_wstring(i)));
  ASSERT_TRUE(AddLocations(full, {FileLocation(L"/last")}));
  EXPECT_FALSE(AddLocations(full, {FileLocation(L"/one more")}));
  EXPECT_EQ(GetLastError(), ERROR_TOO_MANY_ITEMS);
  EXPECT_EQ(full.size(), 1024u);
}

TEST(LocationEdits, MovesKeepBlocksAtTheEdges) {
  Items items = Abc();
  items.push_back(FileLocation(L"/d.dll"));
  // Rows 0 and 2 up: row 0 stays, row 2 passes row 1.
  LocationRows moved = MoveLocations(items, {0, 2}, true);
  EXPECT_EQ(Paths(items), (std::vector<std::wstring>{L"/a/", L"/c.dll", L"/b/", L"/d.dll"}));
  EXPECT_EQ(moved, (LocationRows{0, 1}));
  moved = MoveLocations(items, {2, 3}, false);
  EXPECT_EQ(moved, (LocationRows{2, 3}));  // already at the end
  moved = MoveLocations(items, {0, 1}, false);
  EXPECT_EQ(Paths(items), (std::vector<std::wstring>{L"/b/", L"/a/", L"/c.dll", L"/d.dll"}));
  EXPECT_EQ(moved, (LocationRows{1, 2}));
}

TEST(LocationEdits, SubfoldersToggleFollowsTheSelection) {
  Items items = Abc();
  EXPECT_EQ(SelectedSubfoldersState(items, {}), SubfoldersState::kUnavailable);
  EXPECT_EQ(SelectedSubfoldersState(items, {1, 2}), SubfoldersState::kUnavailable);  // a file
  EXPECT_EQ(SelectedSubfoldersState(items, {0}), SubfoldersState::kWithout);
  EXPECT_EQ(SelectedSubfoldersState(items, {1}), SubfoldersState::kWith);
  EXPECT_EQ(SelectedSubfoldersState(items, {0, 1}), SubfoldersState::kMixed);
  // Mixed gives both subfolders; then both lose them.
  ASSERT_TRUE(ToggleSubfolders(items, {0, 1}));
  EXPECT_EQ(items[0].flags, kLocationFolder | kLocationSubfolders);
  EXPECT_EQ(SelectedSubfoldersState(items, {0, 1}), SubfoldersState::kWith);
  ASSERT_TRUE(ToggleSubfolders(items, {0, 1}));
  EXPECT_EQ(items[1].flags, kLocationFolder);
  EXPECT_FALSE(ToggleSubfolders(items, {2}));
  EXPECT_STREQ(LocationSubfoldersText(items[0].flags), L"No subfolders");
  EXPECT_STREQ(LocationSubfoldersText(kLocationFolder | kLocationSubfolders), L"With subfolders");
  EXPECT_STREQ(LocationSubfoldersText(kLocationFile), L"");
}

TEST(LocationEdits, RemoveQuestionNamesOneLocationOrCountsThem) {
  const Items items = Abc();
  EXPECT_EQ(RemoveLocationsQuestion(items, {2}), L"Do you want to remove selected search file?\n\n/c.dll");
  EXPECT_EQ(RemoveLocationsQuestion(items, {0}), L"Do you want to remove selected search folder?\n\n/a/");
  EXPECT_EQ(RemoveLocationsQuestion(items, {0, 2}), L"Do you want to remove 2 selected search item(s)?");
  Items left = items;
  RemoveLocations(left, {0, 2});
  EXPECT_EQ(Paths(left), (std::vector<std::wstring>{L"/b/"}));
}

TEST(LocationEdits, CopiedLinesPasteBackTheSameLocations) {
  const Items items = Abc();
  std::wstring text;
  EXPECT_FALSE(CopyLocationsText(items, {}, text));
  EXPECT_EQ(GetLastError(), ERROR_NOTHING_ENTERED);
  ASSERT_TRUE(CopyLocationsText(items, {0, 1, 2}, text));
  EXPECT_EQ(text, L"1|/a/\r\n32769|/b/\r\n2|/c.dll\r\n");

  Items pasted;
  uint32_t error = 0;
  int site = 0;
  size_t line = 0;
  ASSERT_TRUE(ParsePastedLocations(text, pasted, error, site, line));
  EXPECT_EQ(pasted, items);
  // Blank lines and blanks around a line are fine; a folder gets its separator.
  ASSERT_TRUE(ParsePastedLocations(L"\n  1| /x \r\n\n\t2|/y.exe\n", pasted, error, site, line));
  EXPECT_EQ(pasted, (Items{{kLocationFolder, L"/x/"}, {kLocationFile, L"/y.exe"}}));
}

TEST(LocationEdits, OneBadLineRejectsThePaste) {
  Items pasted;
  uint32_t error = 0;
  int site = 0;
  size_t line = 0;
  EXPECT_FALSE(ParsePastedLocations(L"1|/a/\nrandom words\n2|/b", pasted, error, site, line));
  EXPECT_EQ(error, kImportNoSeparator);
  EXPECT_EQ(site, 443);
  EXPECT_EQ(line, 2u);
  EXPECT_TRUE(pasted.empty());
  EXPECT_FALSE(ParsePastedLocations(L"3|/a/", pasted, error, site, line));
  EXPECT_EQ(error, kImportBadLocationKind);
  EXPECT_FALSE(ParsePastedLocations(L"x|/a/", pasted, error, site, line));
  EXPECT_EQ(error, kImportBadFormat);
  EXPECT_FALSE(ParsePastedLocations(L"2|" + std::wstring(521, L'p'), pasted, error, site, line));
  EXPECT_EQ(error, kImportPathTooLong);
  EXPECT_FALSE(ParsePastedLocations(L" \n\n", pasted, error, site, line));
  EXPECT_EQ(error, ERROR_NOTHING_ENTERED);

  // 2,000 good lines are more than one preset may hold.
  std::wstring many;
  for (int i = 0; i < 2000; ++i) many += L"2|/m" + std::to_wstring(i) + L".dll\n";
  EXPECT_FALSE(ParsePastedLocations(many, pasted, error, site, line));
  EXPECT_EQ(error, ERROR_TOO_MANY_ITEMS);
  EXPECT_TRUE(pasted.empty());
}

}  // namespace
}  // namespace tarnix
