// tarnix-cli eventlog export FILE [--max N]: the program's event-log records
// as an HTML page, newest first.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/cli_support.h"
#include "cli/command.h"
#include "core/error_text.h"
#include "core/event_log.h"
#include "core/event_log_export.h"
#include "core/registry_settings.h"
#include "core/setting_names.h"
#include "core/wformat.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"

namespace tarnix::cli {
namespace {

void Usage() { std::fprintf(stderr, "usage: tarnix-cli eventlog export FILE [--max N]\n"); }

int RunEventLog(const std::vector<std::string>& args) {
  if (args.size() < 2 || args[0] != "export") {
    Usage();
    return kExitUsage;
  }
  const std::string path = args[1];
  uint64_t maxEntries = RegistrySettings().GetDword(setting::kExportEvtLogMaxEntryCount,
                                                   setting::kExportEvtLogMaxEntryCountDefault);
  for (size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--max" && i + 1 < args.size() && ReadOptionNumber(args[i + 1], UINT64_MAX, maxEntries)) {
      ++i;
    } else {
      Usage();
      return kExitUsage;
    }
  }
  EventLogExportParams params;
  params.readForwards = false;
  params.maxEntries = maxEntries;
  params.title = WFormat(L"%ls - %ls", L"Event Log Export", EventLog::kSourceName);
  params.appName = EventLog::kSourceName;
  params.appVersion = EventLog::kVersion;
  int r = ExportEventLogToHtml(path, params);
  if (r == -1) {
    const uint32_t err = GetLastError();
    const std::wstring wpath = FromUtf8(path);
    EventLog::LogSiteFormat(770, L"r=%d, path=\"%ls\"", r, wpath.c_str());
    std::fprintf(stderr, "%s\n",
                 ToUtf8(WFormat(L"ERROR: Failed to export event log into the following file:\n\n%ls\n\n%ls",
                                wpath.c_str(), ErrorText(err).c_str()))
                     .c_str());
    return kExitSomeFailed;
  }
  if (r == -2) return kExitStopped;
  return kExitOk;
}

CommandRegistrar registrar("eventlog", "export the program's event log as HTML (export FILE [--max N])",
                           RunEventLog);

}  // namespace
}  // namespace tarnix::cli
