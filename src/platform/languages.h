#pragma once
// Language identifiers as the platform knows them: the locale table (what
// the platform's locale enumeration lists) and the user's and system's
// default languages, taken from the POSIX locale environment.
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/language_table.h"

namespace tarnix {

inline constexpr uint16_t kLangNeutral = 0x0000;
inline constexpr uint16_t kLangUserDefault = 0x0400;    // neutral, default sublanguage
inline constexpr uint16_t kLangSystemDefault = 0x0800;  // neutral, system default sublanguage
inline constexpr uint16_t kLangEnglishUS = 0x0409;

constexpr uint16_t PrimaryLanguage(uint16_t id) { return id & 0x3FF; }
constexpr uint16_t SubLanguage(uint16_t id) { return id >> 10; }
constexpr uint16_t MakeLanguage(uint16_t primary, uint16_t sub) {
  return static_cast<uint16_t>((sub << 10) | primary);
}

// Every known language, sorted by identifier.
std::span<const LanguageInfo> AllLanguages();
// The entry of `id`, or null.
const LanguageInfo* FindLanguage(uint16_t id);
// The entry whose name is `name` ("en-US"; case and "-"/"_" do not matter),
// or null.
const LanguageInfo* FindLanguageByName(std::wstring_view name);

// The language of a POSIX locale name such as "de_DE.UTF-8" or
// "sr_RS@latin": "C" and "POSIX" are English (US); a name with only a
// language ("de") gives that language's default country; 0 when unknown.
uint16_t LanguageFromLocaleName(std::string_view locale);

// The user's default language: the first of LC_ALL, LC_MESSAGES and LANG that
// is set and not empty decides; English (US) when none is set or the name is
// unknown. Read at each call, so a changed environment takes effect.
uint16_t UserDefaultLanguage();
// The system's default language: the LANG of /etc/default/locale or
// /etc/locale.conf (read once), else English (US).
uint16_t SystemDefaultLanguage();

}  // namespace tarnix
