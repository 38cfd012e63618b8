// The range editor's presets: a built-in set edited becomes a numbered
// unsaved preset; an edited stored preset is marked and kept over reloads
// until it is saved; presets are listed by name; renames keep their place.
#include <gtest/gtest.h>

#include "core/registry_settings.h"
#include "errmsg/range_preset_list.h"

namespace tarnix {
namespace {

class RangePresetListTest : public testing::Test {
 protected:
  void SetUp() override { RegistrySettings().DeleteValue(setting::kErrMsgSrchPresets); }
  static RangeSet Stored(std::wstring name, uint32_t from) {
    return RangeSet{{{from, from + 9, 0, L"", L"r"}}, std::move(name), 0};
  }
  static std::vector<std::wstring> StoredNames() {
    std::vector<RangeSet> sets;
    EXPECT_TRUE(RangePresetStore::ReadAll(sets));
    std::vector<std::wstring> out;
    for (const auto& s : sets) out.push_back(s.name);
    return out;
  }
};

TEST_F(RangePresetListTest, EditsMarkPresetsUntilSaved) {
  ASSERT_TRUE(RangePresetStore::WriteAll(std::vector<RangeSet>{Stored(L"zeta", 1), Stored(L"Alpha", 2)}));
  RangePresetList list;
  ASSERT_TRUE(list.Load(BuiltInRangePresets()));
  ASSERT_EQ(list.size(), 10u);
  EXPECT_EQ(list.Text(0), L"Win32 Error Codes");
  EXPECT_EQ(list.Text(8), L"Alpha");  // by name, no mark while unchanged
  EXPECT_EQ(list.Text(9), L"zeta");

  // A built-in set edited: a new unsaved preset, the built-in one unchanged.
  const size_t win32Ranges = list.presets()[0].items.size();
  list.BeginEdit()->push_back({5, 6, 0, L"", L""});
  ASSERT_TRUE(list.EndEdit());
  ASSERT_EQ(list.size(), 11u);
  EXPECT_EQ(list.current(), 10u);
  EXPECT_EQ(list.Text(10), L"* <Unsaved Preset 1>");
  EXPECT_EQ(list.presets()[0].items.size(), win32Ranges);

  // A stored preset edited: marked, not stored, kept over a reload.
  list.Select(9);
  list.BeginEdit()->front().codeTo = 77;
  ASSERT_TRUE(list.EndEdit());
  EXPECT_EQ(list.Text(9), L"* zeta");
  ASSERT_TRUE(list.Reload());
  EXPECT_EQ(list.presets()[9].items.front().codeTo, 77u);
  std::vector<RangeSet> sets;
  ASSERT_TRUE(RangePresetStore::ReadAll(sets));
  EXPECT_EQ(sets[0].ranges.front().codeTo, 10u);

  // Both wait for the auto-save when another preset is chosen.
  list.Select(8);
  EXPECT_EQ(list.OthersToSave(), (std::vector<size_t>{9, 10}));
  EXPECT_EQ(list.AutoSaveName(10), L"<Unsaved Preset 1>");
  ASSERT_TRUE(list.SaveOther(9, list.AutoSaveName(9)));
  ASSERT_TRUE(list.SaveOther(10, list.AutoSaveName(10)));
  EXPECT_EQ(list.Text(list.current()), L"Alpha");  // the choice stays
  EXPECT_TRUE(list.OthersToSave().empty());
  ASSERT_TRUE(RangePresetStore::ReadAll(sets));
  ASSERT_EQ(sets.size(), 3u);
  EXPECT_EQ(sets[0].ranges.front().codeTo, 77u);
  // Stored names keep no "<" or ">": they read back with "_".
  EXPECT_EQ(sets[2].name, L"_Unsaved Preset 1_");
}

TEST_F(RangePresetListTest, RenameKeepsTheStoredPlace) {
  ASSERT_TRUE(RangePresetStore::WriteAll(std::vector<RangeSet>{Stored(L"b", 1), Stored(L"a", 2)}));
  RangePresetList list;
  ASSERT_TRUE(list.Load(BuiltInRangePresets()));
  list.Select(9);  // "b"
  std::wstring name = L" A ";
  EXPECT_EQ(list.CheckName(name, false), L"Preset with such name already exists.");
  name = L"c";
  EXPECT_EQ(list.CheckName(name, false), L"");
  ASSERT_TRUE(list.Save(name, false));
  EXPECT_EQ(StoredNames(), (std::vector<std::wstring>{L"c", L"a"}));
  EXPECT_EQ(list.Text(list.current()), L"c");
  name = L"win32 error codes";
  EXPECT_EQ(list.CheckName(name, true), L"Preset with such name already exists.");
}

}  // namespace
}  // namespace tarnix
