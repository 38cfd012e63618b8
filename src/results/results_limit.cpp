#include "results/results_limit.h"

#include "core/program_settings.h"
#include "core/text_format.h"
#include "core/wformat.h"
#include "platform/os_info.h"

namespace tarnix {

uint64_t ResultsMemoryLimit(uint32_t settingMiB) {
  if (settingMiB) return uint64_t{settingMiB} << 20;
  const uint64_t memory = PhysicalMemoryBytes();
  // Without the machine's size: 1 GiB, some four million results.
  return memory ? memory / 4 : uint64_t{1} << 30;
}

std::wstring ResultsLimitText(uint64_t kept, uint64_t limitBytes, LimitRaise raise) {
  const std::wstring how = raise == LimitRaise::kOption
                               ? std::wstring(L" or raise the limit with --max-memory")
                               : WFormat(L" or raise the limit (the setting \"%ls\", in MiB)", setting::kSrchResMaxMB);
  return WFormat(L"Search stopped: the results list reached its memory limit of %ls with %llu "
                 L"result(s), all of which are kept. To find the rest, narrow the search (a more specific "
                 L"'Search For' or 'File Name', a smaller folder or no subfolders, fewer Look In items, "
                 L"PE filters)%ls.",
                 FormatByteSize(limitBytes).c_str(), static_cast<unsigned long long>(kept),
                 how.c_str());
}

}  // namespace tarnix
