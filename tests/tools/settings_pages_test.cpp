// The settings pages' checks and writes, without their widgets.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/program_settings.h"
#include "core/registry_settings.h"
#include "core/setting_changes.h"
#include "core/setting_names.h"
#include "tools/filter_link_text.h"
#include "tools/message_box_table.h"
#include "tools/settings_pages.h"

namespace tarnix {
namespace {

// Every bounded number field refuses one past each bound with its message
// and the bounds, and accepts the bounds themselves.
TEST(SettingsPages, NumberFieldsRefuseValuesPastTheirBoundsWithTheBounds) {
  ErrorSearchPageInput es = ErrorSearchPageDefaults();
  es.errMsgResultsSize = L"999";
  PageCheck c = CheckErrorSearchPage(es);
  EXPECT_EQ(c.field, kErrSearchResultsSize);
  EXPECT_EQ(c.message,
            L"Maximum size of the results window for 'Error Message Search' cannot be less than 1000 or greater "
            L"than 16777216.");
  es.errMsgResultsSize = L"16777217";
  EXPECT_EQ(CheckErrorSearchPage(es).message, c.message);
  es.errMsgResultsSize = L" 16777216 ";
  es.errCodeOutputSize = L"1000";
  EXPECT_TRUE(CheckErrorSearchPage(es).ok());
  es.errCodeOutputSize = L"12x";
  EXPECT_EQ(CheckErrorSearchPage(es).field, kErrSearchCodeOutputSize);
  EXPECT_NE(CheckErrorSearchPage(es).message.find(L"'Error Code Search' cannot be less than 1000"), std::wstring::npos);

  GeneralPageInput g = GeneralPageDefaults();
  EXPECT_TRUE(CheckGeneralPage(g).ok());
  g.helpZoom = L"19";
  EXPECT_EQ(CheckGeneralPage(g).message,
            L"Information window text magnification cannot be less than 20 or greater than 800.");
  g.helpZoom = L"800";
  g.mruEntries = L"65";
  EXPECT_EQ(CheckGeneralPage(g).message, L"Maximum number of MRU items cannot be less than 1 or greater than 64.");
  g.mruEntries = L"";
  EXPECT_EQ(CheckGeneralPage(g).field, kGeneralMruEntries);
  g.mruEntries = L"1";
  g.statusOutputSize = L"99999999999999999999999";
  EXPECT_EQ(CheckGeneralPage(g).field, kGeneralStatusOutputSize);
  g.statusOutputSize = L"-1000";
  EXPECT_EQ(CheckGeneralPage(g).field, kGeneralStatusOutputSize);
}

// Fields are checked in page order: the first invalid one is reported.
TEST(SettingsPages, TheFirstInvalidFieldInPageOrderIsReported) {
  GeneralPageInput g = GeneralPageDefaults();
  g.statusOutputSize = L"5";
  g.onlineSearchUrl = L"";
  g.grammar = 3;
  EXPECT_EQ(CheckGeneralPage(g).field, kGeneralOnlineSearchUrl);
  EXPECT_EQ(CheckGeneralPage(g).message, L"Online search query URL cannot be empty");
  g.onlineSearchUrl = L"https://example.org/?q=%S%";
  EXPECT_EQ(CheckGeneralPage(g).message, L"Selection for 'Regex grammar to use for search' is invalid.");
}

TEST(SettingsPages, OnlineSearchUrlNeedsThePlaceholderAnywhere) {
  GeneralPageInput g = GeneralPageDefaults();
  g.onlineSearchUrl = L"  \t ";
  EXPECT_EQ(CheckGeneralPage(g).message, L"Online search query URL cannot be empty");
  g.onlineSearchUrl = L"https://example.org/search?q=%s";
  EXPECT_EQ(CheckGeneralPage(g).message,
            L"Online search query URL needs to contain %S% as a placeholder for the search word.");
  for (const wchar_t* ok : {L"https://example.org/search?q=%S%", L"http://example.org/%S%/results",
                            L"  https://%S%.example.org/  "}) {
    g.onlineSearchUrl = ok;
    EXPECT_TRUE(CheckGeneralPage(g).ok()) << ok;
  }
  // Only web addresses are opened.
  g.onlineSearchUrl = L"file:///etc/%S%";
  EXPECT_EQ(CheckGeneralPage(g).field, kGeneralOnlineSearchUrl);
  EXPECT_EQ(OnlineSearchUrlNote(), L"(Query string must contain %S% as a placeholder for the search word.)");
}

TEST(SettingsPages, ExtensionListsSplitAtCommasAndSemicolons) {
  std::vector<std::wstring> list;
  std::wstring message;
  ASSERT_TRUE(ParseFileExtensionList(L".exe; .dll,, .sys", list, message));
  EXPECT_EQ(list, (std::vector<std::wstring>{L".exe", L".dll", L".sys"}));
  ASSERT_TRUE(ParseFileExtensionList(L".exe;.EXE,.dll", list, message));
  EXPECT_EQ(list, (std::vector<std::wstring>{L".exe", L".dll"}));
  ASSERT_TRUE(ParseFileExtensionList(L"  ", list, message));
  EXPECT_TRUE(list.empty());

  EXPECT_FALSE(ParseFileExtensionList(L".exe, exe", list, message));
  EXPECT_EQ(message,
            L"File extensions for filtering error code search files must begin with a dot. Separate multiple "
            L"extensions with a comma. Example:\n\n.exe, .dll, .sys");
  EXPECT_FALSE(ParseFileExtensionList(L".", list, message));
  EXPECT_NE(message.find(L"must begin with a dot"), std::wstring::npos);

  EXPECT_FALSE(ParseFileExtensionList(L".dll, .e xe", list, message));
  EXPECT_EQ(message,
            L"The following file extension contains illegal characters:\n\n.e xe\n\nDon't use any of the "
            L"following: spaces \\ / ? < > | * : \"");
  for (const wchar_t* bad : {L".a*", L".a/b", L".a?", L".a|b", L".a\"", L".a:b", L".a<", L".a\\b", L".a\tb"})
    EXPECT_FALSE(ParseFileExtensionList(bad, list, message)) << bad;

  // The longest an extension may be is what the stored list keeps.
  const std::wstring longest = L"." + std::wstring(128, L'x');
  EXPECT_TRUE(ParseFileExtensionList(longest, list, message));
  EXPECT_FALSE(ParseFileExtensionList(longest + L"x", list, message));
  EXPECT_EQ(message, L"The following file extension is too long:\n\n" + longest + L"x");

  EXPECT_EQ(JoinFileExtensions({L".exe", L".dll"}), L".exe, .dll");
  const std::vector<std::wstring> presets = FileExtensionPresets();
  ASSERT_EQ(presets.size(), 7u);
  EXPECT_EQ(presets.front(), L"");
  EXPECT_EQ(presets.back(), JoinFileExtensions(DefaultErrCodeSrchFileExts()));
}

TEST(SettingsPages, ConfirmedPagesWriteTheStoreAndTheSnapshotAndAnnounceIt) {
  ProgramSettings s;
  std::vector<SettingId> told;
  SettingWatch watch([&](SettingId id) { told.push_back(id); });

  ErrorSearchPageInput es = ErrorSearchPageOf(s);
  es.fileExts = L".exe; .dll,, .sys";
  es.errCodeOutputSize = L"2000";
  es.errMsgWarnOverflow = false;
  ASSERT_TRUE(StoreErrorSearchPage(s, es).ok());
  EXPECT_EQ(ReadErrCodeSrchFileExts(RegistrySettings()), (std::vector<std::wstring>{L".exe", L".dll", L".sys"}));
  EXPECT_EQ(s.errCodeOutputMaxChars, 2000u);
  EXPECT_FALSE(s.errMsgWarnOverflow);
  EXPECT_EQ(ErrorSearchPageOf(s).fileExts, L".exe, .dll, .sys");
  EXPECT_EQ(ProgramSettings::Load(RegistrySettings()).errCodeOutputMaxChars, 2000u);

  GeneralPageInput g = GeneralPageOf(s);
  g.grammar = 4;
  g.undecorationFlags = 0x1000;
  g.helpZoom = L"150";
  g.mruEntries = L"10";
  g.onlineSearchUrl = L" https://example.org/?q=%S% ";
  g.autoScrollResults = true;
  EXPECT_TRUE(g.cacheSymbols);
  g.cacheSymbols = false;
  ASSERT_TRUE(StoreGeneralPage(s, g).ok());
  EXPECT_FALSE(s.cacheSymbols);
  EXPECT_FALSE(GeneralPageOf(s).cacheSymbols);
  EXPECT_TRUE(GeneralPageDefaults().cacheSymbols);
  EXPECT_EQ(s.regexGrammar, 4u);
  EXPECT_EQ(s.undecorationFlags, 0x1000u);
  EXPECT_EQ(s.onlineSearchUrl, L"https://example.org/?q=%S%");
  const ProgramSettings reread = ProgramSettings::Load(RegistrySettings());
  EXPECT_EQ(reread.regexGrammar, 4u);
  EXPECT_TRUE(reread.autoScrollResults);
  EXPECT_FALSE(reread.cacheSymbols);
  EXPECT_EQ(ReadHelpZoom(RegistrySettings()), 150);
  EXPECT_EQ(ReadMruNumEntries(RegistrySettings()), 10u);
  EXPECT_EQ(GeneralPageOf(s).mruEntries, L"10");
  for (SettingId id : {SettingId::kRegexGrammar, SettingId::kUndecorationFlags, SettingId::kCacheSymbols,
                       SettingId::kErrCodeFileExts})
    EXPECT_NE(std::find(told.begin(), told.end(), id), told.end());

  // An invalid page stores nothing.
  told.clear();
  g.grammar = 8;
  g.statusOutputSize = L"999";
  EXPECT_EQ(StoreGeneralPage(s, g).field, kGeneralStatusOutputSize);
  EXPECT_EQ(s.regexGrammar, 4u);
  EXPECT_TRUE(told.empty());
}

TEST(SettingsPages, MessageBoxChoicesRoundTripThroughTheStore) {
  std::vector<MessageBoxChoice> choices = DefaultMessageBoxChoices();
  ASSERT_EQ(choices.size(), 9u);
  choices[6].shown = false;               // row 7
  choices[4].answer = kAnswerYes;         // row 5 keeps Yes or No
  choices[5].answer = kAnswerNo;          // row 6 keeps Yes only: removed
  ASSERT_TRUE(StoreMessageBoxChoices(choices));
  const std::vector<MessageBoxChoice> loaded = LoadMessageBoxChoices();
  EXPECT_FALSE(loaded[6].shown);
  EXPECT_TRUE(IsSuppressed(*FindMessageBoxRow(7)));
  EXPECT_EQ(loaded[6].answer, kAnswerYes);
  EXPECT_EQ(loaded[4].answer, kAnswerYes);
  EXPECT_EQ(loaded[5].answer, kAnswerYes);  // the row's default
  EXPECT_EQ(OfferedAnswers(*FindMessageBoxRow(5)), (std::vector<int>{kAnswerYes, kAnswerNo}));
  EXPECT_EQ(OfferedAnswers(*FindMessageBoxRow(1)), (std::vector<int>{kAnswerOk}));

  ASSERT_TRUE(StoreMessageBoxChoices(DefaultMessageBoxChoices()));
  EXPECT_FALSE(IsSuppressed(*FindMessageBoxRow(7)));
  EXPECT_EQ(LoadMessageBoxChoices()[4].answer, kAnswerNo);
}

// The flags row of the General page and the undecorator window: one link
// per flag of the engine's table.
TEST(SettingsPages, UndecorationFlagsShowAsOneLinkPerFlag) {
  EXPECT_EQ(UndecorationFlagsLinkText(0), L"<a>UNDNAME_COMPLETE</a>");
  EXPECT_EQ(UndecorationFlagsLinkText(0x2), L"<a>UNDNAME_NO_MS_KEYWORDS</a>");
  const std::wstring two = UndecorationFlagsLinkText(0x1002);
  EXPECT_NE(two.find(L"<a>UNDNAME_NAME_ONLY</a>"), std::wstring::npos);
  EXPECT_NE(two.find(L"</a> | <a>"), std::wstring::npos);
}

}  // namespace
}  // namespace tarnix
