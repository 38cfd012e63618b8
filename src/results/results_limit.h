#pragma once
// The memory limit of a results list, so that a search for every symbol
// of a huge folder cannot take the machine down: the setting "SrchResMaxMB"
// in MiB, or a quarter of the machine's memory when it is 0.
#include <cstdint>
#include <string>
#include <string_view>

namespace tarnix {

uint64_t ResultsMemoryLimit(uint32_t settingMiB);

// How the limit is raised: the stored setting (the window) or the command
// line's --max-memory.
enum class LimitRaise { kSetting, kOption };

// What a search stopped at the limit says (after "Warning: " in the status
// output): how many results were kept, how to narrow the search and how to
// raise the limit.
std::wstring ResultsLimitText(uint64_t kept, uint64_t limitBytes, LimitRaise raise);

}  // namespace tarnix
