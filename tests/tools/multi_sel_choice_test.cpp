// The filter selection dialog's tables and its check and OK rules.
#include <gtest/gtest.h>

#include <bit>
#include <cwchar>
#include <set>
#include <string>

#include "pe/image_properties.h"
#include "tools/multi_sel_choice.h"
#include "tools/multi_sel_tables.h"
#include "undname/undname_flag_table.h"

namespace tarnix {
namespace {

const MultiSelUseInfo& Use(int use) {
  const MultiSelUseInfo* info = MultiSelUseOf(use);
  EXPECT_NE(info, nullptr);
  return *info;
}

int RowOf(const MultiSelChoice& choice, const wchar_t* name) {
  for (size_t i = 0; i < choice.size(); ++i)
    if (choice.items()[i].name == name) return static_cast<int>(i);
  ADD_FAILURE() << "no row " << std::string(name, name + std::wcslen(name));
  return 0;
}

template <size_t N>
uint64_t BitsOf(const BitLabel (&labels)[N]) {
  uint64_t bits = 0;
  for (const BitLabel& l : labels) bits |= l.bit;
  return bits;
}

TEST(MultiSelTables, EveryUseHasItsRowsEachOneDistinctBit) {
  const size_t counts[kMultiSelUseCount] = {7, 3, 15, 25, 37, 15};
  for (int use = 0; use < kMultiSelUseCount; ++use) {
    const MultiSelUseInfo& info = Use(use);
    EXPECT_EQ(info.use, use);
    EXPECT_EQ(info.rows.size(), counts[use]) << use;
    EXPECT_EQ(info.hasValues, use == kMultiSelCharacteristics || use == kMultiSelDirectories);
    std::set<uint64_t> seen;
    for (const MultiSelRow& r : info.rows) {
      EXPECT_EQ(std::popcount(r.mask), 1) << use;
      EXPECT_TRUE(seen.insert(r.mask).second) << use;
      ASSERT_TRUE(r.name && r.description);
      EXPECT_NE(*r.description, L'\0');
    }
  }
  EXPECT_EQ(MultiSelUseOf(-1), nullptr);
  EXPECT_EQ(MultiSelUseOf(kMultiSelUseCount), nullptr);
}

// The rows stand for the very bits the image reader sets.
TEST(MultiSelTables, RowsCoverTheBitsOfTheImageProperties) {
  EXPECT_EQ(MultiSelKnownBits(Use(kMultiSelImageType)), BitsOf(kImageTypeLabels));
  EXPECT_EQ(MultiSelKnownBits(Use(kMultiSelSubsystems)), BitsOf(kSubsystemLabels));
  EXPECT_EQ(MultiSelKnownBits(Use(kMultiSelCharacteristics)), BitsOf(kCharacteristicLabels));
  EXPECT_EQ(MultiSelKnownBits(Use(kMultiSelDirectories)),
            BitsOf(kDirectoryLabels) | BitsOf(kResourceTypeLabels));
  EXPECT_EQ(MultiSelKnownBits(Use(kMultiSelLookIn)), 0x7Fu);
  uint32_t flags = 0;
  for (const UndnameFlagInfo& f : UndnameFlagTable()) flags |= f.value;
  EXPECT_EQ(MultiSelKnownBits(Use(kMultiSelUndecorationFlags)), flags);
}

TEST(MultiSelTables, DirectoriesListTheResourceTypesLast) {
  const MultiSelUseInfo& info = Use(kMultiSelDirectories);
  for (size_t i = 0; i < info.rows.size(); ++i) {
    const MultiSelRow& r = info.rows[i];
    EXPECT_EQ(r.kind, i < 15 ? kMultiSelOrdinaryRow : kMultiSelResourceTypeRow) << i;
    EXPECT_EQ((r.mask & kMultiSelResourceTypeBits) != 0, i >= 15) << i;
  }
  EXPECT_STREQ(info.rows[14].name, L"Resources Directory");
  const std::wstring desc = info.rows[14].description;
  EXPECT_TRUE(desc.ends_with(
      L"You may also select specific types of resources below. Otherwise all types will be matched."));
  EXPECT_STREQ(info.rows[0].name, L".NET & COM Runtime Descriptor");
  EXPECT_STREQ(info.rows[36].name, L"Other Resource Types");
}

// The constants come from the export's tables; rows without one have none.
TEST(MultiSelTables, ConstantsAreThoseOfTheExport) {
  auto constantOf = [](int use, const wchar_t* name) -> std::wstring {
    for (const MultiSelRow& r : Use(use).rows)
      if (std::wstring(r.name) == name) return r.constant ? r.constant : L"<none>";
    return L"<no row>";
  };
  EXPECT_EQ(constantOf(kMultiSelCharacteristics, L"DLL"), L"IMAGE_FILE_DLL");
  EXPECT_EQ(constantOf(kMultiSelCharacteristics, L"Buffer Overrun Checks"), L"/GS compiler option");
  EXPECT_EQ(constantOf(kMultiSelCharacteristics, L"VC6 Delay-Load Imports"), L"<none>");
  EXPECT_EQ(constantOf(kMultiSelCharacteristics, L"Manifest Isolation"),
            L"IMAGE_DLLCHARACTERISTICS_NO_ISOLATION");
  EXPECT_EQ(constantOf(kMultiSelSubsystems, L"Boot Application"),
            L"IMAGE_SUBSYSTEM_WINDOWS_BOOT_APPLICATION");
  EXPECT_EQ(constantOf(kMultiSelSubsystems, L"Other Subsystem"), L"<none>");
  EXPECT_EQ(constantOf(kMultiSelDirectories, L"Global Pointer"), L"IMAGE_DIRECTORY_ENTRY_GLOBALPTR");
  EXPECT_EQ(constantOf(kMultiSelDirectories, L"Raw Data Resources"), L"RT_RCDATA");
  EXPECT_EQ(constantOf(kMultiSelDirectories, L"Other Resource Types"), L"<none>");
  EXPECT_EQ(constantOf(kMultiSelImageType, L"ROM Images"), L"IMAGE_ROM_OPTIONAL_HDR_MAGIC");
  EXPECT_EQ(constantOf(kMultiSelLookIn, L"Look in C++ functions only"), L"C++ Decorated Names");
  for (const MultiSelRow& r : Use(kMultiSelUndecorationFlags).rows) EXPECT_STREQ(r.name, r.constant);
  for (const MultiSelRow& r : Use(kMultiSelSubsystems).rows)
    EXPECT_TRUE(std::wstring(r.description).starts_with(L"Condition for the ")) << r.name;
}

TEST(MultiSelChoice, ItemsAreBuiltFromTheMasks) {
  EXPECT_TRUE(MultiSelChoice(Use(kMultiSelSubsystems), 0, 0).noRestriction());
  MultiSelChoice choice(Use(kMultiSelSubsystems), 0x4 | 0x8, 0xFFFF);
  EXPECT_FALSE(choice.noRestriction());
  EXPECT_EQ(choice.firstChecked(), 1);  // "Console Subsystem" comes before the GUI row
  EXPECT_TRUE(choice.items()[static_cast<size_t>(RowOf(choice, L"Graphical User Interface (GUI) Subsystem"))].checked);
  EXPECT_EQ(choice.ResultMask(), 0xCu);
  EXPECT_EQ(choice.ResultValues(), 0u);  // a use without values keeps none
}

TEST(MultiSelChoice, ACheckedCharacteristicWithValueOffSetsTheMaskOnly) {
  MultiSelChoice choice(Use(kMultiSelCharacteristics), 0, 0);
  const size_t dll = static_cast<size_t>(RowOf(choice, L"DLL"));
  const size_t dep = static_cast<size_t>(RowOf(choice, L"Data Execution Prevention (DEP)"));
  choice.SetChecked(dll, true);
  EXPECT_FALSE(choice.noRestriction());
  choice.SetChecked(dep, true);
  choice.SetValue(dep, true);
  EXPECT_EQ(choice.ResultMask(), 0x2000000u | 0x1u);
  EXPECT_EQ(choice.ResultValues(), 0x1u);
  // A value on an unchecked item is not returned.
  choice.SetChecked(dep, false);
  EXPECT_FALSE(choice.ValueCounts(dep));
  EXPECT_EQ(choice.ResultValues(), 0u);
}

TEST(MultiSelChoice, ResourceTypesCountOnlyWithTheResourceDirectoryPresent) {
  MultiSelChoice choice(Use(kMultiSelDirectories), 0, 0);
  const size_t bitmap = static_cast<size_t>(RowOf(choice, L"Bitmap Resources"));
  const size_t res = static_cast<size_t>(RowOf(choice, L"Resources Directory"));
  const size_t exports = static_cast<size_t>(RowOf(choice, L"Export Directory"));
  choice.SetChecked(bitmap, true);
  choice.SetValue(bitmap, true);
  choice.SetChecked(exports, true);
  EXPECT_EQ(choice.ResultMask(), 0x1000u);  // the bitmap bit is dropped
  EXPECT_EQ(choice.ResultValues(), 0u);
  EXPECT_FALSE(choice.ValueCounts(bitmap));
  choice.SetChecked(res, true);  // required absent: still no resource types
  EXPECT_EQ(choice.ResultMask(), 0x1000u | kDirResources);
  EXPECT_EQ(choice.ResultValues(), 0u);
  choice.SetValue(res, true);
  EXPECT_TRUE(choice.ValueCounts(bitmap));
  EXPECT_EQ(choice.ResultMask(), 0x1000u | kDirResources | 0x2000000u);
  EXPECT_EQ(choice.ResultValues(), kDirResources | 0x2000000u);
}

TEST(MultiSelChoice, AStoredFilterWithoutResourcesStartsTheTypesOff) {
  const uint64_t bitmap = 0x2000000, icons = 0x4000000;
  MultiSelChoice without(Use(kMultiSelDirectories), bitmap | 0x1000, bitmap | 0x1000);
  EXPECT_TRUE(without.items()[static_cast<size_t>(RowOf(without, L"Bitmap Resources"))].checked);
  EXPECT_FALSE(without.items()[static_cast<size_t>(RowOf(without, L"Bitmap Resources"))].value);
  EXPECT_TRUE(without.items()[static_cast<size_t>(RowOf(without, L"Export Directory"))].value);
  MultiSelChoice with(Use(kMultiSelDirectories), kDirResources | bitmap | icons,
                      kDirResources | bitmap);
  EXPECT_EQ(with.ResultMask(), kDirResources | bitmap | icons);
  EXPECT_EQ(with.ResultValues(), kDirResources | bitmap);
}

TEST(MultiSelChoice, TheNoRestrictionBoxClearsEverything) {
  MultiSelChoice choice(Use(kMultiSelCharacteristics), 0x3, 0x3);
  EXPECT_FALSE(choice.noRestriction());
  choice.SetNoRestriction(true);
  EXPECT_TRUE(choice.noRestriction());
  for (const MultiSelItem& item : choice.items()) EXPECT_FALSE(item.checked || item.value);
  EXPECT_EQ(choice.ResultMask(), 0u);
  // Checking an item clears the box; unchecking the last one ticks it again.
  choice.SetChecked(0, true);
  EXPECT_FALSE(choice.noRestriction());
  choice.SetChecked(0, false);
  EXPECT_TRUE(choice.noRestriction());
  choice.SetAllChecked(true);
  EXPECT_FALSE(choice.noRestriction());
  EXPECT_EQ(choice.ResultMask(), MultiSelKnownBits(choice.info()));
  choice.SetAllValues(true);
  EXPECT_EQ(choice.ResultValues(), MultiSelKnownBits(choice.info()));
  choice.SetAllChecked(false);
  EXPECT_TRUE(choice.noRestriction());
  EXPECT_EQ(choice.ResultValues(), 0u);
}

// Bits no row has survive OK, and keep the box unticked since the filter
// still restricts; ticking the box lifts them too.
TEST(MultiSelChoice, UnknownStoredBitsSurvive) {
  const uint64_t unknown = 0x8000000000000000ULL | 0x40000000ULL;
  MultiSelChoice choice(Use(kMultiSelCharacteristics), unknown | 0x1, 0x8000000000000000ULL | 0x1 | 0x2);
  EXPECT_EQ(choice.keptMask(), unknown);
  EXPECT_EQ(choice.ResultMask(), unknown | 0x1);
  EXPECT_EQ(choice.ResultValues(), 0x8000000000000000ULL | 0x1);
  choice.SetChecked(static_cast<size_t>(RowOf(choice, L"Data Execution Prevention (DEP)")), false);
  EXPECT_FALSE(choice.noRestriction());
  EXPECT_EQ(choice.ResultMask(), unknown);
  MultiSelChoice onlyUnknown(Use(kMultiSelLookIn), 0x100, 0);
  EXPECT_FALSE(onlyUnknown.noRestriction());
  EXPECT_EQ(onlyUnknown.ResultMask(), 0x100u);
  onlyUnknown.SetNoRestriction(true);
  EXPECT_EQ(onlyUnknown.ResultMask(), 0u);
}

TEST(MultiSelChoice, ConstantsAreTrimmedAndOutOfRangeIndexesIgnored) {
  const MultiSelRow rows[] = {{kMultiSelOrdinaryRow, 0x1, L"A", L"first", L"CONST_A \t "},
                              {kMultiSelOrdinaryRow, 0x2, L"B", L"second", nullptr}};
  MultiSelUseInfo info;
  info.use = kMultiSelLookIn;
  info.rows = rows;
  MultiSelChoice choice(info, 0x2, 0);
  EXPECT_EQ(choice.items()[0].constant, L"CONST_A");
  EXPECT_EQ(choice.items()[1].constant, L"");
  choice.SetChecked(5, true);
  choice.SetValue(5, true);
  EXPECT_FALSE(choice.ValueCounts(5));
  EXPECT_EQ(choice.ResultMask(), 0x2u);
}

}  // namespace
}  // namespace tarnix
