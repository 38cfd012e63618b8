#include "platform/locale_format.h"

#include <langinfo.h>
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

// The user's date and time format, with the year always in four digits: a
// two-digit year ("04/20/80") cannot tell 1980 from 2080, and images carry
// time stamps up to 2106.
const std::string& DateTimeFormat() {
  static const std::string format = [] {
    std::string f = "%x %X";
    if (locale_t loc = UserTimeLocale()) {
      f = nl_langinfo_l(D_FMT, loc);
      f += ' ';
      f += nl_langinfo_l(T_FMT, loc);
    }
    return FourDigitYearFormat(f);
  }();
  return format;
}

}  // namespace

std::string FourDigitYearFormat(const std::string& f) {
  std::string out;
  for (size_t i = 0; i < f.size(); ++i) {
    if (f[i] != '%' || i + 1 >= f.size()) {
      out += f[i];
      continue;
    }
    size_t j = i + 1;
    const bool era = f[j] == 'E';
    if (f[j] == 'E' || f[j] == 'O') ++j;
    if (j >= f.size()) {
      out.append(f, i, std::string::npos);
      break;
    }
    const char c = f[j];
    if (c == 'y' && !era) {
      out += "%Y";
    } else if (c == 'C' && f.compare(j + 1, 2, "%y") == 0) {  // century and year
      out += "%Y";
      j += 2;
    } else if (c == 'D') {
      out += "%m/%d/%Y";
    } else if (c == 'g') {
      out += "%G";
    } else {
      out.append(f, i, j - i + 1);  // "%%" included, era years kept as the locale writes them
    }
    i = j;
  }
  return out;
}

bool FormatLocalDateTime(int64_t utcSeconds, std::wstring& out) {
  time_t t = static_cast<time_t>(utcSeconds);
  struct tm tmv;
  if (!localtime_r(&t, &tmv)) return false;
  char buf[128];
  const char* format = DateTimeFormat().c_str();
  size_t n = UserTimeLocale() ? strftime_l(buf, sizeof buf, format, &tmv, UserTimeLocale())
                              : strftime(buf, sizeof buf, format, &tmv);
  if (n == 0) return false;
  out = FromUtf8(std::string(buf, n));
  return true;
}

}  // namespace tarnix
