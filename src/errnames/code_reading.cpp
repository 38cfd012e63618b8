#include "errnames/code_reading.h"

#include <string_view>

#include "core/wformat.h"
#include "errmsg/facility_table.h"
#include "errnames/error_names.h"

namespace tarnix {
namespace {

constexpr uint32_t kSeverityBit = 0x80000000u;
constexpr uint32_t kReservedBit = 0x40000000u;
constexpr uint32_t kCustomerBit = 0x20000000u;
constexpr uint32_t kNtBit = 0x10000000u;
constexpr uint32_t kFacilityWin32 = 7;

void AppendAscii(std::wstring& out, const char* text) {
  for (; *text; ++text) out += static_cast<wchar_t>(static_cast<unsigned char>(*text));
}

// " = A, B" with the names of `value` of `kind`; nothing when it has none.
std::wstring NamesOfKind(uint32_t value, ErrorNameKind kind) {
  std::wstring out;
  for (const ErrorName* n : ErrorNamesOf(value)) {
    if (n->kind != kind) continue;
    out += out.empty() ? L" = " : L", ";
    AppendAscii(out, n->name);
  }
  return out;
}

bool HasNameOfKind(uint32_t value, ErrorNameKind kind) {
  for (const ErrorName* n : ErrorNamesOf(value))
    if (n->kind == kind) return true;
  return false;
}

// "WIN32 (7)" for a facility of the table, else the number alone.
std::wstring HresultFacilityText(uint32_t facility) {
  const Facility* f = FindFacility(facility);
  if (!f) return WFormat(L"%u", facility);
  std::wstring_view name = f->symbolicName;
  constexpr std::wstring_view kPrefix = L"FACILITY_";
  if (name.substr(0, kPrefix.size()) == kPrefix) name.remove_prefix(kPrefix.size());
  return WFormat(L"%ls (%u)", std::wstring(name).c_str(), facility);
}

std::wstring NtStatusFacilityText(uint32_t facility) {
  std::wstring out;
  if (const char* name = NtStatusFacilityName(facility)) {
    AppendAscii(out, name);
    return out + WFormat(L" (%u)", facility);
  }
  return WFormat(L"%u", facility);
}

}  // namespace

HresultReading ReadHresult(uint32_t value) {
  HresultReading r;
  r.severity = value >> 31;
  r.reserved = (value & kReservedBit) != 0;
  r.customer = (value & kCustomerBit) != 0;
  r.fromNtStatus = (value & kNtBit) != 0;
  r.facility = CodeFacility(value);
  r.code = value & 0xFFFF;
  return r;
}

NtStatusReading ReadNtStatus(uint32_t value) {
  NtStatusReading r;
  r.severity = value >> 30;
  r.customer = (value & kCustomerBit) != 0;
  r.facility = (value >> 16) & 0xFFF;
  r.code = value & 0xFFFF;
  return r;
}

uint32_t HresultFromWin32(uint32_t code) {
  if (static_cast<int32_t>(code) <= 0) return code;
  return (code & 0xFFFF) | (kFacilityWin32 << 16) | kSeverityBit;
}

CodeReadings ReadingsOf(uint32_t value) {
  CodeReadings r;
  if (value <= 0xFFFF) {
    r.win32 = true;
    return r;
  }
  const bool statusShaped = (value & kReservedBit) && !(value & kNtBit);
  r.hresult = !statusShaped || HasNameOfKind(value, ErrorNameKind::kHresult);
  r.ntStatus = statusShaped || HasNameOfKind(value, ErrorNameKind::kNtStatus);
  return r;
}

std::wstring Win32ReadingText(uint32_t value) {
  const uint32_t hr = HresultFromWin32(value);
  return WFormat(L"Win32: code %u, as HRESULT 0x%08X", value, hr) +
         NamesOfKind(hr, ErrorNameKind::kHresult);
}

std::wstring HresultReadingText(uint32_t value) {
  const HresultReading r = ReadHresult(value);
  std::wstring text = WFormat(L"HRESULT: severity %u", r.severity);
  if (r.fromNtStatus) {
    const uint32_t status = value & ~kNtBit;
    return text + WFormat(L", from NTSTATUS 0x%08X", status) +
           NamesOfKind(status, ErrorNameKind::kNtStatus);
  }
  if (r.reserved) text += L", reserved bit";
  if (r.customer) text += L", customer";
  text += L", facility " + HresultFacilityText(r.facility);
  if (r.facility == kFacilityWin32)
    return text + WFormat(L", code %u", r.code) + NamesOfKind(r.code, ErrorNameKind::kWin32);
  return text + WFormat(L", code 0x%04X", r.code);
}

std::wstring NtStatusReadingText(uint32_t value) {
  static constexpr const wchar_t* kSeverities[] = {L"success", L"informational", L"warning",
                                                   L"error"};
  const NtStatusReading r = ReadNtStatus(value);
  std::wstring text = WFormat(L"NTSTATUS: severity %u (%ls)", r.severity, kSeverities[r.severity]);
  if (r.customer) text += L", customer";
  text += L", facility " + NtStatusFacilityText(r.facility);
  return text + WFormat(L", code 0x%04X", r.code);
}

std::vector<std::wstring> CodeReadingTexts(uint32_t value) {
  const CodeReadings r = ReadingsOf(value);
  std::vector<std::wstring> texts;
  if (r.win32) texts.push_back(Win32ReadingText(value));
  if (r.hresult) texts.push_back(HresultReadingText(value));
  if (r.ntStatus) texts.push_back(NtStatusReadingText(value));
  return texts;
}

std::wstring ErrorNamesText(uint32_t value) {
  std::wstring out;
  for (const ErrorName* n : ErrorNamesOf(value)) {
    if (!out.empty()) out += L", ";
    AppendAscii(out, n->name);
  }
  return out;
}

std::wstring CodeDescription(uint32_t value) {
  std::wstring text = ErrorNamesText(value);
  if (text.empty()) text = L"no known name";
  const wchar_t* separator = L" \u2014 ";
  for (const std::wstring& reading : CodeReadingTexts(value)) {
    text += separator;
    text += reading;
    separator = L"; ";
  }
  return text;
}

}  // namespace tarnix
