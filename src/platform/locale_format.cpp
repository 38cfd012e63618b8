#include "platform/locale_format.h"

#include <locale.h>
#include <time.h>

#include "platform/text_encoding.h"

namespace tarnix {
namespace {

locale_t UserTimeLocale() {
  static locale_t loc = [] {
    locale_t l = newlocale(LC_TIME_MASK, "", nullptr);
    return l ? l : newlocale(LC_TIME_MASK, "C", nullptr);
  }();
  return loc;
}

}  // namespace

bool FormatLocalDateTime(int64_t utcSeconds, std::wstring& out) {
  time_t t = static_cast<time_t>(utcSeconds);
  struct tm tmv;
  if (!localtime_r(&t, &tmv)) return false;
  char buf[128];
  size_t n = UserTimeLocale() ? strftime_l(buf, sizeof buf, "%x %X", &tmv, UserTimeLocale())
                              : strftime(buf, sizeof buf, "%x %X", &tmv);
  if (n == 0) return false;
  out = FromUtf8(std::string(buf, n));
  return true;
}

}  // namespace tarnix
