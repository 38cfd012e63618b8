#include "core/registry_settings.h"

#include <gtest/gtest.h>

#include "core/program_settings.h"
#include "core/setting_names.h"
#include "core/window_layout.h"
#include "core/window_placement.h"
#include "platform/last_error.h"
#include "platform/registry.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

// Stores raw data of any type, as another program or a damaged store might.
void PutRaw(const std::wstring& subKey, const std::wstring& name, uint32_t type, std::vector<uint8_t> data) {
  RegKey key;
  ASSERT_EQ(key.Create(subKey), 0u);
  ASSERT_EQ(key.Set(name, type, data.data(), static_cast<uint32_t>(data.size())), 0u);
}

std::vector<uint8_t> Utf16(const std::u16string& s) {
  std::vector<uint8_t> b;
  for (char16_t c : s) {
    b.push_back(static_cast<uint8_t>(c));
    b.push_back(static_cast<uint8_t>(c >> 8));
  }
  return b;
}

TEST(RegistrySettings, SectionKeyKeepsTheWindowsLayout) {
  EXPECT_EQ(RegistrySettings::SectionKey(L"Settings"), L"Software\\TarnixProject\\Tarnix\\Settings");
  EXPECT_EQ(RegistrySettings().subKey(), L"Software\\TarnixProject\\Tarnix\\Settings");
}

TEST(RegistrySettings, IntegersAndTextsFallBackToTheirDefaults) {
  RegistrySettings s(L"Software\\T\\Ints");
  SetLastError(99);
  EXPECT_EQ(s.GetDword(L"Missing", 7), 7u);  // even the key is missing
  EXPECT_EQ(GetLastError(), 99u);
  ASSERT_TRUE(s.SetDword(L"N", 0xFFFFFFFF));
  EXPECT_EQ(s.GetDword(L"n", 7), 0xFFFFFFFFu);
  PutRaw(s.subKey(), L"Short", REG_DWORD, {1, 2});
  EXPECT_EQ(s.GetDword(L"Short", 7), 7u);
  PutRaw(s.subKey(), L"Text", REG_SZ, Utf16(u"12"));
  EXPECT_EQ(s.GetDword(L"Text", 7), 7u);

  EXPECT_EQ(s.GetText(L"Missing", L"def"), L"def");
  EXPECT_EQ(s.GetText(L"N", L"def"), L"def");  // a REG_DWORD is not a text
  ASSERT_TRUE(s.SetText(L"T", L"caf\u00e9 \U0001F600"));
  EXPECT_EQ(s.GetText(L"T", L""), L"caf\u00e9 \U0001F600");
  PutRaw(s.subKey(), L"Exp", REG_EXPAND_SZ, Utf16(u"%HOME%x"));  // no terminator stored
  EXPECT_EQ(s.GetText(L"Exp", L""), L"%HOME%x");
}

