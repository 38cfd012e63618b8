// The Error Code Search window's presets: edits of built-in presets, names,
// saving, renaming and removing against the store, and what another
// instance stored meanwhile.
#include <gtest/gtest.h>

#include "core/err_code_presets.h"
#include "errcode/preset_list.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

std::vector<ErrorCodePreset> BuiltIns() {
  return {{0, kPresetFlagBuiltIn, L"System32 (No subfolders)", {{kLocationFolder, L"/w/System32/"}}},
          {1, kPresetFlagBuiltIn, L"System32 (With subfolders)", {{0x8001, L"/w/System32/"}}}};
}

std::vector<std::wstring> StoredNames() {
  std::vector<ErrCodePresetRecord> stored;
  EXPECT_TRUE(ErrCodePresetStore::ReadAll(stored));
  std::vector<std::wstring> names;
  for (const auto& p : stored) names.push_back(p.name);
  return names;
}

class PresetListTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ErrCodePresetStore::DeleteAll()); }
};

TEST_F(PresetListTest, EditingABuiltInPresetMakesAnUnsavedOne) {
  ErrorCodePresetList list;
  ASSERT_TRUE(list.Load(BuiltIns()));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list.current(), 0u);
  std::vector<SearchLocation>* items = list.BeginEdit();
  ASSERT_NE(items, nullptr);
  items->push_back({kLocationFile, L"/x.dll"});
  ASSERT_TRUE(list.EndEdit());
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list.current(), 2u);
  EXPECT_EQ(list.Text(2), L"* <Unsaved Preset 1>");
  EXPECT_EQ(list.presets()[0].items.size(), 1u);  // the built-in one is unchanged
  EXPECT_TRUE(StoredNames().empty());              // nothing stored yet

  // Saved under " a ": stored as "a", chosen, no longer unsaved.
  std::wstring name = L" a ";
  EXPECT_EQ(list.CheckName(name, false), L"");
  EXPECT_EQ(name, L"a");
  ASSERT_TRUE(list.Save(name, false));
  EXPECT_EQ(StoredNames(), (std::vector<std::wstring>{L"a"}));
  EXPECT_EQ(list.size(), 3u);
  EXPECT_EQ(list.Text(list.current()), L"* a");

  // "A" is taken, whatever the case; so is a built-in name.
  list.Select(0);
  name = L"A";
  EXPECT_EQ(list.CheckName(name, false), L"Preset with such name already exists.");
  name = L"system32 (no subfolders)";
  EXPECT_EQ(list.CheckName(name, true), L"Preset with such name already exists.");

  // Editing a stored preset stores the edit.
  list.Select(2);
  list.BeginEdit()->push_back({kLocationFile, L"/y.dll"});
  ASSERT_TRUE(list.EndEdit());
  std::vector<ErrCodePresetRecord> stored;
  ASSERT_TRUE(ErrCodePresetStore::ReadAll(stored));
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].items.size(), 3u);
}

TEST_F(PresetListTest, RenameCopyAndRemoveKeepWhatAnotherInstanceStored) {
  ErrorCodePresetList list;
  ASSERT_TRUE(list.Load(BuiltIns()));
  ASSERT_TRUE(list.Save(L"first", false));  // a copy of the built-in preset
  EXPECT_EQ(list.ProposedName(true), L"first (Copy)");
  // Another instance stores a preset meanwhile.
  ASSERT_TRUE(ErrCodePresetStore::SaveOne({0, L"theirs", {{kLocationFile, L"/t.dll"}}}));
  ASSERT_TRUE(list.Save(L"renamed", false));
  EXPECT_EQ(StoredNames(), (std::vector<std::wstring>{L"renamed", L"theirs"}));
  EXPECT_EQ(list.Text(list.current()), L"* renamed");
  ASSERT_TRUE(list.Save(L"copy", true));
  EXPECT_EQ(StoredNames(), (std::vector<std::wstring>{L"renamed", L"theirs", L"copy"}));
  // The list shows theirs too.
  ASSERT_EQ(list.size(), 5u);

  list.Select(2);  // renamed
  ASSERT_TRUE(list.RemoveCurrent());
  EXPECT_EQ(StoredNames(), (std::vector<std::wstring>{L"theirs", L"copy"}));
  EXPECT_EQ(list.Text(list.current()), L"* theirs");
  list.Select(0);
  EXPECT_FALSE(list.RemoveCurrent());  // built-in presets stay
}

TEST_F(PresetListTest, SixtyFourUserPresetsAreTheLimit) {
  std::vector<ErrCodePresetRecord> many;
  for (int i = 0; i < 64; ++i) many.push_back({0, L"p" + std::to_wstring(i), {{kLocationFile, L"/f"}}});
  ASSERT_TRUE(ErrCodePresetStore::WriteAll(many));
  ErrorCodePresetList list;
  ASSERT_TRUE(list.Load(BuiltIns()));
  ASSERT_EQ(list.size(), 66u);
  EXPECT_EQ(list.presets()[2].id, ErrorCodePresetList::kFirstUserId);
  // A built-in preset can't be edited: the edit needs a 65th.
  EXPECT_FALSE(list.CanEdit());
  EXPECT_EQ(list.BeginEdit(), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(list.size(), 66u);
  EXPECT_EQ(list.New(), L"There are too many custom presets. Maximum allowed number is 64.");
  std::wstring name = L"another";
  EXPECT_EQ(list.CheckName(name, false), L"There are too many custom presets. Maximum allowed number is 64.");
  // A user preset can still be edited and renamed.
  list.Select(10);
  EXPECT_TRUE(list.CanEdit());
  name = L"p8 renamed";
  EXPECT_EQ(list.CheckName(name, false), L"");
}

TEST_F(PresetListTest, UnsavedPresetsSurviveAReload) {
  ErrorCodePresetList list;
  ASSERT_TRUE(list.Load(BuiltIns()));
  EXPECT_EQ(list.New(), L"");
  EXPECT_EQ(list.New(), L"");
  list.Select(2);
  ASSERT_TRUE(ErrCodePresetStore::SaveOne({0, L"later", {}}));
  ASSERT_TRUE(list.Reload());
  ASSERT_EQ(list.size(), 5u);
  EXPECT_EQ(list.Text(2), L"* later");
  EXPECT_EQ(list.current(), 3u);  // the same unsaved preset
  EXPECT_EQ(list.Text(3), L"* <Unsaved Preset 1>");
  // Each unsaved preset shows a number of its own.
  EXPECT_EQ(list.Text(4), L"* <Unsaved Preset 2>");
}

}  // namespace
}  // namespace tarnix
