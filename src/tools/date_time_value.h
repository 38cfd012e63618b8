#pragma once
// The date and time picker's conversions: a stored UTC file time to the
// local calendar time it shows, and the local date and time the user picks
// back to a UTC file time, by the current time-zone rules. A local time that
// a daylight-saving change skips or repeats is converted by those rules,
// without error.
#include <cstdint>

#include "platform/time_utils.h"

namespace tarnix {

// The file time as UTC calendar time, then as local calendar time. False
// with the last error ERROR_INVALID_PARAMETER; `failedStep` says which:
// 1 the file time is not valid, 2 it has no local calendar time (the
// offset takes it out of the calendar's range). `utc` is filled once the
// first step succeeded.
bool FileTimeToLocalCalendar(uint64_t fileTime, SystemTime& utc, SystemTime& local,
                             int& failedStep);

// Local calendar time to UTC calendar time. False (ERROR_INVALID_PARAMETER)
// for fields out of range or a time with no UTC calendar time.
bool LocalCalendarToUtc(const SystemTime& local, SystemTime& utc);

// UTC calendar time to a file time. False (ERROR_INVALID_PARAMETER) for
// fields out of range, years after 30827 included.
bool UtcCalendarToFileTime(const SystemTime& utc, uint64_t& fileTime);

// The local calendar time of `day` (year, month, day) at h:m:s, with its
// day of the week; milliseconds 0.
SystemTime LocalTimeOfDay(int year, int month, int day, int hour, int minute, int second);

}  // namespace tarnix
