// The binary file type picker's rules: the types the 'File Name' text
// starts ticked, the menu commands, the stored mask and the pattern the
// main window receives.
#include <gtest/gtest.h>

#include "core/registry_settings.h"
#include "symbolsearch/binary_file_types.h"
#include "symbolsearch/search_string.h"
#include "tools/binary_file_presets.h"

namespace tarnix {
namespace {

constexpr uint64_t kExe = 1 << 0, kDll = 1 << 1, kSys = 1 << 2, kScr = 1 << 3, kCpl = 1 << 4,
                   kDrv = 1 << 6, kCom = 1 << 10, kRll = 1 << 11, kMui = 1 << 14;

TEST(BinaryPresetMaskForText, AnEmptyBoxStartsFromTheStoredMask) {
  EXPECT_EQ(BinaryPresetMaskForText(L"", 0), 0u);
  EXPECT_EQ(BinaryPresetMaskForText(L" \t\u00a0 ", kSys | kDrv), kSys | kDrv);
  // Bits of types the table does not have never come back.
  EXPECT_EQ(BinaryPresetMaskForText(L"", ~uint64_t{0}), kBinaryFileTypeMask);
}

// Every pattern the picker gives is recognised as the mask it came from.
TEST(BinaryPresetMaskForText, ThePickersOwnPatternsGiveTheirMasksBack) {
  for (uint64_t mask = 1; mask <= kBinaryFileTypeMask; ++mask)
    ASSERT_EQ(BinaryPresetMaskForText(BinaryFileTypePattern(mask), 0), mask) << mask;
  EXPECT_EQ(BinaryPresetMaskForText(L"  (^.*\\.exe$)|(^.*\\.dll$)  ", kMui), kExe | kDll);
}

TEST(BinaryPresetMaskForText, ListsOfTableExtensionsInEitherModeAreRecognised) {
  EXPECT_EQ(BinaryPresetMaskForText(L".exe || .dll", 0), kExe | kDll);
  EXPECT_EQ(BinaryPresetMaskForText(L".EXE||.Dll||||", 0), kExe | kDll);
  EXPECT_EQ(BinaryPresetMaskForText(L"*.sys || *.DRV", 0), kSys | kDrv);
  EXPECT_EQ(BinaryPresetMaskForText(L"\\.mui$ || ^.*\\.rll || (\\.com)", 0), kMui | kRll | kCom);
  EXPECT_EQ(BinaryPresetMaskForText(L".exe || .exe", 0), kExe);
}

// Anything that is not a list of the table's extensions starts with nothing
// ticked, whatever was stored.
TEST(BinaryPresetMaskForText, OtherTextStartsWithNothingTicked) {
  for (const wchar_t* text :
       {L"*.txt", L"kernel32", L"exe", L".ex", L".exe foo", L".exe || *.txt", L"||  ||",
        L"(^.*\\.exe$)|", L"(^.*\\.exe$) | (^.*\\.dll$)", L"a|||.exe", L"^.*\\.exe$$",
        L"((\\.exe))", L".exe.dll", L"*.exe*"})
    EXPECT_EQ(BinaryPresetMaskForText(text, kExe), 0u) << text;
}

TEST(ApplyBinaryPresetCommand, GroupsReplaceTheTicksOrAddToThem) {
  using C = BinaryPresetCommand;
  const uint64_t common = ApplyBinaryPresetCommand(C::kCommonBinaryFiles, kMui, 0, false);
  EXPECT_EQ(common, kExe | kDll | kSys | kCpl | kScr);
  EXPECT_EQ(ApplyBinaryPresetCommand(C::kDrivers, common, 0, false), kSys | kDrv);
  EXPECT_EQ(ApplyBinaryPresetCommand(C::kDrivers, common, 0, true),
            kExe | kDll | kSys | kCpl | kScr | kDrv);
  EXPECT_EQ(ApplyBinaryPresetCommand(C::kExecutables, 0, 0, false), kExe | kCpl | kScr | kCom);
  EXPECT_EQ(ApplyBinaryPresetCommand(C::kResourceLibraries, kExe, kDll, true), kExe | kMui | kRll);
}

TEST(ApplyBinaryPresetCommand, RowCommandsWorkOnTheSelectedRowsOnly) {
  using C = BinaryPresetCommand;
  const uint64_t ticked = kExe | kDll, selected = kDll | kSys;
  EXPECT_EQ(ApplyBinaryPresetCommand(C::kSelect, ticked, selected, false), kExe | kDll | kSys);
  EXPECT_EQ(ApplyBinaryPresetCommand(C::kUnselect, ticked, selected, false), kExe);
  EXPECT_EQ(ApplyBinaryPresetCommand(C::kToggleSelection, ticked, selected, false), kExe | kSys);
  EXPECT_EQ(ApplyBinaryPresetCommand(C::kSelectAll, ticked, 0, false), kBinaryFileTypeMask);
  EXPECT_EQ(ApplyBinaryPresetCommand(C::kUnselectAll, ticked, selected, false), 0u);
  EXPECT_EQ(ApplyBinaryPresetCommand(C::kToggleAll, ticked, 0, false),
            kBinaryFileTypeMask & ~(kExe | kDll));
  // Rows beyond the table do not exist.
  EXPECT_EQ(ApplyBinaryPresetCommand(C::kSelect, 0, uint64_t{1} << 20, false), 0u);
}

TEST(ApplyBinaryPresets, ThePatternSelectsTheTickedTypesAndTurnsRegexOn) {
  BinaryPresetOutcome o = ApplyBinaryPresets(kExe | kDll);
  EXPECT_EQ(o.pattern, L"(^.*\\.exe$)|(^.*\\.dll$)");
  EXPECT_TRUE(o.regexOn);
  EXPECT_EQ(ApplyBinaryPresets(kMui | (uint64_t{1} << 15)).pattern, L"(^.*\\.mui$)");
  o = ApplyBinaryPresets(0);
  EXPECT_EQ(o.pattern, L"");
  EXPECT_FALSE(o.regexOn);

  // The pattern picks the files the user ticked, as the folder walker
  // matches names (not case-sensitive by default).
  SearchString s;
  RegexCompileError error;
  ASSERT_TRUE(s.Prepare({ApplyBinaryPresets(kExe | kDll).pattern, true}, 1, true, error));
  std::wstring matchError;
  EXPECT_EQ(s.Match(L"NOTEPAD.EXE", matchError), 1);
  EXPECT_EQ(s.Match(L"user32.dll", matchError), 1);
  EXPECT_EQ(s.Match(L"exe.txt", matchError), 0);
  EXPECT_EQ(s.Match(L"setup.exe.bak", matchError), 0);
}

TEST(BinFilePresetsSetting, ReadsOnlyAnEightByteQwordAndKeepsTheTablesBits) {
  RegistrySettings store;
  store.DeleteValue(setting::kBinFilePresets);
  EXPECT_EQ(ReadBinFilePresets(store), 0u);
  ASSERT_TRUE(WriteBinFilePresets(store, kSys | kDrv));
  EXPECT_EQ(ReadBinFilePresets(store), kSys | kDrv);
  ASSERT_TRUE(store.SetQword(setting::kBinFilePresets, ~uint64_t{0}));
  EXPECT_EQ(ReadBinFilePresets(store), kBinaryFileTypeMask);
  // Wrongly typed or truncated values read as nothing ticked.
  ASSERT_TRUE(store.SetDword(setting::kBinFilePresets, 3));
  EXPECT_EQ(ReadBinFilePresets(store), 0u);
  const uint8_t shortBlob[4] = {1, 0, 0, 0};
  ASSERT_TRUE(store.SetBinary(setting::kBinFilePresets, shortBlob, sizeof shortBlob));
  EXPECT_EQ(ReadBinFilePresets(store), 0u);
}

}  // namespace
}  // namespace tarnix
