// The setters the windows write their settings through: the store and the
// snapshot agree, and a value a setter cannot take is stored as the
// readers' fall-back and refused.
#include "core/window_settings.h"

#include <gtest/gtest.h>

#include "core/registry_settings.h"
#include "core/setting_changes.h"
#include "core/setting_names.h"
#include "core/window_placement.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

TEST(WindowSettings, SnapshotAndStoreAgree) {
  ProgramSettings s;
  EXPECT_TRUE(WriteLookIn(s, 7));
  EXPECT_TRUE(WritePeCharacteristics(s, 0x2000000, 0x2000000));
  EXPECT_TRUE(WritePeTimeStamp(s, false, 133000000000000000ULL));
  EXPECT_TRUE(WriteShowControl(s, kShowPeFilters, true));
  EXPECT_TRUE(WriteShowControl(s, kShowStatusOutput, true));
  EXPECT_TRUE(WriteShowControl(s, kShowStatusOutput, false));
  const ProgramSettings read = ProgramSettings::Load(RegistrySettings());
  EXPECT_EQ(read.lookIn, 7u);
  EXPECT_EQ(read.peCharsMask, 0x2000000u);
  EXPECT_EQ(read.peCharsValues, 0x2000000u);
  EXPECT_EQ(read.peTimeTo, 133000000000000000ULL);
  EXPECT_EQ(read.showControls, kShowPeFilters);
  EXPECT_EQ(s.showControls, kShowPeFilters);

  EXPECT_TRUE(ClearPeFilters(s));
  const ProgramSettings cleared = ProgramSettings::Load(RegistrySettings());
  EXPECT_EQ(cleared.peCharsMask, 0u);
  EXPECT_EQ(cleared.peTimeTo, 0u);
  EXPECT_EQ(cleared.lookIn, 7u);  // Look In is not a PE header filter
}

TEST(WindowSettings, ValuesOutOfRangeFallBack) {
  ProgramSettings s;
  SetLastError(0);
  EXPECT_FALSE(WriteSearchFor(s, 7));
  EXPECT_EQ(GetLastError(), uint32_t{ERROR_INVALID_PARAMETER});
  EXPECT_EQ(s.searchFor, 1u);
  EXPECT_EQ(ProgramSettings::Load(RegistrySettings()).searchFor, 1u);
  EXPECT_FALSE(WriteShowControl(s, 0x80, true));
  EXPECT_EQ(s.showControls & 0x80, 0u);

  EXPECT_TRUE(WritePresentAs(1, 2));
  EXPECT_EQ(ReadPresentAs(1), 2u);
  EXPECT_FALSE(WritePresentAs(1, 9));
  EXPECT_EQ(ReadPresentAs(1), 1u);
  EXPECT_EQ(ReadPresentAs(2), 2u);  // Import Libs present modules only

  EXPECT_TRUE(WriteFilterIndex(FilterIndexSetting::kSaveSymbolResults, 2));
  EXPECT_EQ(ReadFilterIndex(FilterIndexSetting::kSaveSymbolResults), 2u);
  EXPECT_FALSE(WriteFilterIndex(FilterIndexSetting::kSaveSymbolResults, 0));
  EXPECT_EQ(ReadFilterIndex(FilterIndexSetting::kSaveSymbolResults), 1u);
  EXPECT_FALSE(WriteCriteriaOption(static_cast<CriteriaOption>(99), true));

  EXPECT_TRUE(WriteSearchReaders(s, 3));
  EXPECT_EQ(ProgramSettings::Load(RegistrySettings()).searchReaders, 3u);
  EXPECT_FALSE(WriteSearchReaders(s, 65));
  EXPECT_EQ(s.searchReaders, 64u);
  EXPECT_EQ(ProgramSettings::Load(RegistrySettings()).searchReaders, 64u);
}

