#include "platform/time_utils.h"

#include <chrono>
#include <ctime>

namespace tarnix {
namespace {

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
}

bool IsLeap(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

}  // namespace

uint64_t NowFileTime() {
  auto now = std::chrono::system_clock::now().time_since_epoch();
  auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() / 100;
  return kFileTimeOfUnixEpoch + static_cast<uint64_t>(ticks);
}

uint64_t UnixSecondsToFileTime(int64_t seconds) {
  return static_cast<uint64_t>(static_cast<int64_t>(kFileTimeOfUnixEpoch) +
                               seconds * static_cast<int64_t>(kFileTimePerSecond));
}

int64_t FileTimeToUnixSeconds(uint64_t fileTime) {
  int64_t rel = static_cast<int64_t>(fileTime - kFileTimeOfUnixEpoch);
  if (fileTime < kFileTimeOfUnixEpoch)
    rel = -static_cast<int64_t>(kFileTimeOfUnixEpoch - fileTime);
  int64_t per = static_cast<int64_t>(kFileTimePerSecond);
  return rel >= 0 ? rel / per : -((-rel + per - 1) / per);
}

bool FileTimeToSystemTime(uint64_t fileTime, SystemTime& out) {
  if (fileTime >= 0x8000000000000000ULL) return false;
  uint64_t ms = fileTime / 10000;
  uint64_t days = ms / 86400000ULL;  // since 1601-01-01
  uint64_t rest = ms % 86400000ULL;
  int64_t y;
  unsigned m, d;
  CivilFromDays(static_cast<int64_t>(days) + DaysFromCivil(1601, 1, 1), y, m, d);
  out.year = static_cast<uint16_t>(y);
  out.month = static_cast<uint16_t>(m);
  out.day = static_cast<uint16_t>(d);
  out.dayOfWeek = static_cast<uint16_t>((days + 1) % 7);  // 1601-01-01 was a Monday
  out.hour = static_cast<uint16_t>(rest / 3600000);
  out.minute = static_cast<uint16_t>(rest / 60000 % 60);
  out.second = static_cast<uint16_t>(rest / 1000 % 60);
  out.milliseconds = static_cast<uint16_t>(rest % 1000);
  return true;
}

bool SystemTimeToFileTime(const SystemTime& st, uint64_t& fileTime) {
  static constexpr unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (st.year < 1601 || st.year > 30827 || st.month < 1 || st.month > 12 || st.day < 1)
    return false;
  unsigned dim = kDays[st.month - 1] + (st.month == 2 && IsLeap(st.year) ? 1 : 0);
  if (st.day > dim || st.hour > 23 || st.minute > 59 || st.second > 59 ||
      st.milliseconds > 999)
    return false;
  int64_t days = DaysFromCivil(st.year, st.month, st.day) - DaysFromCivil(1601, 1, 1);
  uint64_t ms = static_cast<uint64_t>(days) * 86400000ULL + st.hour * 3600000ULL +
                st.minute * 60000ULL + st.second * 1000ULL + st.milliseconds;
  fileTime = ms * 10000ULL;
  return true;
}

bool FileTimeUtcToLocal(uint64_t utc, uint64_t& local) {
  time_t t = static_cast<time_t>(FileTimeToUnixSeconds(utc));
  struct tm tmv;
  if (!localtime_r(&t, &tmv)) return false;
  local = utc + static_cast<uint64_t>(static_cast<int64_t>(tmv.tm_gmtoff) *
                                      static_cast<int64_t>(kFileTimePerSecond));
  return true;
}

bool FileTimeLocalToUtc(uint64_t local, uint64_t& utc) {
  // Find the offset that applies at the UTC instant the local time names:
  // try the offset at the local value taken as UTC, then correct once.
  uint64_t guess;
  if (!FileTimeUtcToLocal(local, guess)) return false;
  int64_t off = static_cast<int64_t>(guess - local);
  uint64_t candidate = local - static_cast<uint64_t>(off);
  uint64_t back;
  if (!FileTimeUtcToLocal(candidate, back)) return false;
  int64_t off2 = static_cast<int64_t>(back - candidate);
  utc = local - static_cast<uint64_t>(off2);
  return true;
}

uint32_t TickCount() { return static_cast<uint32_t>(TickCount64()); }

uint64_t TickCount64() {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace tarnix
