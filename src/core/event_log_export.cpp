#include "core/event_log_export.h"

#include <clocale>
#include <ctime>
#include <locale.h>

#include "core/event_log.h"
#include "core/text_format.h"
#include "core/wformat.h"
#include "platform/char_class.h"
#include "platform/event_store.h"
#include "platform/file_output.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/time_utils.h"
#include "platform/wait_event.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

constexpr size_t kWriteBufferSize = 0x80000;
constexpr size_t kReadBufferSize = 0x20000;
constexpr size_t kReadBatch = 512;
constexpr uint32_t kCancelCheckIntervalMs = 100;

constexpr const wchar_t kHeadTemplate[] =
    L"<!DOCTYPE html>\n<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
    L"charset=utf-8\" />\n<title>#TITLE#</title>\n</head>\n<style>\nbody, p, table, tr, td, th "
    L"{\n\tbackground-color: White;\n\tfont-family: Segoe UI, \"Trebuchet MS\", Arial, Helvetica, "
    L"sans-serif;\n\tfont-size:12px;\n}\ntable{\n\tborder-collapse: collapse;\n\tborder: 2px solid "
    L"#dcdcdc;\n}\ntd, th{\n\tvertical-align: top;\n\tborder-collapse: collapse;\n\tborder: 1px "
    L"solid #dcdcdc;\n\tpadding-right: 8px;\n\tword-break: break-all;\n}\n.nbrd{\n\tborder: "
    L"none;\n\tmargin-bottom: 2em;\n}\n.nbrd td, .nbrd th{\n\tborder: none;\n}\n.smFont{\n\tfont-"
    L"size: .8em;\n\ttext-align: center;\n\tpadding: 20px 4px;\n}\nh1{\n\ttext-align: "
    L"center;\n}\ntr td:nth-child(5){\n\ttext-align: center;\n}\n.tac{\n\ttext-align: "
    L"center;\n}\n.cW td{ color: #d2850c; }\n.cE td{ color: #C00000; "
    L"}\n</style>\n<body>\n<h1>#HEADER#</h1>\n<div>\n<p><table border=\"0\" cellpadding=\"1\" "
    L"cellspacing=\"0\" class=\"nbrd\">\n#STATS#\n</table>\n</div>\n<table width='100%' "
    L"border='1' cellpadding='1' cellspacing='0'>\n<tr>\n\t<th nowrap>Type</th>\n\t<th>Date "
    L"&amp; Time (Local)</th>\n\t<th>Date &amp; Time (UTC)</th>\n\t<th>Source</th>\n\t<th>Event "
    L"ID</th>\n</tr>\n";

constexpr const wchar_t kStatsFormat[] =
    L"<tr><td>Application: </td><td>%ls</td></tr><tr><td>Generated: </td><td>%04u-%02u-%02u "
    L"%02u:%02u:%02u.%03u (local)</td></tr><tr><td>OS: </td><td>%ls</td></tr><tr><td>OS Ver: "
    L"</td><td>%ls</td></tr><tr><td>Locale: </td><td>(0x%04X) %ls</td></tr><tr><td>Country: "
    L"</td><td>%d</td></tr><tr><td>Screen(s): </td><td>%ls</td></tr><tr><td>OS: "
    L"</td><td>%ls</td></tr><tr><td>App: </td><td>%ls</td></tr><tr><td>RAM: </td><td>%.02fGB "
    L"(%.01f%% free)</td></tr><tr><td>Disk (OS): </td><td>%.02fGB (%.01f%% "
    L"free)</td></tr><tr><td>Disk (App): </td><td>%.02fGB (%.01f%% free)</td></tr><tr><td>Other: "
    L"</td><td>%ls</td></tr>";

constexpr const wchar_t kDefaultTitle[] = L"Event Log Export";

void ReplaceAll(std::wstring& s, std::wstring_view what, std::wstring_view with) {
  for (size_t pos = s.find(what); pos != std::wstring::npos; pos = s.find(what, pos + with.size()))
    s.replace(pos, what.size(), with);
}

std::wstring AppText(const EventLogExportParams& p) { return p.appName + L" v." + p.appVersion; }

