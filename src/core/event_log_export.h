#pragma once
// Export of the program's own Application-log records into an HTML page.
#include <cstdint>
#include <string>
#include <vector>

#include "core/machine_stats.h"

namespace tarnix {

class WaitEvent;

struct EventLogExportParams {
  bool readForwards = false;   // true: oldest first; false: newest first
  uint64_t maxEntries = 0;     // stop after this many written entries; 0 = no limit
  // Answers nonzero to go on, 0 to cancel. Optional.
  int (*cancelCallback)(void* context) = nullptr;
  void* callbackContext = nullptr;
  const WaitEvent* cancelEvent = nullptr;  // used only without a callback
  std::wstring title;          // empty: "Event Log Export"
  std::wstring header;         // empty: "Event Log Export"
  std::wstring appName;
  std::wstring appVersion;
  std::wstring appUrl;         // optional link of the application name
  std::wstring sourceFilter;   // set to the program's source by the export
  std::vector<MonitorStats> monitors;  // the display monitors, if any
};

// Writes the page to `path` (UTF-8). Returns 0 when every matching entry
// was written, 1 when it stopped at the maximum entry count, -2 when
// cancelled, -1 on failure with the last error set. A negative result
// leaves no file behind.
int ExportEventLogToHtml(const std::string& path, EventLogExportParams params);

// The statistics rows of the page head.
std::wstring BuildExportStatsRows(const EventLogExportParams& params, const MachineStats& machine);

}  // namespace tarnix
