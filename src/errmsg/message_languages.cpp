#include "errmsg/message_languages.h"

#include <algorithm>

#include "core/event_log.h"
#include "platform/case_fold.h"
#include "platform/languages.h"
#include "platform/system_messages.h"

namespace tarnix {
namespace {

// Whether the system answers code 5 in `id`. The program's own descriptions
// are English (US) and answer any language that has no table of its own,
// so a specific language counts only when a system table holds it.
bool HasSystemMessages(uint32_t id, const std::vector<uint16_t>& tableLanguages) {
  if (id == kLangNeutral || id == kLangUserDefault) {
    std::wstring text;
    return FormatSystemMessage(5, id, text);
  }
  if (id == kLangEnglishUS) return true;
  return std::binary_search(tableLanguages.begin(), tableLanguages.end(),
                            static_cast<uint16_t>(id));
}

}  // namespace

std::wstring MessageLanguageDisplayName(uint32_t id) {
  uint16_t language = static_cast<uint16_t>(id);
  if (id == kLangNeutral || id == kLangUserDefault) language = UserDefaultLanguage();
  if (id == kLangSystemDefault) language = SystemDefaultLanguage();
  const LanguageInfo* info = id <= 0xFFFF ? FindLanguage(language) : nullptr;
  return info ? info->displayName : L"";
}

std::vector<MessageLanguage> MessageLanguageList() {
  const std::vector<uint16_t> tableLanguages = SystemMessageLanguages();
  std::vector<MessageLanguage> list;
  if (HasSystemMessages(kLangUserDefault, tableLanguages)) {
    std::wstring text = L"User Default: ";
    text += MessageLanguageDisplayName(kLangUserDefault);
    list.push_back({text, kLangUserDefault});
  }
  list.push_back({L"Neutral", kLangNeutral});
  if (HasSystemMessages(kLangEnglishUS, tableLanguages))
    list.push_back({L"English (US)", kLangEnglishUS});

  struct Named {
    std::wstring display;
    std::wstring text;
    uint16_t id;
  };
  std::vector<Named> others;
  for (const LanguageInfo& l : AllLanguages()) {
    if (l.id == kLangNeutral || l.id == kLangUserDefault || l.id == kLangEnglishUS) continue;
    if (!HasSystemMessages(l.id, tableLanguages)) continue;
    std::wstring text = l.name && *l.name ? L"[" + std::wstring(l.name) + L"] " : L"";
    text += l.displayName;
    others.push_back({l.displayName, text, l.id});
  }
  if (others.empty()) return list;
  std::stable_sort(others.begin(), others.end(), [](const Named& a, const Named& b) {
    return CompareIgnoreCase(a.display, b.display) < 0;
  });
  list.push_back({L"-------------------------", kLanguageSeparatorId});
  for (const Named& n : others) list.push_back({n.text, n.id});
  return list;
}

const std::vector<MessageLanguage>& CachedMessageLanguageList() {
  static const std::vector<MessageLanguage> list = MessageLanguageList();
  return list;
}

bool MessageLanguageAvailable(uint32_t id) {
  if (id > 0xFFFF) return false;
  for (const MessageLanguage& l : MessageLanguageList())
    if (l.id == id && l.id != kLanguageSeparatorId) return true;
  const std::vector<uint16_t> tables = SystemMessageLanguages();
  return std::binary_search(tables.begin(), tables.end(),
                            MakeLanguage(PrimaryLanguage(static_cast<uint16_t>(id)), 0));
}

std::optional<size_t> SelectMessageLanguage(const std::vector<MessageLanguage>& list,
                                            uint32_t stored) {
  auto find = [&](uint32_t id) -> std::optional<size_t> {
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i].id == id) return i;
    return std::nullopt;
  };
  if (stored != kLanguageSeparatorId)
    if (auto at = find(stored)) return at;
  if (auto at = find(kLangUserDefault)) return at;
  EventLog::LogSiteFormat(210, L"id=0x%x", stored);
  return std::nullopt;
}

}  // namespace tarnix
