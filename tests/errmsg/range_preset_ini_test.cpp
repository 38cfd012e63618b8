#include <gtest/gtest.h>

#include "errmsg/range_preset_ini.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "tarnix_version.h"

namespace tarnix {
namespace {

using Pairs = std::vector<PresetPair>;

std::vector<PresetSection> File(std::vector<PresetSection> presets) {
  std::vector<PresetSection> s{{L"configerps", {{L"VERSION", L"1"}}}};
  s.insert(s.end(), presets.begin(), presets.end());
  return s;
}

uint32_t ImportError(const std::vector<PresetSection>& sections) {
  std::vector<RangeSet> presets{RangeSet{{}, L"kept", 0}};
  SetLastError(0);
  EXPECT_FALSE(RangePresetsFromIni(sections, presets));
  EXPECT_EQ(presets.size(), 1u);  // nothing changes on failure
  return GetLastError();
}

TEST(RangePresetIni, ExportLayoutAndRoundTrip) {
  const std::vector<RangeSet> presets = {
      {{{12000, 12175, 1, L"wininet.dll", L"Net | errors"}, {0xFFFFFFF0, 15, 0x100, L"", L""}},
       L"First",
       0x40 | kRangeSetUnsaved},
      {{}, L"Second", 0},
      {{{1, 2, 0, L"", L""}}, L"Built-in", kRangeSetBuiltIn},
  };
  const std::vector<PresetSection> sections = RangePresetsToIni(presets);
  ASSERT_EQ(sections.size(), 3u);  // built-in sets are not exported
  EXPECT_EQ(sections[0].name, L"ConfigERPs");
  EXPECT_EQ(sections[0].pairs, (Pairs{{L"Version", L"1"}}));
  EXPECT_EQ(sections[1].name, L"Preset0");
  EXPECT_EQ(sections[1].pairs, (Pairs{{L"Name", L"First"},
                                      {L"Flags", L"64"},
                                      {L"ErrRange0", L"12000|12175|1|wininet.dll|Net | errors"},
                                      {L"ErrRange1", L"4294967280|15|256||"}}));
  EXPECT_EQ(sections[2].name, L"Preset1");
  EXPECT_EQ(sections[2].pairs, (Pairs{{L"Name", L"Second"}, {L"Flags", L"0"}}));

  std::vector<RangeSet> back;
  ASSERT_TRUE(RangePresetsFromIni(sections, back));
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].ranges, presets[0].ranges);
  EXPECT_EQ(back[0].setFlags, 0x40u);
  EXPECT_EQ(back[1].name, L"Second");

  EXPECT_EQ(RangePresetFileComment(L"Tue Dec  8 19:40:00 2026"),
            L"This file was created by Tarnix v." TARNIX_VERSION_FULL "\n(It contains exports of the error "
            L"messages search presets.)\n\nDate: Tue Dec  8 19:40:00 2026\n");
}

TEST(RangePresetIni, ExportMakesStoredOddNamesImportable) {
  const std::vector<RangeSet> presets = {
      {{}, L"", 0}, {{}, L"a<b>*", 0}, {{}, L"A_B__", 0}, {{}, L"unnamed PRESET", 0}, {{}, L"x\u202Ey\x1b", 0}};
  std::vector<RangeSet> back;
  ASSERT_TRUE(RangePresetsFromIni(RangePresetsToIni(presets), back));
  ASSERT_EQ(back.size(), 5u);
  EXPECT_EQ(back[4].name, L"x_y_");
  EXPECT_EQ(back[0].name, L"Unnamed preset");
  EXPECT_EQ(back[1].name, L"a_b__");
  EXPECT_EQ(back[2].name, L"A_B__ (2)");
  EXPECT_EQ(back[3].name, L"unnamed PRESET (2)");
}

TEST(RangePresetIni, ImportReadsLooselyWrittenFiles) {
  // Names are trimmed, keys match ignoring case, other keys and sections
  // are ignored, Flags reads as a signed 64-bit number.
  std::vector<RangeSet> back;
  ASSERT_TRUE(RangePresetsFromIni(
      File({{L"Other", {{L"Name", L"x"}}},
            {L"PRESET7", {{L"name", L"  Mine \t"}, {L"flags", L"-1"}, {L"Comment", L"x"},
                          {L"errrange9", L"1|2|0||b"}, {L"ErrRangeX", L"3|4|2|/m.dll|"}}}}),
      back));
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].name, L"Mine");
  EXPECT_EQ(back[0].setFlags, 0xFFFF7FFEu);
  ASSERT_EQ(back[0].ranges.size(), 2u);
  EXPECT_EQ(back[0].ranges[1].libraryName, L"/m.dll");

  // A file without any preset is refused: importing it would remove every
  // stored preset.
  EXPECT_EQ(ImportError(File({})), ERROR_BAD_FORMAT);
  EXPECT_EQ(ImportError(File({{L"Other", {{L"Name", L"x"}}}})), ERROR_BAD_FORMAT);
}

