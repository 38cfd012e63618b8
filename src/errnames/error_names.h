#pragma once
// The symbolic names of error codes: every Win32 code, HRESULT and NTSTATUS
// with a plain numeric value in the platform's public headers (winerror.h,
// ntstatus.h), aliases resolved. Looked up both ways in constant time.
#include <cstdint>
#include <span>
#include <string_view>

namespace tarnix {

enum class ErrorNameKind : uint8_t { kWin32 = 1, kHresult = 2, kNtStatus = 3 };

struct ErrorName {
  const char* name;  // as the header spells it ("ERROR_ACCESS_DENIED")
  uint32_t value;
  ErrorNameKind kind;
};

struct NtStatusFacility {
  uint32_t number;
  const char* name;  // without its "FACILITY_" prefix: "RPC_RUNTIME"
};

// Every name, sorted by name (byte order).
std::span<const ErrorName> AllErrorNames();

// The name spelled `name` in any letter case, or null. Only an exact
// spelling matches: no blanks are ignored, no prefix is enough.
const ErrorName* FindErrorName(std::wstring_view name);

// Every name whose value is exactly `value`, sorted by name; empty when the
// value has none.
std::span<const ErrorName* const> ErrorNamesOf(uint32_t value);

// The name of the 12-bit NTSTATUS facility `number` as ntstatus.h gives it,
// or null.
const char* NtStatusFacilityName(uint32_t number);

}  // namespace tarnix
