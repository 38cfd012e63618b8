// The date and time picker's conversions between stored UTC file times and
// the local calendar time it shows, across daylight-saving changes.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "support/env_value.h"
#include "tools/date_time_value.h"

namespace tarnix {
namespace {

// Runs the test in a named time zone; tzset() once more after the old zone
// is back.
class ZoneScope {
 public:
  explicit ZoneScope(const char* zone) : env_("TZ", zone) { tzset(); }

 private:
  struct Reset {
    ~Reset() { tzset(); }
  } reset_;
  test::EnvValue env_;
};

bool HaveZone(const char* zone) {
  return std::filesystem::exists(std::filesystem::path("/usr/share/zoneinfo") / zone);
}

uint64_t Utc(int y, int mo, int d, int h, int mi, int s) {
  SystemTime st;
  st.year = static_cast<uint16_t>(y);
  st.month = static_cast<uint16_t>(mo);
  st.day = static_cast<uint16_t>(d);
  st.hour = static_cast<uint16_t>(h);
  st.minute = static_cast<uint16_t>(mi);
  st.second = static_cast<uint16_t>(s);
  uint64_t ft = 0;
  EXPECT_TRUE(SystemTimeToFileTime(st, ft));
  return ft;
}

uint64_t LocalToFileTime(int y, int mo, int d, int h, int mi, int s) {
  SystemTime utc;
  EXPECT_TRUE(LocalCalendarToUtc(LocalTimeOfDay(y, mo, d, h, mi, s), utc));
  uint64_t ft = 0;
  EXPECT_TRUE(UtcCalendarToFileTime(utc, ft));
  return ft;
}

SystemTime Shown(uint64_t ft) {
  SystemTime utc, local;
  int step = -1;
  EXPECT_TRUE(FileTimeToLocalCalendar(ft, utc, local, step));
  EXPECT_EQ(step, 0);
  return local;
}

#define SKIP_WITHOUT_ZONE(zone) \
  if (!HaveZone(zone)) GTEST_SKIP() << "no time zone data for " zone

TEST(DateTimeValue, LocalTimeRoundTripsInWinterAndSummer) {
  SKIP_WITHOUT_ZONE("Europe/Berlin");
  ZoneScope zone("Europe/Berlin");
  EXPECT_EQ(LocalToFileTime(2024, 1, 15, 0, 0, 0), Utc(2024, 1, 14, 23, 0, 0));
  EXPECT_EQ(LocalToFileTime(2024, 7, 1, 23, 59, 59), Utc(2024, 7, 1, 21, 59, 59));
  const SystemTime s = Shown(Utc(2024, 7, 1, 21, 59, 59));
  EXPECT_EQ(s.year, 2024);
  EXPECT_EQ(s.month, 7);
  EXPECT_EQ(s.day, 1);
  EXPECT_EQ(s.hour, 23);
  EXPECT_EQ(s.minute, 59);
  EXPECT_EQ(s.second, 59);
  EXPECT_EQ(s.dayOfWeek, 1);  // a Monday
  EXPECT_EQ(LocalTimeOfDay(2024, 7, 1, 0, 0, 0).dayOfWeek, 1);
}

// 2024-03-31 02:30 does not exist in Berlin (02:00 became 03:00); 2024-10-27
// 02:30 came twice. Both convert without error, with one of the two offsets.
TEST(DateTimeValue, DaylightSavingGapAndOverlapConvertWithoutError) {
  SKIP_WITHOUT_ZONE("Europe/Berlin");
  ZoneScope zone("Europe/Berlin");
  const uint64_t gap = LocalToFileTime(2024, 3, 31, 2, 30, 0);
  EXPECT_TRUE(gap == Utc(2024, 3, 31, 0, 30, 0) || gap == Utc(2024, 3, 31, 1, 30, 0));
  const SystemTime g = Shown(gap);
  EXPECT_EQ(g.day, 31);
  EXPECT_TRUE(g.hour == 1 || g.hour == 3) << g.hour;
  EXPECT_EQ(g.minute, 30);

  const uint64_t overlap = LocalToFileTime(2024, 10, 27, 2, 30, 0);
  EXPECT_TRUE(overlap == Utc(2024, 10, 27, 0, 30, 0) || overlap == Utc(2024, 10, 27, 1, 30, 0));
  const SystemTime o = Shown(overlap);
  EXPECT_EQ(o.hour, 2);  // either occurrence shows as the time picked
  EXPECT_EQ(o.minute, 30);
  // Both real instants of the repeated hour show as 02:30.
  EXPECT_EQ(Shown(Utc(2024, 10, 27, 0, 30, 0)).hour, 2);
  EXPECT_EQ(Shown(Utc(2024, 10, 27, 1, 30, 0)).hour, 2);
}

TEST(DateTimeValue, ValuesOutsideTheCalendarFailAtTheirStep) {
  SKIP_WITHOUT_ZONE("America/New_York");
  SystemTime utc, local;
  int step = 0;
  SetLastError(0);
  EXPECT_FALSE(FileTimeToLocalCalendar(0x8000000000000000ULL, utc, local, step));
  EXPECT_EQ(step, 1);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  {
    // West of UTC the first file time has no local calendar time, and the
    // last local day has no file time once in UTC.
    ZoneScope zone("America/New_York");
    EXPECT_FALSE(FileTimeToLocalCalendar(0, utc, local, step));
    EXPECT_EQ(step, 2);
    EXPECT_EQ(utc.year, 1601);
    ASSERT_TRUE(LocalCalendarToUtc(LocalTimeOfDay(30827, 12, 31, 23, 30, 0), utc));
    EXPECT_EQ(utc.year, 30828);
    uint64_t ft = 0;
    SetLastError(0);
    EXPECT_FALSE(UtcCalendarToFileTime(utc, ft));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  {
    // East of UTC the first local midnight lies before the first file time.
    SKIP_WITHOUT_ZONE("Europe/Berlin");
    ZoneScope zone("Europe/Berlin");
    SetLastError(0);
    EXPECT_FALSE(LocalCalendarToUtc(LocalTimeOfDay(1601, 1, 1, 0, 0, 0), utc));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(LocalCalendarToUtc(LocalTimeOfDay(2023, 2, 29, 0, 0, 0), utc));
    EXPECT_FALSE(LocalCalendarToUtc(LocalTimeOfDay(100000, 1, 1, 0, 0, 0), utc));
  }
}

}  // namespace
}  // namespace tarnix
