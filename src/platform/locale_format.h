#pragma once
#include <cstdint>
#include <string>

namespace tarnix {

// A UTC time (seconds since 1970) as the user's short date, one space, and
// the user's time, in local time (LC_TIME of the environment). False when
// the time cannot be converted.
bool FormatLocalDateTime(int64_t utcSeconds, std::wstring& out);

}  // namespace tarnix
