#pragma once
// What the reports say about the operating system, as a Linux user knows
// it: the distribution (/etc/os-release), the kernel release and the
// machine's architecture (uname), and whether it runs under WSL.
#include <cstdint>
#include <string>

namespace tarnix {

struct OsInfo {
  std::wstring prettyName;     // "Debian GNU/Linux 12 (bookworm)"; "Linux" when unknown
  std::wstring kernelRelease;  // "6.1.0-18-amd64"
  std::wstring machine;        // "x86_64"
  std::wstring bitness;        // "64-bit", "32-bit" or "<machine>"
  uint32_t wsl = 0;            // 1 or 2 under WSL, else 0
};

OsInfo QueryOsInfo();

// The machine's physical memory in bytes (0 when it cannot be told).
uint64_t PhysicalMemoryBytes();

// The WSL generation that a kernel release names: WSL 1 reports
// "4.4.0-19041-Microsoft", WSL 2 "5.15.90.1-microsoft-standard-WSL2";
// 0 for any other kernel.
uint32_t WslOfKernelRelease(const std::string& release);

}  // namespace tarnix
