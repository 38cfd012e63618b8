#include "tools/date_time_value.h"

#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

// No time zone is further than a day from UTC; a larger difference is a
// value that wrapped around at the ends of the file-time range.
constexpr int64_t kMaxZoneOffset = 2 * 86400 * static_cast<int64_t>(kFileTimePerSecond);

bool Fail() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return false;
}

bool PlausibleOffset(uint64_t a, uint64_t b) {
  const int64_t diff = static_cast<int64_t>(a - b);
  return diff <= kMaxZoneOffset && diff >= -kMaxZoneOffset;
}

}  // namespace

bool FileTimeToLocalCalendar(uint64_t fileTime, SystemTime& utc, SystemTime& local,
                             int& failedStep) {
  failedStep = 1;
  if (!FileTimeToSystemTime(fileTime, utc)) return Fail();
  failedStep = 2;
  uint64_t localTime = 0;
  if (!FileTimeUtcToLocal(fileTime, localTime) || !PlausibleOffset(localTime, fileTime) ||
      !FileTimeToSystemTime(localTime, local))
    return Fail();
  failedStep = 0;
  return true;
}

bool LocalCalendarToUtc(const SystemTime& local, SystemTime& utc) {
  uint64_t localTime = 0, utcTime = 0;
  if (!SystemTimeToFileTime(local, localTime) || !FileTimeLocalToUtc(localTime, utcTime) ||
      !PlausibleOffset(localTime, utcTime) || !FileTimeToSystemTime(utcTime, utc))
    return Fail();
  return true;
}

bool UtcCalendarToFileTime(const SystemTime& utc, uint64_t& fileTime) {
  if (!SystemTimeToFileTime(utc, fileTime)) return Fail();
  return true;
}

SystemTime LocalTimeOfDay(int year, int month, int day, int hour, int minute, int second) {
  SystemTime st;
  // A field that does not fit its 16 bits would wrap into a valid one:
  // such a year becomes 0, which every conversion refuses.
  const bool fits = year > 0 && year <= 0xFFFF && month >= 0 && month <= 0xFFFF && day >= 0 &&
                    day <= 0xFFFF && hour >= 0 && hour <= 0xFFFF && minute >= 0 &&
                    minute <= 0xFFFF && second >= 0 && second <= 0xFFFF;
  st.year = fits ? static_cast<uint16_t>(year) : 0;
  st.month = static_cast<uint16_t>(month);
  st.day = static_cast<uint16_t>(day);
  st.hour = static_cast<uint16_t>(hour);
  st.minute = static_cast<uint16_t>(minute);
  st.second = static_cast<uint16_t>(second);
  st.milliseconds = 0;
  // The day of the week from the calendar itself; fields out of range
  // leave it 0 and fail the conversions later.
  uint64_t ft = 0;
  SystemTime back;
  if (year >= 1601 && SystemTimeToFileTime(st, ft) && FileTimeToSystemTime(ft, back))
    st.dayOfWeek = back.dayOfWeek;
  return st;
}

}  // namespace tarnix
