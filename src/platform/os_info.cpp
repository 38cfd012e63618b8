#include "platform/os_info.h"

#include <sys/utsname.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/text_encoding.h"

namespace tarnix {
namespace {

std::string OsReleaseValue(const std::string& key) {
  for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
      if (line.compare(0, key.size() + 1, key + "=") != 0) continue;
      std::string v = line.substr(key.size() + 1);
      if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
      return v;
    }
  }
  return std::string();
}

}  // namespace

OsInfo QueryOsInfo() {
  OsInfo info;
  struct utsname u;
  if (uname(&u) == 0) {
    unsigned a = 0, b = 0, c = 0;
    std::sscanf(u.release, "%u.%u.%u", &a, &b, &c);
    info.major = a;
    info.minor = b;
    info.build = c;
    info.kernelRelease = FromUtf8(u.release);
    info.machine = FromUtf8(u.machine);
    std::string m = u.machine;
    if (m == "x86_64" || m == "aarch64" || m == "ppc64le" || m == "s390x" || m == "riscv64")
      info.bitness = L"64-bit";
    else if (m.size() == 4 && m[0] == 'i' && m.substr(2) == "86")
      info.bitness = L"32-bit";
    else if (m.rfind("arm", 0) == 0)
      info.bitness = L"32-bit";
    else
      info.bitness = L"<" + info.machine + L">";
  }
  std::string pretty = OsReleaseValue("PRETTY_NAME");
  if (pretty.empty()) pretty = OsReleaseValue("NAME");
  info.prettyName = FromUtf8(pretty.empty() ? "Linux" : pretty);
  return info;
}

}  // namespace tarnix
