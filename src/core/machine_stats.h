#pragma once
// Facts about this machine for the statistics rows of the event-log export:
// operating system, locale, memory and disks. Gathered on demand.
#include <cstdint>
#include <string>

namespace tarnix {

// One display monitor as the window system reports it (the caller fills
// these; a program without windows has none).
struct MonitorStats {
  int width = 0, height = 0;          // monitor size
  int workWidth = 0, workHeight = 0;  // work area size
  int bitsPerPixel = 0;
  double dpiX = 96, dpiY = 96;
  bool primary = false;
  bool showsApp = false;  // the monitor of the main window
};

struct SpaceStats {
  double totalGiB = 0;
  double freePercent = 0;
};

struct MachineStats {
  std::wstring osName;       // "Debian GNU/Linux 12 (bookworm)"
  std::wstring osVersion;    // HTML: kernel release and build, bitness
  uint32_t localeId = 0;     // Windows locale identifier
  std::wstring localeName;   // "en-US"
  int countryCode = 0;       // telephone country code
  std::wstring osFolder;     // the system's root folder
  std::wstring appPath;      // this program's file
  SpaceStats ram, osDisk, appDisk;
  bool elevated = false;       // running as root
  bool remoteSession = false;  // an SSH session
};

MachineStats GatherMachineStats();

// The Windows locale identifier, the name ("en-US") and the country code of
// a POSIX locale name such as "de_DE.UTF-8"; "C" and "POSIX" give the
// invariant locale (0x007F).
void LocaleFromPosixName(const std::string& posix, uint32_t& localeId, std::wstring& name,
                         int& countryCode);

}  // namespace tarnix
