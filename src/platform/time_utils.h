#pragma once
// Times in the Windows forms the program stores and shows: FILETIME (100-ns
// intervals since 1601-01-01 UTC), broken-down SystemTime, tick counts.
#include <cstdint>

namespace tarnix {

inline constexpr uint64_t kFileTimeOfUnixEpoch = 116444736000000000ULL;
inline constexpr uint64_t kFileTimePerSecond = 10000000ULL;

struct SystemTime {
  uint16_t year = 0;
  uint16_t month = 0;      // 1..12
  uint16_t dayOfWeek = 0;  // 0 = Sunday
  uint16_t day = 0;        // 1..31
  uint16_t hour = 0;
  uint16_t minute = 0;
  uint16_t second = 0;
  uint16_t milliseconds = 0;
};

// The current time as a FILETIME (UTC).
uint64_t NowFileTime();
uint64_t UnixSecondsToFileTime(int64_t seconds);
// Seconds since 1970 (floor); times before 1970 give negative values.
int64_t FileTimeToUnixSeconds(uint64_t fileTime);

// Broken-down form of a FILETIME and back; false for values out of range
// (years after 30827 or fields out of their ranges).
bool FileTimeToSystemTime(uint64_t fileTime, SystemTime& out);
bool SystemTimeToFileTime(const SystemTime& st, uint64_t& fileTime);

// UTC <-> local time of this machine's time zone (with its daylight rules).
bool FileTimeUtcToLocal(uint64_t utc, uint64_t& local);
bool FileTimeLocalToUtc(uint64_t local, uint64_t& utc);

// Milliseconds from a steady clock (wraps as the platform's tick count does).
uint32_t TickCount();
uint64_t TickCount64();

}  // namespace tarnix