TEST(RangePresetIni, EveryImportCheck) {
  auto preset = [](std::wstring name, Pairs extra = {}) {
    PresetSection s{L"Preset", {{L"Name", std::move(name)}, {L"Flags", L"0"}}};
    s.pairs.insert(s.pairs.end(), extra.begin(), extra.end());
    return s;
  };
  EXPECT_EQ(ImportError({}), ERROR_BAD_FORMAT);
  EXPECT_EQ(ImportError({{L"ConfigERPs", {}}}), ERROR_BAD_FORMAT);
  EXPECT_EQ(ImportError({{L"ConfigERPs", {{L"Version", L"1 "}}}}), ERROR_UNSUPPORTED_VERSION);
  EXPECT_EQ(ImportError({{L"ConfigERPs", {{L"Version", L"2"}}}}), ERROR_UNSUPPORTED_VERSION);
  EXPECT_EQ(ImportError(File({{L"Preset0", {{L"Flags", L"0"}}}})), ERROR_BAD_FORMAT);
  EXPECT_EQ(ImportError(File({{L"Preset0", {{L"Name", L"n"}}}})), ERROR_BAD_FORMAT);
  EXPECT_EQ(ImportError(File({{L"Preset0", {{L"Name", L"n"}, {L"Flags", L"x"}}}})),
            ERROR_BAD_FORMAT);
  EXPECT_EQ(ImportError(File({preset(L"  ")})), ERROR_EMPTY_NAME);
  EXPECT_EQ(ImportError(File({preset(std::wstring(257, L'n'))})), ERROR_NAME_TOO_LONG);
  EXPECT_EQ(ImportError(File({preset(L"a*b")})), ERROR_INVALID_NAME_CHARS);
  for (const std::wstring& hidden : std::vector<std::wstring>{L"a\x1b[2Jb", L"a\rb", L"a\nb", L"a\tb",
                                                              std::wstring(L"a\0b", 3), L"a\u202Eb",
                                                              std::wstring(L"a") + wchar_t(0xDC80)})
    EXPECT_EQ(ImportError(File({preset(hidden)})), ERROR_INVALID_NAME_CHARS);
  EXPECT_EQ(ImportError(File({preset(L"Same"), preset(L"SAME ")})), ERROR_NAME_ALREADY_USED);
  EXPECT_EQ(ImportError(File({preset(L"n", {{L"ErrRange0", L"1|2|3||"}})})),
            ERROR_INVALID_FLAG_NUMBER);
  EXPECT_EQ(ImportError(File({preset(L"n", {{L"ErrRange0", L"1|2|0|"}})})),
            ERROR_SEPARATOR_MISSING);
  EXPECT_EQ(ImportError(File({preset(L"n", {{L"ErrRange0", L"x|2|0||"}})})), ERROR_BAD_FORMAT);
  EXPECT_EQ(ImportError(File({preset(L"n", {{L"ErrRange0", L"1|2|1|" + std::wstring(261, L'm') + L"|"}})})),
            ERROR_FILENAME_EXCED_RANGE);

  Pairs many;
  for (int i = 0; i < 1025; ++i) many.push_back({L"ErrRange", L"1|2|0||"});
  EXPECT_EQ(ImportError(File({preset(L"n", many)})), ERROR_TOO_MANY_ITEMS);
  many.pop_back();
  std::vector<RangeSet> back;
  EXPECT_TRUE(RangePresetsFromIni(File({preset(L"n", many)}), back));

  std::vector<PresetSection> presets;
  for (int i = 0; i < 65; ++i) presets.push_back(preset(L"p" + std::to_wstring(i)));
  EXPECT_EQ(ImportError(File(presets)), ERROR_TOO_MANY_PRESETS);
  presets.pop_back();
  EXPECT_TRUE(RangePresetsFromIni(File(presets), back));
  EXPECT_EQ(back.size(), 64u);
}

}  // namespace
}  // namespace tarnix