// UTF-8 text into the output file.
class HtmlOut {
 public:
  bool Create(const std::string& path) { return file_.Create(path, kWriteBufferSize); }
  bool Bytes(std::string_view bytes) { return file_.Write(bytes); }
  bool Text(std::wstring_view text) {
    utf8_ = ToUtf8(text);
    return file_.Write(utf8_);
  }
  bool Commit() { return file_.Commit(); }
  void Discard() { file_.Discard(); }

 private:
  FileOutput file_;
  std::string utf8_;  // reused conversion buffer
};

std::wstring LocalTimeText(int64_t seconds) {
  time_t t = static_cast<time_t>(seconds);
  struct tm local {};
  if (!localtime_r(&t, &local)) return L"-";
  static const locale_t userLocale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
  char buf[128];
  size_t n = userLocale ? strftime_l(buf, sizeof buf, "%x %X", &local, userLocale)
                        : strftime(buf, sizeof buf, "%x %X", &local);
  return n ? FromUtf8(std::string_view(buf, n)) : std::wstring(L"-");
}

std::wstring TypeCell(uint16_t type, const wchar_t*& rowClass) {
  switch (type) {
    case EVENTLOG_ERROR_TYPE: rowClass = L" class='cE'"; return L"Error";
    case EVENTLOG_WARNING_TYPE: rowClass = L" class='cW'"; return L"Warning";
    case EVENTLOG_INFORMATION_TYPE: rowClass = L""; return L"Info";
    default: rowClass = L""; return WFormat(L"&lt;0x%x&gt;", static_cast<unsigned>(type));
  }
}

std::wstring RecordRows(const EventRecord& r) {
  const wchar_t* rowClass = L"";
  std::wstring type = TypeCell(r.eventType, rowClass);
  struct tm utc {};
  time_t t = static_cast<time_t>(r.timeGenerated);
  gmtime_r(&t, &utc);
  std::wstring rows = WFormat(
      L"<tr%ls><td rowspan='%u' nowrap>%ls</td><td>%ls</td><td>%04u-%02u-%02uT%02u:%02u:%02u</"
      L"td><td>%ls</td><td>0x%x</td></tr>\n",
      rowClass, static_cast<unsigned>(r.strings.size() + 1), type.c_str(),
      LocalTimeText(r.timeGenerated).c_str(), static_cast<unsigned>(utc.tm_year + 1900),
      static_cast<unsigned>(utc.tm_mon + 1), static_cast<unsigned>(utc.tm_mday),
      static_cast<unsigned>(utc.tm_hour), static_cast<unsigned>(utc.tm_min),
      static_cast<unsigned>(utc.tm_sec), HtmlEscape(r.sourceName).c_str(), r.eventId);
  for (const auto& s : r.strings)
    rows += WFormat(L"<tr%ls><td colspan='4'>%ls</td></tr>\n", rowClass, HtmlEscape(s).c_str());
  return rows;
}

