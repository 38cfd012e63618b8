#pragma once
// The languages an error message search can ask for: "User Default",
// "Neutral" and "English (US)", then every language the system message
// tables hold, by display name.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnix {

inline constexpr uint32_t kLanguageSeparatorId = 0xFFFFFFFE;  // the separator entry

struct MessageLanguage {
  std::wstring text;  // as listed
  uint32_t id;        // language identifier; kLanguageSeparatorId for the separator
};

// The display name of a language identifier (the user's default language
// for 0 and 0x400, the system's for 0x800); empty when it is unknown.
std::wstring MessageLanguageDisplayName(uint32_t id);

// The list in its order: the fixed entries that have messages (Neutral
// always), then, when any other language has system messages, the
// separator "-------------------------" and those languages as "[%s] %s"
// (name, display name), sorted by display name ignoring case.
std::vector<MessageLanguage> MessageLanguageList();
// The list made once per process (the first call probes, under a lock).
const std::vector<MessageLanguage>& CachedMessageLanguageList();

// Whether a search can ask for `id`: a listed entry, or a language whose
// primary language (neutral sublanguage) the system tables hold, as the
// formatter falls back to it (0x407 is answered by a 0x0007 table).
bool MessageLanguageAvailable(uint32_t id);

// The entry to select for the stored identifier: that one when it is listed
// (and not the separator), else "User Default"; none when that is missing
// too (logged).
std::optional<size_t> SelectMessageLanguage(const std::vector<MessageLanguage>& list,
                                            uint32_t stored);

}  // namespace tarnix
