#include "core/event_log.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <new>
#include <string>

#include "platform/event_store.h"
#include "platform/last_error.h"
#include "platform/time_utils.h"

namespace tarnix {
namespace {

constexpr const wchar_t* kRecordFormat = L"%04d-%02d-%02dT%02d:%02d:%02d.%03d {%ls|%ls} (%d) %ls";

// Formats into `out`; false when the format can't be filled (a bad format
// or an argument that is not text) or memory runs out. A memory stream
// measures and grows in one pass, so a failure is told from a long text.
bool VFormat(std::wstring& out, const wchar_t* format, va_list args) noexcept {
  wchar_t* buf = nullptr;
  size_t length = 0;
  FILE* stream = open_wmemstream(&buf, &length);
  if (!stream) return false;
  va_list copy;
  va_copy(copy, args);
  int n = vfwprintf(stream, format, copy);
  va_end(copy);
  bool ok = std::fclose(stream) == 0 && n >= 0;
  try {
    if (ok) out.assign(buf, length);
  } catch (...) {
    ok = false;
  }
  std::free(buf);
  return ok;
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