// The export's work; Fail() paths return -1 with the last error set.
int Export(HtmlOut& out, const std::string& path, const EventLogExportParams& params) {
  if (!out.Create(path)) return -1;
  if (!out.Bytes("\xEF\xBB\xBF")) return -1;

  std::wstring head = kHeadTemplate;
  ReplaceAll(head, L"#TITLE#", HtmlEscape(params.title.empty() ? kDefaultTitle : params.title));
  ReplaceAll(head, L"#HEADER#", HtmlEscape(params.header.empty() ? kDefaultTitle : params.header));
  ReplaceAll(head, L"#STATS#", BuildExportStatsRows(params, GatherMachineStats()));
  if (!out.Text(head)) return -1;

  EventStore::Reader reader(params.readForwards);
  std::vector<EventRecord> batch;
  uint64_t written = 0;
  uint64_t lastCheck = TickCount64() - kCancelCheckIntervalMs;
  int result = 0;
  for (bool more = true; more;) {
    uint32_t err = reader.Next(batch, kReadBatch, kReadBufferSize);
    if (err == ERROR_HANDLE_EOF) break;
    if (err) {
      SetLastError(err);
      return -1;
    }
    for (const EventRecord& r : batch) {
      uint64_t now = TickCount64();
      if (now - lastCheck >= kCancelCheckIntervalMs) {
        lastCheck = now;
        if (params.cancelCallback) {
          if (!params.cancelCallback(params.callbackContext)) return -2;
        } else if (params.cancelEvent && params.cancelEvent->Wait(0)) {
          return -2;
        }
      }
      if (!params.sourceFilter.empty() && !EqualsNoCase(r.sourceName, params.sourceFilter)) continue;
      if (!out.Text(RecordRows(r))) return -1;
      ++written;
      if (params.maxEntries && written >= params.maxEntries) {
        result = 1;
        more = false;
        break;
      }
    }
  }
  std::wstring tail;
  if (written == 0) {
    tail = L"<tr><td colspan=\"5\" class=\"tac\"><em>#MSG#</em></td></tr>";
    ReplaceAll(tail, L"#MSG#", HtmlEscape(L"No entries found..."));
  }
  std::wstring footer = L"</table>\n<div><p class='smFont'>Generated by #APP_V#</p></div>\n</body>\n</html>\n";
  ReplaceAll(footer, L"#APP_V#", HtmlEscape(AppText(params)));
  tail += footer;
  if (!out.Text(tail) || !out.Commit()) return -1;
  return result;
}

}  // namespace

std::wstring BuildExportStatsRows(const EventLogExportParams& params, const MachineStats& m) {
  std::wstring app = HtmlEscape(AppText(params));
  if (!params.appUrl.empty())
    app = WFormat(L"<a href=\"%ls\" target=\"_blank\">%ls</a>", params.appUrl.c_str(), app.c_str());
  SystemTime now{};
  uint64_t local = 0;
  if (!FileTimeUtcToLocal(NowFileTime(), local) || !FileTimeToSystemTime(local, now)) now = SystemTime{};
  std::wstring screens;
  for (size_t i = 0; i < params.monitors.size(); ++i) {
    const MonitorStats& s = params.monitors[i];
    screens += WFormat(L"%u. Sz:{w=%d, h=%d}, Wrk:{w=%d, h=%d}, BPP=%d, DPI:{x=%.01f%%, y=%.01f%%}%ls%ls%ls",
                       static_cast<unsigned>(i + 1), s.width, s.height, s.workWidth, s.workHeight,
                       s.bitsPerPixel, s.dpiX * 100.0 / 96.0, s.dpiY * 100.0 / 96.0,
                       s.primary ? L" [Primary]" : L"", s.showsApp ? L" [App]" : L"",
                       i + 1 < params.monitors.size() ? L"<br/>" : L"");
  }
  std::wstring other = WFormat(L"Elevated=%d, RDC=%d", m.elevated ? 1 : 0, m.remoteSession ? 1 : 0);
  std::wstring osFolder = L"\"" + HtmlEscape(m.osFolder) + L"\"";
  std::wstring appPath = L"\"" + HtmlEscape(m.appPath) + L"\"";
  return WFormat(kStatsFormat, app.c_str(), static_cast<unsigned>(now.year),
                 static_cast<unsigned>(now.month), static_cast<unsigned>(now.day),
                 static_cast<unsigned>(now.hour), static_cast<unsigned>(now.minute),
                 static_cast<unsigned>(now.second), static_cast<unsigned>(now.milliseconds),
                 HtmlEscape(m.osName).c_str(), m.osVersion.c_str(), m.localeId,
                 HtmlEscape(m.localeName).c_str(), m.countryCode, screens.c_str(), osFolder.c_str(),
                 appPath.c_str(), m.ram.totalGiB, m.ram.freePercent, m.osDisk.totalGiB,
                 m.osDisk.freePercent, m.appDisk.totalGiB, m.appDisk.freePercent, other.c_str());
}

int ExportEventLogToHtml(const std::string& path, EventLogExportParams params) {
  params.sourceFilter = EventLog::kSourceName;
  HtmlOut out;
  int result;
  try {
    result = Export(out, path, params);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_OUTOFMEMORY);
    result = -1;
  }
  if (result < 0) out.Discard();
  return result;
}

}  // namespace tarnix
