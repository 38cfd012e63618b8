#include "platform/os_info.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/text_encoding.h"

namespace tarnix {
namespace {

// One value of os-release, unquoted. Lines are short; a line past 4 KiB
// (a damaged file) is not read.
std::string OsReleaseValue(const std::string& key) {
  for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
    std::ifstream in(path);
    std::string line;
    for (int n = 0; n < 256 && std::getline(in, line); ++n) {
      if (line.size() > 4096 || line.compare(0, key.size() + 1, key + "=") != 0) continue;
      std::string v = line.substr(key.size() + 1);
      if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
      return v;
    }
    if (in.is_open()) break;
  }
  return std::string();
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

}  // namespace

uint32_t WslOfKernelRelease(const std::string& release) {
  const std::string r = Lower(release);
  if (r.find("microsoft") == std::string::npos) return 0;
  return r.find("wsl2") != std::string::npos || r.find("microsoft-standard") != std::string::npos
             ? 2
             : 1;
}

OsInfo QueryOsInfo() {
  OsInfo info;
  struct utsname u;
  if (uname(&u) == 0) {
    info.kernelRelease = FromUtf8(u.release);
    info.machine = FromUtf8(u.machine);
    const std::string m = u.machine;
    if (m == "x86_64" || m == "aarch64" || m == "ppc64le" || m == "ppc64" || m == "s390x" ||
        m == "riscv64" || m == "loongarch64" || m == "mips64")
      info.bitness = L"64-bit";
    else if ((m.size() == 4 && m[0] == 'i' && m.substr(2) == "86") || m.rfind("arm", 0) == 0)
      info.bitness = L"32-bit";
    else
      info.bitness = L"<" + info.machine + L">";
    info.wsl = WslOfKernelRelease(u.release);
  }
  // A WSL 2 distribution on a kernel of its own still has the interop.
  if (info.wsl == 0 && (std::getenv("WSL_DISTRO_NAME") ||
                        access("/proc/sys/fs/binfmt_misc/WSLInterop", F_OK) == 0))
    info.wsl = 2;
  std::string pretty = OsReleaseValue("PRETTY_NAME");
  if (pretty.empty()) pretty = OsReleaseValue("NAME");
  info.prettyName = FromUtf8(pretty.empty() ? "Linux" : pretty);
  return info;
}

uint64_t PhysicalMemoryBytes() {
  const long pages = sysconf(_SC_PHYS_PAGES), size = sysconf(_SC_PAGESIZE);
  return pages > 0 && size > 0 ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(size) : 0;
}

}  // namespace tarnix
