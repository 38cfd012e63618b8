#include <gtest/gtest.h>

#include "support/env_value.h"

#include <cstdlib>
#include <optional>
#include <set>
#include <string>

#include "platform/languages.h"

namespace tarnix {
namespace {

TEST(Languages, TableIsSortedUniqueAndNamed) {
  auto all = AllLanguages();
  ASSERT_GT(all.size(), 200u);
  std::set<std::wstring> names;
  for (size_t i = 0; i < all.size(); ++i) {
    if (i) {
      EXPECT_LT(all[i - 1].id, all[i].id);
    }
    EXPECT_TRUE(names.insert(all[i].name).second) << all[i].id;
    EXPECT_NE(std::wstring(all[i].displayName), L"");
  }
  ASSERT_NE(FindLanguage(0x409), nullptr);
  EXPECT_EQ(std::wstring(FindLanguage(0x409)->name), L"en-US");
  EXPECT_EQ(std::wstring(FindLanguage(0x409)->displayName), L"English (United States)");
  EXPECT_EQ(std::wstring(FindLanguage(0x407)->displayName), L"German (Germany)");
  EXPECT_EQ(FindLanguage(0x1234), nullptr);
  EXPECT_EQ(FindLanguageByName(L"DE_de")->id, 0x407);
  EXPECT_EQ(FindLanguageByName(L"sr-Latn-RS")->id, 0x241A);
  EXPECT_EQ(FindLanguageByName(L"xx-YY"), nullptr);
}

TEST(Languages, LocaleNames) {
  EXPECT_EQ(LanguageFromLocaleName("C"), 0x409);
  EXPECT_EQ(LanguageFromLocaleName("POSIX"), 0x409);
  EXPECT_EQ(LanguageFromLocaleName("C.UTF-8"), 0x409);
  EXPECT_EQ(LanguageFromLocaleName("de_DE.UTF-8"), 0x407);
  EXPECT_EQ(LanguageFromLocaleName("de_AT@euro"), 0xC07);
  EXPECT_EQ(LanguageFromLocaleName("en_GB"), 0x809);
  EXPECT_EQ(LanguageFromLocaleName("zh_TW.UTF-8"), 0x404);
  EXPECT_EQ(LanguageFromLocaleName("sr_RS@latin"), 0x241A);
  EXPECT_EQ(LanguageFromLocaleName("sr_RS"), 0x281A);
  EXPECT_EQ(LanguageFromLocaleName("fr"), 0x40C);     // the language's default country
  EXPECT_EQ(LanguageFromLocaleName("de_XX"), 0x407);  // unknown country
  EXPECT_EQ(LanguageFromLocaleName("tlh_QO"), 0);
}

using test::EnvValue;

TEST(Languages, UserDefaultFromTheEnvironment) {
  EXPECT_EQ(UserDefaultLanguage(), 0x409);  // the test main sets LANG=C
  EnvValue lang("LANG", "de_DE.UTF-8");
  EXPECT_EQ(UserDefaultLanguage(), 0x407);
  {
    EnvValue messages("LC_MESSAGES", "fr_FR.UTF-8");
    EXPECT_EQ(UserDefaultLanguage(), 0x40C);
    EnvValue all("LC_ALL", "ja_JP.UTF-8");
    EXPECT_EQ(UserDefaultLanguage(), 0x411);
    EnvValue empty("LC_ALL", "");  // an empty value does not count
    EXPECT_EQ(UserDefaultLanguage(), 0x40C);
  }
  EnvValue unknown("LANG", "tlh_QO");
  EXPECT_EQ(UserDefaultLanguage(), 0x409);
  EnvValue posix("LANG", "POSIX");
  EXPECT_EQ(UserDefaultLanguage(), 0x409);
}

}  // namespace
}  // namespace tarnix