TEST(RegistrySettings, QwordsAndListsSetTheLastError) {
  RegistrySettings s(L"Software\\T\\Q");
  EXPECT_EQ(s.GetQword(L"Q", 5), 5u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  ASSERT_TRUE(s.SetQword(L"Q", 0x123456789ABCDEF0ULL));
  EXPECT_EQ(s.GetQword(L"Q", 5), 0x123456789ABCDEF0ULL);
  EXPECT_EQ(GetLastError(), 0u);
  ASSERT_TRUE(s.SetDword(L"D", 1));
  EXPECT_EQ(s.GetQword(L"D", 5), 5u);
  EXPECT_EQ(GetLastError(), ERROR_BAD_FORMAT);
  PutRaw(s.subKey(), L"Q7", REG_QWORD, {1, 2, 3, 4, 5, 6, 7});
  EXPECT_EQ(s.GetQword(L"Q7", 5), 5u);
  EXPECT_EQ(GetLastError(), ERROR_BAD_FORMAT);

  const std::vector<std::wstring> def{L"d"};
  EXPECT_EQ(s.GetStringList(L"L", def), def);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  ASSERT_TRUE(s.SetStringList(L"L", {L"a", L"", L"b\u00e9"}));
  EXPECT_EQ(s.GetStringList(L"L", def), (std::vector<std::wstring>{L"a", L"b\u00e9"}));
  EXPECT_EQ(GetLastError(), 0u);
  ASSERT_TRUE(s.SetStringList(L"Empty", {}));
  EXPECT_TRUE(s.GetStringList(L"Empty", def).empty());
  // Split up to the first empty string; a missing final zero is supplied.
  PutRaw(s.subKey(), L"M", REG_MULTI_SZ, Utf16(std::u16string(u"a\0b\0\0c\0", 7)));
  EXPECT_EQ(s.GetStringList(L"M", def), (std::vector<std::wstring>{L"a", L"b"}));
  PutRaw(s.subKey(), L"M2", REG_MULTI_SZ, Utf16(std::u16string(u"x\0y", 3)));
  EXPECT_EQ(s.GetStringList(L"M2", def), (std::vector<std::wstring>{L"x", L"y"}));
  PutRaw(s.subKey(), L"S", REG_SZ, Utf16(std::u16string(u"one\0", 4)));
  EXPECT_EQ(s.GetStringList(L"S", def), std::vector<std::wstring>{L"one"});
  PutRaw(s.subKey(), L"B", REG_BINARY, {0x61, 0});
  EXPECT_EQ(s.GetStringList(L"B", def), def);
  EXPECT_EQ(GetLastError(), ERROR_BAD_FORMAT);
}

TEST(RegistrySettings, BinaryValuesAreProbedFirst) {
  RegistrySettings s(L"Software\\T\\Bin");
  EXPECT_EQ(RegistrySettings::Probe(s.subKey(), L"B"), 0);  // no key
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  std::vector<uint8_t> out{9};
  EXPECT_FALSE(s.GetBinary(L"B", out));
  EXPECT_TRUE(out.empty());
  const uint8_t data[] = {0, 1, 2, 255};
  ASSERT_TRUE(s.SetBinary(L"B", data, sizeof data));
  EXPECT_EQ(RegistrySettings::Probe(s.subKey(), L"X"), 0);  // no value
  EXPECT_EQ(RegistrySettings::Probe(s.subKey(), L"b"), 1);
  EXPECT_EQ(GetLastError(), ERROR_MORE_DATA);
  ASSERT_TRUE(s.GetBinary(L"B", out));
  EXPECT_EQ(out, std::vector<uint8_t>(data, data + 4));
  ASSERT_TRUE(s.SetBinary(L"Zero", nullptr, 0));
  EXPECT_EQ(RegistrySettings::Probe(s.subKey(), L"Zero"), 1);
  EXPECT_EQ(RegistrySettings::Probe(L"\\bad", L"Zero"), -1);
  EXPECT_TRUE(s.DeleteValue(L"B"));
  EXPECT_FALSE(s.DeleteValue(L"B"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(RegistrySettings, FileExtensionsKeepValidEntriesOnce) {
  RegistrySettings s;
  EXPECT_EQ(ReadErrCodeSrchFileExts(s), DefaultErrCodeSrchFileExts());
  ASSERT_TRUE(s.SetStringList(setting::kErrCodeSrchFileExts, {L"exe", L".DLL", L".dll", L"."}));
  EXPECT_EQ(ReadErrCodeSrchFileExts(s), std::vector<std::wstring>{L".DLL"});
  const std::wstring longest = L"." + std::wstring(128, L'x');
  ASSERT_TRUE(s.SetStringList(setting::kErrCodeSrchFileExts, {longest, longest + L"y", L".\u00c9", L".\u00e9"}));
  EXPECT_EQ(ReadErrCodeSrchFileExts(s), (std::vector<std::wstring>{longest, L".\u00c9"}));
}

TEST(ProgramSettings, GrammarsAndSearchAddressesAreNormalised) {
  for (auto [stored, grammar] : std::vector<std::pair<uint32_t, uint32_t>>{
           {0, 1}, {0x40000000, 1}, {0x80, 1}, {0x100, 1}, {2, 2}, {0x6, 2}, {0x620, 0x20}, {0xFFFFFFFF, 1}})
    EXPECT_EQ(NormalizeRegexGrammar(stored), grammar) << stored;
  EXPECT_TRUE(IsValidOnlineSearchUrl(L"https://example.org/?q=%S%"));
  EXPECT_TRUE(IsValidOnlineSearchUrl(L"HTTP://example.org/%S%"));
  for (const wchar_t* bad : {L"javascript:alert(1)//%S%", L"https://%S% x", L"http://", L"ftp://h/%S%",
                             L"https://example.org/?q=", L"data:text/html,%S%", L" https://h/%S%",
                             L"https://h/\n%S%"})
    EXPECT_FALSE(IsValidOnlineSearchUrl(bad)) << bad;
  EXPECT_EQ(EffectiveOnlineSearchUrl(L"javascript:x//%S%"), kDefaultOnlineSearchUrl);

  RegistrySettings store;
  store.SetDword(setting::kReGrammar, 0x40000000);
  store.SetText(setting::kOnlineSearchURL, L"javascript:alert(1)//\"><script>%S%");
  std::vector<std::wstring> said;
  const ProgramSettings s = ProgramSettings::Load(store, [&](const std::wstring& t) { said.push_back(t); });
  EXPECT_EQ(s.regexGrammar, 1u);
  EXPECT_EQ(s.onlineSearchUrl, kDefaultOnlineSearchUrl);
  EXPECT_EQ(said.size(), 1u);
}

// --- window placement ---

const std::wstring kSub = L"Software\\TarnixProject\\Tarnix\\Settings";
const std::vector<MonitorArea> kOneMonitor{{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}}};

void StorePlacement(const std::wstring& name, int mx, Rect r) {
  RegistrySettings s(kSub);
  ASSERT_TRUE(s.SetDword(name + L"_Mx", static_cast<uint32_t>(mx)));
  ASSERT_TRUE(s.SetDword(name + L"_l", static_cast<uint32_t>(r.left)));
  ASSERT_TRUE(s.SetDword(name + L"_t", static_cast<uint32_t>(r.top)));
  ASSERT_TRUE(s.SetDword(name + L"_r", static_cast<uint32_t>(r.right)));
  ASSERT_TRUE(s.SetDword(name + L"_b", static_cast<uint32_t>(r.bottom)));
}

TEST(WindowPlacement, FirstStartScalesFromTheTemplate) {
  WindowPlacement p;
  WindowPlacement::Result r;
  ASSERT_TRUE(p.Restore(kSub, L"ECSWnd", {100, 100, 600, 500}, true, kOneMonitor, {0, 1.6, 1.5}, r));
  EXPECT_TRUE(r.moved);
  EXPECT_EQ(r.rect, (Rect{100, 100, 900, 700}));
  EXPECT_FALSE(r.showMaximized);

  // Factors below 1 leave the window alone.
  ASSERT_TRUE(p.Restore(kSub, L"XWnd", {100, 100, 600, 500}, true, kOneMonitor, {0, 0.9, 1.5}, r));
  EXPECT_FALSE(r.moved);
  EXPECT_EQ(r.rect, (Rect{100, 100, 600, 500}));
  ASSERT_TRUE(p.Restore(kSub, L"XWnd", {100, 100, 600, 500}, true, kOneMonitor, {7, 2, 2}, r));
  EXPECT_FALSE(r.moved);
}

TEST(WindowPlacement, CentreModeFitsTheWorkArea) {
  WindowPlacement p;
  WindowPlacement::Result r;
  ASSERT_TRUE(p.Restore(kSub, L"CWnd", {0, 0, 300, 200}, true, kOneMonitor,
                        {kPlacementCentre | kPlacementMaximized, 0.5, 0.5}, r));
  EXPECT_EQ(r.rect, (Rect{480, 260, 1440, 780}));
  EXPECT_TRUE(r.showMaximized);
  // Never larger than the work area, never smaller than the window.
  ASSERT_TRUE(p.Restore(kSub, L"CWnd", {0, 0, 1000, 200}, false, kOneMonitor,
                        {kPlacementCentre | kPlacementMaximized, 2.0, 0.1}, r));
  EXPECT_EQ(r.rect, (Rect{0, 420, 1920, 620}));
  EXPECT_FALSE(r.showMaximized);  // no maximize box
}

TEST(WindowPlacement, StoredPlacementOnAVanishedMonitorComesBack) {
  StorePlacement(L"MainWnd", 1, {3000, 100, 5000, 1300});
  WindowPlacement p;
  WindowPlacement::Result r;
  ASSERT_TRUE(p.Restore(kSub, L"MainWnd", {0, 0, 10, 10}, true, kOneMonitor, {0, 1.6, 1.5}, r));
  // Margin max(1920, 1040) / 30 = 64: the shrunk area is 64..1856 x 64..976.
  EXPECT_EQ(r.rect, (Rect{64, 64, 1856, 976}));
  EXPECT_TRUE(r.showMaximized);

  // A window that still overlaps the area stays where it was; reversed
  // edges are put right.
  StorePlacement(L"MainWnd", 0, {1900, 900, 1700, 700});
  ASSERT_TRUE(p.Restore(kSub, L"MainWnd", {0, 0, 10, 10}, true, kOneMonitor, {}, r));
  EXPECT_EQ(r.rect, (Rect{1700, 700, 1900, 900}));

  // A small window beside a second monitor moves to that monitor's area.
  std::vector<MonitorArea> two = kOneMonitor;
  two.push_back({{1920, 0, 3200, 1024}, {1920, 0, 3200, 1000}});
  StorePlacement(L"MainWnd", 0, {3300, 10, 3400, 60});
  ASSERT_TRUE(p.Restore(kSub, L"MainWnd", {0, 0, 10, 10}, true, two, {}, r));
  EXPECT_EQ(r.rect, (Rect{2510, 475, 2610, 525}));
}

TEST(WindowPlacement, OneUnusableValueMeansDefaults) {
  StorePlacement(L"ECSWnd", 0, {10, 10, 500, 500});
  RegistrySettings(kSub).SetText(L"ECSWnd_l", L"10");
  WindowPlacement p;
  WindowPlacement::Result r;
  ASSERT_TRUE(p.Restore(kSub, L"ECSWnd", {100, 100, 600, 500}, true, kOneMonitor, {0, 1.6, 1.5}, r));
  EXPECT_EQ(r.rect, (Rect{100, 100, 900, 700}));
}

TEST(WindowPlacement, SavesTheLastNormalRectangle) {
  WindowPlacement p;
  WindowPlacement::Result r;
  ASSERT_TRUE(p.Restore(kSub, L"IIDWnd", {0, 0, 400, 300}, true, kOneMonitor, {0, 1, 1}, r));
  p.Remember(false, false, {-50, 20, 350, 320});
  p.Remember(true, false, {0, 0, 1920, 1040});  // maximized: the rectangle is not taken
  ASSERT_TRUE(p.Save());
  RegistrySettings s(kSub);
  EXPECT_EQ(s.GetDword(L"IIDWnd_Mx", 9), 1u);
  EXPECT_EQ(static_cast<int32_t>(s.GetDword(L"IIDWnd_l", 9)), -50);
  EXPECT_EQ(s.GetDword(L"IIDWnd_b", 9), 320u);

  WindowPlacement again;
  ASSERT_TRUE(again.Restore(kSub, L"IIDWnd", {0, 0, 1, 1}, true, kOneMonitor, {}, r));
  EXPECT_EQ(r.rect, (Rect{-50, 20, 350, 320}));
  EXPECT_TRUE(r.showMaximized);

  EXPECT_FALSE(again.Restore(kSub, L"", {0, 0, 1, 1}, true, kOneMonitor, {}, r));
  EXPECT_FALSE(again.Restore(kSub, std::wstring(257, L'n'), {0, 0, 1, 1}, true, kOneMonitor, {}, r));
  EXPECT_FALSE(again.Restore(std::wstring(1025, L'k'), L"N", {0, 0, 1, 1}, true, kOneMonitor, {}, r));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
}  // namespace tarnix

namespace tarnix {
namespace {

TEST(WindowPlacement, ValuesThatCannotBeAWindowGiveTheDefaultsAndSizesFitTheScreen) {
  // A right edge of two billion: never a window on any screen.
  StorePlacement(L"MainWnd", 0, {100, 100, 2000000000, 800});
  WindowPlacement p;
  WindowPlacement::Result r;
  ASSERT_TRUE(p.Restore(kSub, L"MainWnd", {100, 100, 600, 500}, true, kOneMonitor, {0, 1.6, 1.5}, r));
  EXPECT_EQ(r.rect, (Rect{100, 100, 900, 700}));
  // No width, and edges at the extremes: the same.
  for (Rect bad : {Rect{100, 100, 100, 800}, Rect{INT32_MIN, 0, INT32_MAX, 10}, Rect{0, -40000, 10, 10}}) {
    StorePlacement(L"MainWnd", 0, bad);
    ASSERT_TRUE(p.Restore(kSub, L"MainWnd", {100, 100, 600, 500}, true, kOneMonitor, {0, 1.6, 1.5}, r));
    EXPECT_EQ(r.rect, (Rect{100, 100, 900, 700}));
  }
  // Larger than the screen, or with the title bar above it: made to fit.
  StorePlacement(L"MainWnd", 0, {-10, -300, 30000, 20000});
  ASSERT_TRUE(p.Restore(kSub, L"MainWnd", {100, 100, 600, 500}, true, kOneMonitor, {}, r));
  EXPECT_EQ(r.rect, (Rect{-10, 0, 1910, 1040}));

  // What is written is clamped the same way, all five values at once.
  p.Remember(false, false, {50, 50, 30000, 30000});
  ASSERT_TRUE(p.Save(kOneMonitor));
  RegistrySettings s(kSub);
  EXPECT_EQ(s.GetDword(L"MainWnd_r", 0), 1970u);
  EXPECT_EQ(s.GetDword(L"MainWnd_b", 0), 1090u);
  p.Remember(false, false, {0, 0, 0, 0});
  EXPECT_FALSE(p.Save(kOneMonitor));
  EXPECT_EQ(GetLastError(), static_cast<uint32_t>(ERROR_INVALID_DATA));
  EXPECT_EQ(s.GetDword(L"MainWnd_r", 0), 1970u);
}

TEST(Registry, SetManyWritesAllValuesOrNone) {
  RegKey key;
  ASSERT_EQ(key.Create(kSub), 0u);
  ASSERT_EQ(key.SetMany({{L"A", REG_DWORD, {1, 0, 0, 0}}, {L"B", REG_DWORD, {2, 0, 0, 0}}}), 0u);
  RegistrySettings s(kSub);
  EXPECT_EQ(s.GetDword(L"A", 0) + s.GetDword(L"B", 0), 3u);
  // A name that cannot be stored spoils the whole write.
  EXPECT_EQ(key.SetMany({{L"A", REG_DWORD, {5, 0, 0, 0}}, {std::wstring(20000, L'n'), REG_DWORD, {}}}),
            static_cast<uint32_t>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(s.GetDword(L"A", 0), 1u);
}

TEST(WindowLayout, ControlsFollowTheirAnchors) {
  const Rect c{10, 20, 110, 70};  // 100 x 50
  EXPECT_EQ(AnchoredRect(c, kAnchorLeft | kAnchorTop, 30, 40), c);
  EXPECT_EQ(AnchoredRect(c, kAnchorRight | kAnchorTop, 30, 40), (Rect{40, 20, 140, 70}));  // moves
  EXPECT_EQ(AnchoredRect(c, kAnchorRight | kAnchorLeft | kAnchorBottom | kAnchorTop, 30, 40),
            (Rect{10, 20, 140, 110}));  // stretches
  EXPECT_EQ(AnchoredRect(c, kAnchorBottom | kAnchorLeft, -5, -10), (Rect{10, 10, 110, 60}));
  EXPECT_FALSE(IsUsableAnchor(0x10));
  EXPECT_FALSE(IsValidLayoutFlags(3));
  EXPECT_TRUE(IsValidLayoutFlags(0x102));
  TrackingLimits t = LayoutTrackingLimits(400, 300, kLayoutWidthFixed);
  EXPECT_EQ(t.minWidth, 400);
  EXPECT_EQ(t.maxWidth, 400);
  EXPECT_EQ(t.maxHeight, 0);
}

TEST(WindowLayout, FixedWidthCannotBeResizedFromAnyBorder) {
  for (int hit = HTLEFT; hit <= HTBOTTOMRIGHT; ++hit) {
    const int h = FixedDimensionHitTest(hit, kLayoutWidthFixed);
    EXPECT_TRUE(h == HTCLIENT || h == HTTOP || h == HTBOTTOM) << hit;
    const int v = FixedDimensionHitTest(hit, kLayoutHeightFixed);
    EXPECT_TRUE(v == HTCLIENT || v == HTLEFT || v == HTRIGHT) << hit;
    EXPECT_EQ(FixedDimensionHitTest(hit, kLayoutResizable), hit);
  }
  EXPECT_EQ(FixedDimensionHitTest(HTTOPRIGHT, kLayoutWidthFixed), HTTOP);
  EXPECT_EQ(FixedDimensionHitTest(HTBOTTOMLEFT, kLayoutHeightFixed), HTLEFT);
}

}  // namespace
}  // namespace tarnix
