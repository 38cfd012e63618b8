#pragma once
// The MSVC C++ name undecorator, with the UNDNAME flag values of the
// platform's documented undecorator.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnix {

enum UndnameFlags : uint32_t {
  UNDNAME_COMPLETE = 0x0,
  UNDNAME_NO_LEADING_UNDERSCORES = 0x1,
  UNDNAME_NO_MS_KEYWORDS = 0x2,
  UNDNAME_NO_FUNCTION_RETURNS = 0x4,
  UNDNAME_NO_ALLOCATION_MODEL = 0x8,
  UNDNAME_NO_ALLOCATION_LANGUAGE = 0x10,
  UNDNAME_NO_MS_THISTYPE = 0x20,
  UNDNAME_NO_CV_THISTYPE = 0x40,
  UNDNAME_NO_ACCESS_SPECIFIERS = 0x80,
  UNDNAME_NO_THROW_SIGNATURES = 0x100,
  UNDNAME_NO_MEMBER_TYPE = 0x200,
  UNDNAME_NO_RETURN_UDT_MODEL = 0x400,
  UNDNAME_32_BIT_DECODE = 0x800,
  UNDNAME_NAME_ONLY = 0x1000,
  UNDNAME_NO_ARGUMENTS = 0x2000,
  UNDNAME_NO_SPECIAL_SYMS = 0x4000,
};

// Undecorates `decorated` (8-bit) with `flags`. Answers the text, or nothing
// with the last error set: 4306 for empty input, 12175 when the name cannot
// be undecorated. Keeps no global state; callers in the program still take
// UndecorationLock() as the platform's undecorator requires.
// A name holding characters that no decoration uses is not a decorated name
// at all; it comes back unchanged, as the platform's undecorator answers it.
std::optional<std::string> Undecorate(std::string_view decorated, uint32_t flags);

// Undecorate() under UndecorationLock(): what callers in the program use.
std::optional<std::string> UndecorateLocked(std::string_view decorated, uint32_t flags);

}  // namespace tarnix
