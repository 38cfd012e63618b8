#include <gtest/gtest.h>

#include "errmsg/range_preset_names.h"

namespace tarnix {
namespace {

TEST(RangePresetNames, UnsavedNamesAndLabels) {
  RangeSetMap sets = BuildBuiltInRangeSets();
  EXPECT_EQ(UnsavedPresetName(sets), L"<Unsaved Preset 1>");
  sets[10] = RangeSet{{}, L"<unsaved preset 1>", kRangeSetUnsaved};
  sets[11] = RangeSet{{}, L"<Unsaved Preset 3>", 0};
  EXPECT_EQ(UnsavedPresetName(sets), L"<Unsaved Preset 2>");
  for (int n = 1; n <= 999; ++n) sets[100 + n].name = L"<Unsaved Preset " + std::to_wstring(n) + L">";
  EXPECT_EQ(UnsavedPresetName(sets), L"Unsaved Preset");

  EXPECT_EQ(PresetLabel(0, sets.at(0), true), L"Win32 Error Codes");
  EXPECT_EQ(PresetLabel(10, sets.at(10), false), L"* <unsaved preset 1>");
  EXPECT_EQ(PresetLabel(11, sets.at(11), false), L"<Unsaved Preset 3>");
  EXPECT_EQ(PresetLabel(11, sets.at(11), true), L"* <Unsaved Preset 3>");
  EXPECT_EQ(PresetLabel(12, RangeSet{}, false), L"<Unnamed Preset 12>");
}

TEST(RangePresetNames, SaveChecks) {
  RangeSetMap sets = BuildBuiltInRangeSets();
  sets[20] = RangeSet{{}, L"Mine", 0};
  std::wstring t;
  EXPECT_EQ(CheckPresetNameForSave(L" \t ", sets, 20, t), L"Preset name cannot be empty.");
  EXPECT_EQ(CheckPresetNameForSave(std::wstring(257, L'x'), sets, 20, t),
            L"Preset name is too long. Maximum allowed length is 256 characters.");
  EXPECT_EQ(CheckPresetNameForSave(std::wstring(256, L'x'), sets, 20, t), L"");
  EXPECT_EQ(CheckPresetNameForSave(L"a>b", sets, 20, t),
            L"Preset name contains invalid character(s). Remove any of the following:\n\n< > *");
  for (const wchar_t* hidden : {L"a\x1b[31mb", L"a\tb", L"a\rb", L"a\u202eb", L"a\x85" L"b"})
    EXPECT_EQ(CheckPresetNameForSave(hidden, sets, 20, t),
              L"Preset name contains invalid character(s). Remove any of the following:\n\n"
              L"control characters and text direction marks");
  EXPECT_EQ(CheckPresetNameForSave(L"win32 ERROR codes", sets, 20, t),
            L"Preset with such name already exists.");
  // Saving a preset under its own name overwrites it; a copy of a built-in
  // set may not take the set's name.
  EXPECT_EQ(CheckPresetNameForSave(L"  MINE ", sets, 20, t), L"");
  EXPECT_EQ(t, L"MINE");
  EXPECT_EQ(CheckPresetNameForSave(L"Mine", sets, 0, t), L"Preset with such name already exists.");
  EXPECT_EQ(CheckPresetNameForSave(L"Win32 Error Codes", sets, 0, t),
            L"Preset with such name already exists.");

  for (int i = 0; i < 63; ++i) sets[100 + i] = RangeSet{{}, L"p" + std::to_wstring(i), 0};
  EXPECT_EQ(CheckPresetNameForSave(L"New", sets, 20, t), L"");  // 63 besides the current
  EXPECT_EQ(CheckPresetNameForSave(L"New", sets, 0, t),
            L"There are too many custom presets. Maximum allowed number is 64.");
}

}  // namespace
}  // namespace tarnix
