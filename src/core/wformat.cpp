#include "core/wformat.h"

#include <cstdarg>
#include <cwchar>
#include <vector>

namespace tarnix {

std::wstring WFormat(const wchar_t* format, ...) {
  std::vector<wchar_t> buf(256);
  for (;;) {
    va_list args;
    va_start(args, format);
    int n = vswprintf(buf.data(), buf.size(), format, args);
    va_end(args);
    if (n >= 0 && static_cast<size_t>(n) < buf.size())
      return std::wstring(buf.data(), static_cast<size_t>(n));
    // vswprintf reports neither the needed size nor the cause; grow and retry,
    // giving up only for absurd sizes (a bad format or a bad character).
    if (buf.size() >= (1u << 26)) return std::wstring();
    buf.resize(buf.size() * 4);
  }
}

}  // namespace tarnix
