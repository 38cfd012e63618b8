#pragma once
// The process-wide diagnostics writer. Every place that meets an unexpected
// failure reports it with its site number; the record goes to the user's
// Application event log under the source "Tarnix". Logging never fails
// visibly, never throws and never changes the thread's last error.
//
// Formats are printf-style wide formats: wide string arguments take "%ls".
#include <cstdarg>
#include <cstdint>

#include "tarnix_version.h"

namespace tarnix {

class EventLog {
 public:
  static constexpr const wchar_t* kSourceName = L"Tarnix";
  static constexpr const wchar_t* kVersion = L"" TARNIX_VERSION_FULL;
  static constexpr const wchar_t* kPlatform = L"x64";

  // Event identifiers of the three event types.
  static constexpr uint32_t kErrorEventId = 0xC0020001;
  static constexpr uint32_t kWarningEventId = 0x80020002;
  static constexpr uint32_t kInformationEventId = 0x40020003;

  // Message "[site]".
  static bool LogSite(int site);
  // Message "[site] " followed by the formatted text.
  static bool LogSiteFormat(int site, const wchar_t* format, ...);
  // The formatted text alone.
  static bool LogFormat(const wchar_t* format, ...);
  // Formats and reports one event of `type` (1 error, 2 warning, 4
  // information) with the formatted text as its single insertion string.
  static bool WriteEvent(uint16_t type, const wchar_t* format, ...);

  static bool LogSiteFormatV(int site, const wchar_t* format, va_list args);
  static bool LogFormatV(const wchar_t* format, va_list args);

 private:
  // Writes one record "<UTC time> {version|x64} (last error) message".
  static bool WriteRecord(const wchar_t* message);
};

}  // namespace tarnix
