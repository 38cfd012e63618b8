#include "core/machine_stats.h"

#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "core/text_format.h"
#include "platform/text_encoding.h"

namespace tarnix {
namespace {

struct LocaleEntry {
  const char* name;  // language-COUNTRY
  uint32_t id;
  int country;
};

// Common user locales; others keep their name with the custom identifier.
constexpr LocaleEntry kLocales[] = {
    {"en-US", 0x0409, 1},   {"en-GB", 0x0809, 44},  {"en-CA", 0x1009, 2},  {"en-AU", 0x0C09, 61},
    {"en-IE", 0x1809, 353}, {"en-IN", 0x4009, 91},  {"de-DE", 0x0407, 49}, {"de-AT", 0x0C07, 43},
    {"de-CH", 0x0807, 41},  {"fr-FR", 0x040C, 33},  {"fr-CA", 0x0C0C, 2},  {"fr-BE", 0x080C, 32},
    {"fr-CH", 0x100C, 41},  {"it-IT", 0x0410, 39},  {"es-ES", 0x0C0A, 34}, {"es-MX", 0x080A, 52},
    {"pt-BR", 0x0416, 55},  {"pt-PT", 0x0816, 351}, {"nl-NL", 0x0413, 31}, {"nl-BE", 0x0813, 32},
    {"sv-SE", 0x041D, 46},  {"nb-NO", 0x0414, 47},  {"da-DK", 0x0406, 45}, {"fi-FI", 0x040B, 358},
    {"pl-PL", 0x0415, 48},  {"cs-CZ", 0x0405, 420}, {"sk-SK", 0x041B, 421}, {"hu-HU", 0x040E, 36},
    {"ro-RO", 0x0418, 40},  {"el-GR", 0x0408, 30},  {"tr-TR", 0x041F, 90}, {"ru-RU", 0x0419, 7},
    {"uk-UA", 0x0422, 380}, {"he-IL", 0x040D, 972}, {"ar-SA", 0x0401, 966}, {"ja-JP", 0x0411, 81},
    {"ko-KR", 0x0412, 82},  {"zh-CN", 0x0804, 86},  {"zh-TW", 0x0404, 886}, {"hi-IN", 0x0439, 91},
};

constexpr uint32_t kLocaleInvariant = 0x007F;
constexpr uint32_t kLocaleCustomDefault = 0x0C00;

std::string OsReleaseName() {
  std::ifstream in("/etc/os-release");
  std::string line, name;
  while (std::getline(in, line)) {
    auto take = [&](const char* key) {
      size_t n = std::char_traits<char>::length(key);
      if (line.compare(0, n, key) != 0) return false;
      std::string v = line.substr(n);
      if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
      name = v;
      return true;
    };
    if (take("PRETTY_NAME=")) return name;
    if (name.empty()) take("NAME=");
  }
  return name.empty() ? "Linux" : name;
}

SpaceStats DiskOf(const std::string& path) {
  SpaceStats s;
  struct statvfs v {};
  if (statvfs(path.c_str(), &v) == 0 && v.f_blocks) {
    double total = static_cast<double>(v.f_blocks) * static_cast<double>(v.f_frsize);
    double avail = static_cast<double>(v.f_bavail) * static_cast<double>(v.f_frsize);
    s.totalGiB = total / 1073741824.0;
    s.freePercent = avail * 100.0 / total;
  }
  return s;
}

std::string ProgramPath() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

}  // namespace

void LocaleFromPosixName(const std::string& posix, uint32_t& localeId, std::wstring& name,
                         int& countryCode) {
  std::string base = posix.substr(0, posix.find_first_of(".@"));
  if (base.empty() || base == "C" || base == "POSIX") {
    localeId = kLocaleInvariant;
    name = L"Invariant";
    countryCode = 0;
    return;
  }
  for (char& c : base)
    if (c == '_') c = '-';
  for (const auto& e : kLocales) {
    if (base == e.name) {
      localeId = e.id;
      name = FromUtf8(e.name);
      countryCode = e.country;
      return;
    }
  }
  localeId = kLocaleCustomDefault;
  name = FromUtf8(base);
  countryCode = 0;
}

MachineStats GatherMachineStats() {
  MachineStats m;
  m.osName = FromUtf8(OsReleaseName());
  struct utsname u {};
  if (uname(&u) == 0) {
    std::string machine = u.machine;
    std::string bitness = (machine == "x86_64" || machine == "aarch64" || machine == "ppc64le" ||
                           machine == "s390x" || machine == "riscv64")
                              ? "64-bit"
                              : (machine.size() == 4 && machine[0] == 'i' && machine.substr(2) == "86")
                                    ? "32-bit"
                                    : "<" + machine + ">";
    m.osVersion = L"<a href=\"https://man7.org/linux/man-pages/man2/uname.2.html\" target=\"_blank\">" +
                  HtmlEscape(FromUtf8(std::string(u.sysname) + " " + u.release + " " + u.version)) +
                  L"</a>, Machine=" + HtmlEscape(FromUtf8(machine)) + L", Bitness=" +
                  HtmlEscape(FromUtf8(bitness));
  }
  const char* loc = nullptr;
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(var);
    if (v && *v) {
      loc = v;
      break;
    }
  }
  LocaleFromPosixName(loc ? loc : "C", m.localeId, m.localeName, m.countryCode);
  m.osFolder = L"/";
  std::string app = ProgramPath();
  m.appPath = FromUtf8(app);
  struct sysinfo si {};
  if (sysinfo(&si) == 0 && si.totalram) {
    double unit = si.mem_unit ? si.mem_unit : 1;
    double total = static_cast<double>(si.totalram) * unit;
    double avail = static_cast<double>(si.freeram + si.bufferram) * unit;
    m.ram.totalGiB = total / 1073741824.0;
    m.ram.freePercent = avail * 100.0 / total;
  }
  m.osDisk = DiskOf("/");
  std::string appFolder = app.substr(0, app.rfind('/'));
  m.appDisk = DiskOf(appFolder.empty() ? "/" : appFolder);
  m.elevated = geteuid() == 0;
  m.remoteSession = std::getenv("SSH_CONNECTION") || std::getenv("SSH_CLIENT") || std::getenv("SSH_TTY");
  return m;
}

}  // namespace tarnix
