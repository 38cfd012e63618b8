#include "platform/languages.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

namespace tarnix {
namespace {

wchar_t Fold(wchar_t c) {
  if (c == L'_') return L'-';
  return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

// The language tag of a table name: "sr" of "sr-Latn-RS".
std::wstring_view LanguageTag(std::wstring_view name) {
  return name.substr(0, name.find(L'-'));
}

// The region of a table name: "RS" of "sr-Latn-RS"; empty when it has none.
std::wstring_view RegionTag(std::wstring_view name) {
  size_t dash = name.rfind(L'-');
  if (dash == std::wstring_view::npos) return {};
  std::wstring_view last = name.substr(dash + 1);
  return last.size() == 4 ? std::wstring_view() : last;  // a script, not a region
}

std::wstring Widen(std::string_view s) {
  return std::wstring(s.begin(), s.end());  // locale names are ASCII
}

uint16_t FromEnvironmentValue(const char* value) {
  if (!value || !*value) return 0;
  uint16_t id = LanguageFromLocaleName(value);
  return id ? id : kLangEnglishUS;
}

uint16_t ReadSystemLanguage() {
  for (const char* file : {"/etc/default/locale", "/etc/locale.conf"}) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind("LANG=", 0) != 0) continue;
      std::string value = line.substr(5);
      value.erase(std::remove(value.begin(), value.end(), '"'), value.end());
      if (uint16_t id = LanguageFromLocaleName(value)) return id;
    }
  }
  return kLangEnglishUS;
}

}  // namespace

std::span<const LanguageInfo> AllLanguages() {
  return {kLanguageTable, kLanguageCount};
}

const LanguageInfo* FindLanguage(uint16_t id) {
  auto all = AllLanguages();
  auto it = std::lower_bound(all.begin(), all.end(), id,
                             [](const LanguageInfo& l, uint16_t v) { return l.id < v; });
  return it != all.end() && it->id == id ? &*it : nullptr;
}

const LanguageInfo* FindLanguageByName(std::wstring_view name) {
  for (const LanguageInfo& l : AllLanguages())
    if (SameName(l.name, name)) return &l;
  return nullptr;
}

uint16_t LanguageFromLocaleName(std::string_view locale) {
  std::string_view base = locale.substr(0, locale.find_first_of(".@"));
  std::string_view modifier;
  if (size_t at = locale.find('@'); at != std::string_view::npos)
    modifier = locale.substr(at + 1);
  if (base == "C" || base == "POSIX" || base.empty()) return kLangEnglishUS;

  std::wstring tag = Widen(base);
  std::wstring language = tag.substr(0, tag.find(L'_'));
  std::wstring region;
  if (size_t u = tag.find(L'_'); u != std::wstring::npos) region = tag.substr(u + 1);
  // The script of names such as sr-Latn-RS: from the modifier, else the
  // one the C library's locale of that name uses (Cyrillic for Serbian,
  // Latin for the others).
  std::wstring script = language == L"sr" ? L"Cyrl" : L"Latn";
  if (modifier == "latin") script = L"Latn";
  if (modifier == "cyrillic") script = L"Cyrl";

  if (!region.empty()) {
    if (const LanguageInfo* l = FindLanguageByName(language + L"-" + region)) return l->id;
    if (const LanguageInfo* l = FindLanguageByName(language + L"-" + script + L"-" + region))
      return l->id;
    // A name with a script, such as sr-Cyrl-RS for sr_RS: the first one of
    // the language for that region.
    for (const LanguageInfo& l : AllLanguages())
      if (SameName(LanguageTag(l.name), language) && SameName(RegionTag(l.name), region))
        return l.id;
  }
  // The language's default country (sublanguage 1), else its first country.
  const LanguageInfo* first = nullptr;
  for (const LanguageInfo& l : AllLanguages()) {
    if (!SameName(LanguageTag(l.name), language) || SubLanguage(l.id) == 0) continue;
    if (SubLanguage(l.id) == 1) return l.id;
    if (!first) first = &l;
  }
  return first ? first->id : 0;
}

uint16_t UserDefaultLanguage() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"})
    if (uint16_t id = FromEnvironmentValue(std::getenv(var))) return id;
  return kLangEnglishUS;
}

uint16_t SystemDefaultLanguage() {
  static const uint16_t id = ReadSystemLanguage();
  return id;
}

}  // namespace tarnix
