#pragma once
// What the bits of a 32-bit error value say: its HRESULT reading (severity,
// customer and NT bits, facility, code), its NTSTATUS reading (severity,
// customer bit, facility, code), and for values up to 0xFFFF the Win32
// code and the HRESULT it becomes. Texts name the facilities and codes.
#include <cstdint>
#include <string>
#include <vector>

namespace tarnix {

struct HresultReading {
  uint32_t severity = 0;      // bit 31: 1 failure
  bool reserved = false;      // bit 30
  bool customer = false;      // bit 29
  bool fromNtStatus = false;  // bit 28: an NTSTATUS made an HRESULT
  uint32_t facility = 0;      // bits 16-26
  uint32_t code = 0;          // bits 0-15
};
HresultReading ReadHresult(uint32_t value);

struct NtStatusReading {
  uint32_t severity = 0;  // bits 30-31: 0 success, 1 informational, 2 warning, 3 error
  bool customer = false;  // bit 29
  uint32_t facility = 0;  // bits 16-27
  uint32_t code = 0;      // bits 0-15
};
NtStatusReading ReadNtStatus(uint32_t value);

// The HRESULT that HRESULT_FROM_WIN32 makes of a Win32 code: the code itself
// when it is 0 or negative, else 0x8007 and its low 16 bits.
uint32_t HresultFromWin32(uint32_t code);

// Which readings describe `value`. Up to 0xFFFF it is a Win32 code. Above,
// it is read as an HRESULT unless bit 30 is set without the NT bit, and as
// an NTSTATUS when bit 30 is set without the NT bit; a value that has a
// name of the other kind is read that way too (STATUS_BUFFER_OVERFLOW,
// 0x80000005, is both an HRESULT-shaped and an NTSTATUS warning).
struct CodeReadings {
  bool win32 = false;
  bool hresult = false;
  bool ntStatus = false;
};
CodeReadings ReadingsOf(uint32_t value);

// "Win32: code 5, as HRESULT 0x80070005 = E_ACCESSDENIED"
std::wstring Win32ReadingText(uint32_t value);
// "HRESULT: severity 1, facility WIN32 (7), code 5 = ERROR_ACCESS_DENIED";
// "HRESULT: severity 1, from NTSTATUS 0xC0000022 = STATUS_ACCESS_DENIED"
// when the NT bit is set; other facilities give the code as "0x%04X".
std::wstring HresultReadingText(uint32_t value);
// "NTSTATUS: severity 3 (error), facility 0, code 0x0022"
std::wstring NtStatusReadingText(uint32_t value);
// The texts of ReadingsOf(value), in the order Win32, HRESULT, NTSTATUS.
std::vector<std::wstring> CodeReadingTexts(uint32_t value);

// Every name of `value` joined by ", " (sorted by name); empty when none.
std::wstring ErrorNamesText(uint32_t value);

// One line for a value: its names (or "no known name"), a dash, and its
// readings joined by "; ". "E_ACCESSDENIED — HRESULT: severity 1, facility
// WIN32 (7), code 5 = ERROR_ACCESS_DENIED"
std::wstring CodeDescription(uint32_t value);

}  // namespace tarnix
