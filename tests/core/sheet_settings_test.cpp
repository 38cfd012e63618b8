// The setters of the settings sheet's values and the change notice: what a
// setter stores is what the program reads back at its next start, a value
// it cannot take is stored as the readers' fall-back (or, for the search
// URL, not at all) and refused, and every write is announced to whoever
// watches at that moment. The program's Windows folder follows the
// setting and the environment.
#include "core/sheet_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "core/program_windows_root.h"
#include "core/registry_settings.h"
#include "core/setting_changes.h"
#include "core/setting_names.h"
#include "core/window_settings.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"
#include "support/env_value.h"
#include "support/temp_dir.h"

namespace tarnix {
namespace {

// The settings announced while it lives.
struct Heard {
  std::vector<SettingId> ids;
  SettingWatch watch{[this](SettingId id) { ids.push_back(id); }};
};

TEST(SheetSettings, WhatIsStoredIsWhatTheProgramReadsBackAndEachWriteIsAnnounced) {
  ProgramSettings s;
  Heard heard;
  EXPECT_TRUE(WriteProgramFlag(s, ProgramFlag::kUndecorateNames, false));
  EXPECT_TRUE(WriteProgramFlag(s, ProgramFlag::kErrMsgWarnOverflow, false));
  EXPECT_TRUE(WriteOutputSize(s, OutputSize::kErrMsgResults, 5000));
  EXPECT_TRUE(WriteRegexGrammar(s, 16));
  EXPECT_TRUE(WriteUndecorationFlags(s, 0x8002));
  EXPECT_TRUE(WriteOnlineSearchUrl(s, L"  https://example.org/?q=%S%  "));
  EXPECT_TRUE(WriteMruNumEntries(3));
  EXPECT_TRUE(WriteHelpZoom(RegistrySettings(), 150));
  EXPECT_TRUE(WriteErrCodeSrchFileExts({L".dll", L".EXE"}));
  EXPECT_EQ(heard.ids, (std::vector<SettingId>{SettingId::kUndecorateNames, SettingId::kErrMsgWarnOverflow,
                                               SettingId::kErrMsgResultsSize, SettingId::kRegexGrammar,
                                               SettingId::kUndecorationFlags, SettingId::kOnlineSearchUrl,
                                               SettingId::kMruNumEntries, SettingId::kHelpZoom,
                                               SettingId::kErrCodeFileExts}));

  const RegistrySettings store;
  const ProgramSettings read = ProgramSettings::Load(store);
  EXPECT_FALSE(read.undecorateCppNames);
  EXPECT_FALSE(read.errMsgWarnOverflow);
  EXPECT_TRUE(read.errCodeClearOutputBeforeSearch);  // untouched
  EXPECT_EQ(read.errMsgResultsMaxChars, 5000u);
  EXPECT_EQ(read.regexGrammar, 16u);
  EXPECT_EQ(read.undecorationFlags, 0x8002u);
  EXPECT_EQ(read.onlineSearchUrl, L"https://example.org/?q=%S%");
  EXPECT_EQ(ReadMruNumEntries(store), 3u);
  EXPECT_EQ(ReadHelpZoom(store), 150);
  EXPECT_EQ(ReadErrCodeSrchFileExts(store), (std::vector<std::wstring>{L".dll", L".EXE"}));
  // The snapshot agrees with the store.
  EXPECT_EQ(s.regexGrammar, read.regexGrammar);
  EXPECT_EQ(ReadOutputSize(s, OutputSize::kErrMsgResults), 5000u);
  EXPECT_FALSE(ReadProgramFlag(s, ProgramFlag::kUndecorateNames));
}

TEST(SheetSettings, ValuesTheReadersWouldReplaceAreRefused) {
  ProgramSettings s;
  SetLastError(0);
  EXPECT_FALSE(WriteOutputSize(s, OutputSize::kStatusOutput, 999));
  EXPECT_EQ(GetLastError(), uint32_t{ERROR_INVALID_PARAMETER});
  EXPECT_EQ(s.tarnixOutputMaxChars, 1000u);
  EXPECT_FALSE(WriteOutputSize(s, OutputSize::kErrCodeOutput, 16777217));
  EXPECT_EQ(ProgramSettings::Load(RegistrySettings()).errCodeOutputMaxChars, 16777216u);
  EXPECT_FALSE(WriteRegexGrammar(s, 3 /* two grammars */));
  EXPECT_EQ(ProgramSettings::Load(RegistrySettings()).regexGrammar, 1u);
  EXPECT_FALSE(WriteMruNumEntries(65));
  EXPECT_EQ(ReadMruNumEntries(RegistrySettings()), 24u);
  // Only the valid extensions, in the order given.
  EXPECT_FALSE(WriteErrCodeSrchFileExts({L".dll", L"exe", L".DLL", L".sys"}));
  EXPECT_EQ(ReadErrCodeSrchFileExts(RegistrySettings()), (std::vector<std::wstring>{L".dll", L".sys"}));

  // A URL without "%S%" (or not a web address) is refused and the one the
  // user had stays, in the store and in the snapshot.
  ASSERT_TRUE(WriteOnlineSearchUrl(s, L"https://example.org/?q=%S%"));
  for (const wchar_t* bad : {L"https://example.org/?q=", L"file:///x/%S%", L""}) {
    EXPECT_FALSE(WriteOnlineSearchUrl(s, bad));
    EXPECT_EQ(s.onlineSearchUrl, L"https://example.org/?q=%S%");
  }
  EXPECT_EQ(ProgramSettings::Load(RegistrySettings()).onlineSearchUrl, L"https://example.org/?q=%S%");
}

TEST(SheetSettings, TheWindowsOwnChoices) {
  EXPECT_FALSE(ReadErrMsgOption(ErrMsgOption::kWholeWords));
  EXPECT_TRUE(WriteErrMsgOption(ErrMsgOption::kWholeWords, true));
  EXPECT_TRUE(ReadErrMsgOption(ErrMsgOption::kWholeWords));
  EXPECT_FALSE(ReadErrMsgOption(ErrMsgOption::kRegex));
  EXPECT_EQ(ReadErrMsgLanguage(), kNoErrMsgLanguage);
  EXPECT_TRUE(WriteErrMsgLanguage(0x409));
  EXPECT_EQ(ReadErrMsgLanguage(), 0x409u);
  EXPECT_EQ(ReadComposerMatchOf(), 1u);
  EXPECT_TRUE(WriteComposerMatchOf(3));
  EXPECT_EQ(ReadComposerMatchOf(), 3u);
  EXPECT_FALSE(WriteComposerMatchOf(4));
  EXPECT_EQ(ReadComposerMatchOf(), 1u);
  EXPECT_EQ(ReadFilterIndex(FilterIndexSetting::kErrRangeModule), 1u);
  EXPECT_TRUE(WriteFilterIndex(FilterIndexSetting::kErrRangeModule, 2));
  EXPECT_EQ(RegistrySettings().GetDword(L"OpenModErrMsgRangeFltrIdx", 0), 2u);
}

TEST(SettingWatch, OnlyWhileItLivesAndAWatcherMayStopWhileCalled) {
  std::vector<int> calls;
  std::optional<SettingWatch> second;
  SettingWatch first([&](SettingId) {
    calls.push_back(1);
    second.reset();  // the second watcher goes while the first is called
  });
  second.emplace([&](SettingId) { calls.push_back(2); });
  NotifySettingChanged(SettingId::kLookIn);
  EXPECT_EQ(calls, std::vector<int>{1});
  {
    SettingWatch moved = std::move(first);
    NotifySettingChanged(SettingId::kLookIn);
  }
  NotifySettingChanged(SettingId::kLookIn);
  EXPECT_EQ(calls, (std::vector<int>{1, 1}));
}

TEST(ProgramWindowsRoot, TheSettingThenTheEnvironmentEachChangeFollowed) {
  test::TempDir a("winA"), b("winB");
  std::filesystem::create_directories(a.path() / "Windows" / "System32");
  std::filesystem::create_directories(b.path() / "Windows" / "System32");
  const std::wstring rootA = FromUtf8((a.path() / "Windows").string());
  const test::EnvValue env("TARNIX_WINDOWS_ROOT", (b.path() / "Windows").c_str());
  EXPECT_EQ(ProgramWindowsRoot().source(), WindowsRootSource::kEnvironment);
  EXPECT_EQ(ProgramWindowsRoot().root(), b.path() / "Windows");
  Heard heard;
  ASSERT_TRUE(WriteWindowsRootSetting(rootA));
  EXPECT_EQ(heard.ids, std::vector<SettingId>{SettingId::kWindowsRoot});
  EXPECT_EQ(ProgramWindowsRoot().source(), WindowsRootSource::kSetting);
  EXPECT_EQ(ProgramWindowsRoot().root(), a.path() / "Windows");
  ASSERT_TRUE(WriteWindowsRootSetting(L""));
  EXPECT_EQ(ProgramWindowsRoot().root(), b.path() / "Windows");
}

}  // namespace
}  // namespace tarnix
