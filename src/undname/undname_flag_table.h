#pragma once
// The undecoration flags as the flag selection list shows them: name,
// value and one-line description, in the list's order. UI-free, so the
// settings pages and the undecorator window share it.
#include <cstdint>
#include <span>
#include <string>

namespace tarnix {

struct UndnameFlagInfo {
  const wchar_t* name;         // also the constant shown beside it
  uint32_t value;
  const wchar_t* description;
};

std::span<const UndnameFlagInfo> UndnameFlagTable();

// The names of the flags set in `flags`, in table order, joined by `separator`;
// bits outside the table are shown as one "0x%X" value; no flags at all is
// "UNDNAME_COMPLETE".
std::wstring UndnameFlagNames(uint32_t flags, const std::wstring& separator);

}  // namespace tarnix
