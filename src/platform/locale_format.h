#pragma once
#include <cstdint>
#include <string>

namespace tarnix {

// A UTC time (seconds since 1970) as the user's short date, one space, and
// the user's time, in local time (LC_TIME of the environment), the year
// always in four digits. False when the time cannot be converted.
bool FormatLocalDateTime(int64_t utcSeconds, std::wstring& out);

// A strftime format with every two-digit year ("%y", "%C%y", "%D", "%g")
// made four digits; everything else as it stands.
std::string FourDigitYearFormat(const std::string& format);

}  // namespace tarnix