// The symbol cache's two settings: on and 256 MiB until written; each write
// is announced and read back at the next start; a limit outside 1..65536
// MiB, written or found in the store, is the default.
TEST(WindowSettings, CacheSettingsReadBackAndFallBackToTheDefaultLimit) {
  const RegistrySettings store;
  ProgramSettings s = ProgramSettings::Load(store);
  EXPECT_TRUE(s.cacheSymbols);
  EXPECT_EQ(s.cacheLimitMiB, 256u);

  std::vector<SettingId> told;
  SettingWatch watch([&](SettingId id) { told.push_back(id); });
  EXPECT_TRUE(WriteCacheSymbols(s, false));
  EXPECT_FALSE(s.cacheSymbols);
  EXPECT_FALSE(ProgramSettings::Load(store).cacheSymbols);
  EXPECT_TRUE(WriteCacheLimit(s, 1));
  EXPECT_TRUE(WriteCacheLimit(s, 65536));
  EXPECT_EQ(s.cacheLimitMiB, 65536u);
  EXPECT_EQ(ProgramSettings::Load(store).cacheLimitMiB, 65536u);
  EXPECT_EQ(told, (std::vector<SettingId>{SettingId::kCacheSymbols, SettingId::kCacheLimit, SettingId::kCacheLimit}));

  for (uint32_t bad : {0u, 65537u, 0xFFFFFFFFu}) {
    EXPECT_TRUE(WriteCacheLimit(s, 1000));
    SetLastError(0);
    EXPECT_FALSE(WriteCacheLimit(s, bad)) << bad;
    EXPECT_EQ(GetLastError(), uint32_t{ERROR_INVALID_PARAMETER});
    EXPECT_EQ(s.cacheLimitMiB, 256u);
    EXPECT_EQ(store.GetDword(setting::kSrchCacheLimitMiB, 0), 256u);
  }

  // Values written by hand or by another version.
  ASSERT_TRUE(store.SetDword(setting::kSrchCacheLimitMiB, 70000));
  ASSERT_TRUE(store.SetDword(setting::kSrchCacheSymbols, 2));
  EXPECT_EQ(ProgramSettings::Load(store).cacheLimitMiB, 256u);
  EXPECT_TRUE(ProgramSettings::Load(store).cacheSymbols);
}

TEST(WindowSettings, CriteriaOptionsAndColumns) {
  EXPECT_FALSE(ReadCriteriaOption(CriteriaOption::kSearchWords));
  EXPECT_TRUE(WriteCriteriaOption(CriteriaOption::kSearchWords, true));
  EXPECT_TRUE(ReadCriteriaOption(CriteriaOption::kSearchWords));
  EXPECT_EQ(RegistrySettings().GetDword(L"SearchNameWholeWords", 0), 1u);
  const std::vector<uint8_t> bytes{1, 2, 3};
  EXPECT_TRUE(WriteColumns(ColumnsSetting::kErrCodeResults, bytes));
  std::vector<uint8_t> back;
  EXPECT_TRUE(ReadColumns(ColumnsSetting::kErrCodeResults, back));
  EXPECT_EQ(back, bytes);
  EXPECT_FALSE(ReadColumns(ColumnsSetting::kSymbolResults, back));
}

// A window placed where another instance left it stays inside the work
// area: 787 pixels tall at y=26 on an 800-pixel screen moves up.
TEST(WindowPlacement, FitInWorkAreaKeepsTheWholeWindowOnItsScreen) {
  const std::vector<MonitorArea> screens = {{{0, 0, 1280, 800}, {0, 0, 1280, 770}},
                                            {{1280, 0, 3200, 1080}, {1280, 0, 3200, 1040}}};
  EXPECT_EQ(FitInWorkArea({100, 26, 900, 813}, screens), (Rect{100, 0, 900, 770}));
  EXPECT_EQ(FitInWorkArea({-50, 700, 650, 900}, screens), (Rect{0, 570, 700, 770}));
  EXPECT_EQ(FitInWorkArea({1300, 10, 1500, 210}, screens), (Rect{1300, 10, 1500, 210}));
  EXPECT_EQ(FitInWorkArea({10, 10, 1200, 2000}, screens), (Rect{10, 0, 1200, 770}));
  EXPECT_EQ(FitInWorkArea({5, 5, 50, 50}, {}), (Rect{5, 5, 50, 50}));
}

// Another instance opens one step down and right of this one, inside the
// work area: back at its top-left corner when the step would leave it.
TEST(WindowPlacement, CascadeStaysInsideTheWorkArea) {
  const std::vector<MonitorArea> screens = {{{0, 0, 1280, 800}, {0, 0, 1280, 770}},
                                            {{1280, 0, 3200, 1080}, {1280, 0, 3200, 1040}}};
  EXPECT_EQ(CascadeInWorkArea({100, 26, 900, 626}, screens, 32), (Rect{132, 58, 932, 658}));
  EXPECT_EQ(CascadeInWorkArea({100, 26, 900, 760}, screens, 32), (Rect{0, 0, 800, 734}));
  EXPECT_EQ(CascadeInWorkArea({1300, 10, 3200, 500}, screens, 32), (Rect{1280, 0, 3180, 490}));
  EXPECT_EQ(CascadeInWorkArea({0, 0, 1280, 770}, screens, 32), (Rect{0, 0, 1280, 770}));
  EXPECT_EQ(CascadeInWorkArea({5, 5, 50, 50}, {}, 32), (Rect{37, 37, 82, 82}));
}

}  // namespace
}  // namespace tarnix
