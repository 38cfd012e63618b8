#include "core/event_log.h"

#include <cwchar>
#include <new>
#include <string>

#include "platform/event_store.h"
#include "platform/last_error.h"
#include "platform/time_utils.h"

namespace tarnix {
namespace {

constexpr const wchar_t* kRecordFormat = L"%04d-%02d-%02dT%02d:%02d:%02d.%03d {%ls|%ls} (%d) %ls";
constexpr size_t kMaxMessage = 1u << 24;

// vswprintf into `out`, growing the buffer; false when the format can't be
// filled (bad format or argument) or memory runs out.
bool VFormat(std::wstring& out, const wchar_t* format, va_list args) noexcept {
  try {
    size_t size = 512;
    for (;;) {
      out.assign(size, L'\0');
      va_list copy;
      va_copy(copy, args);
      int n = vswprintf(out.data(), out.size(), format, copy);
      va_end(copy);
      if (n >= 0 && static_cast<size_t>(n) < out.size()) {
        out.resize(static_cast<size_t>(n));
        return true;
      }
      // vswprintf does not tell a short buffer from a bad format: grow, and
      // give up at a size no diagnostic reaches.
      if (size >= kMaxMessage) return false;
      size *= 4;
    }
  } catch (...) {
    return false;
  }
}

uint32_t EventIdOf(uint16_t type) {
  switch (type) {
    case EVENTLOG_ERROR_TYPE: return EventLog::kErrorEventId;
    case EVENTLOG_WARNING_TYPE: return EventLog::kWarningEventId;
    case EVENTLOG_INFORMATION_TYPE: return EventLog::kInformationEventId;
    default: return 0;
  }
}

}  // namespace

bool EventLog::WriteEvent(uint16_t type, const wchar_t* format, ...) {
  LastErrorKeeper keep;
  try {
    EventRecord record;
    record.eventType = type;
    record.category = 0;
    record.eventId = EventIdOf(type);
    record.sourceName = kSourceName;
    std::wstring text;
    va_list args;
    va_start(args, format);
    bool ok = VFormat(text, format ? format : L"", args);
    va_end(args);
    record.strings.push_back(ok ? std::move(text) : std::wstring(L"##LOW_MEM##"));
    return EventStore::Report(record) == 0;
  } catch (...) {
    return false;
  }
}

bool EventLog::WriteRecord(const wchar_t* message) {
  LastErrorKeeper keep;
  SystemTime t;
  if (!FileTimeToSystemTime(NowFileTime(), t)) t = SystemTime{};
  return WriteEvent(EVENTLOG_ERROR_TYPE, kRecordFormat, t.year, t.month, t.day, t.hour, t.minute,
                    t.second, t.milliseconds, kVersion, kPlatform,
                    static_cast<int>(keep.saved()), message ? message : L"");
}

bool EventLog::LogSite(int site) {
  LastErrorKeeper keep;
  wchar_t buf[256];
  if (swprintf(buf, 256, L"[%d]", site) < 0) return WriteRecord(L"<<#err");
  return WriteRecord(buf);
}

bool EventLog::LogSiteFormatV(int site, const wchar_t* format, va_list args) {
  LastErrorKeeper keep;
  if (!format) format = L"";
  wchar_t prefix[64];
  int n = swprintf(prefix, 64, L"[%d] ", site);
  std::wstring joined;
  try {
    if (n < 0) throw std::bad_alloc();
    joined.reserve(static_cast<size_t>(n) + std::wcslen(format) + 1);
    joined.assign(prefix, static_cast<size_t>(n));
    joined += format;
  } catch (...) {
    WriteRecord(format);
    return false;
  }
  std::wstring text;
  if (!VFormat(text, joined.c_str(), args)) {
    WriteRecord(joined.c_str());
    return false;
  }
  return WriteRecord(text.c_str());
}

bool EventLog::LogSiteFormat(int site, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  bool ok = LogSiteFormatV(site, format, args);
  va_end(args);
  return ok;
}

bool EventLog::LogFormatV(const wchar_t* format, va_list args) {
  LastErrorKeeper keep;
  if (!format) format = L"";
  std::wstring text;
  if (!VFormat(text, format, args)) {
    WriteRecord(format);
    return false;
  }
  return WriteRecord(text.c_str());
}

bool EventLog::LogFormat(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  bool ok = LogFormatV(format, args);
  va_end(args);
  return ok;
}

}  // namespace tarnix
