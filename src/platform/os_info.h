#pragma once
// What the reports say about the operating system: the kernel's version
// numbers (uname) and the distribution's name (/etc/os-release).
#include <cstdint>
#include <string>

namespace tarnix {

struct OsInfo {
  uint32_t major = 0, minor = 0, build = 0;  // from the kernel release "6.1.0-18-amd64"
  std::wstring prettyName;                   // "Debian GNU/Linux 12 (bookworm)"
  std::wstring kernelRelease;                // the whole release text
  std::wstring machine;                      // "x86_64"
  std::wstring bitness;                      // "64-bit", "32-bit" or "<0x%X>"
};

OsInfo QueryOsInfo();

}  // namespace tarnix
