#include "undname/undname_flag_table.h"

#include <array>
#include <cwchar>

#include "undname/undecorate.h"

namespace tarnix {
namespace {

constexpr std::array<UndnameFlagInfo, 15> kFlags{{
    {L"UNDNAME_NAME_ONLY", UNDNAME_NAME_ONLY,
     L"Undecorate only the name for primary declaration. Returns [scope::]name. Does expand template "
     L"parameters."},
    {L"UNDNAME_NO_ACCESS_SPECIFIERS", UNDNAME_NO_ACCESS_SPECIFIERS,
     L"Disable expansion of access specifiers for members."},
    {L"UNDNAME_NO_ALLOCATION_LANGUAGE", UNDNAME_NO_ALLOCATION_LANGUAGE,
     L"Disable expansion of the declaration language specifier."},
    {L"UNDNAME_NO_ALLOCATION_MODEL", UNDNAME_NO_ALLOCATION_MODEL,
     L"Disable expansion of the declaration model."},
    {L"UNDNAME_NO_ARGUMENTS", UNDNAME_NO_ARGUMENTS, L"Don't undecorate arguments to functions."},
    {L"UNDNAME_NO_CV_THISTYPE", UNDNAME_NO_CV_THISTYPE,
     L"Disable expansion of CodeView modifiers on the this type."},
    {L"UNDNAME_NO_FUNCTION_RETURNS", UNDNAME_NO_FUNCTION_RETURNS,
     L"Disable expansion of return types for primary declarations."},
    {L"UNDNAME_NO_LEADING_UNDERSCORES", UNDNAME_NO_LEADING_UNDERSCORES,
     L"Remove leading underscores from Microsoft keywords."},
    {L"UNDNAME_NO_MEMBER_TYPE", UNDNAME_NO_MEMBER_TYPE,
     L"Disable expansion of the static or virtual attribute of members."},
    {L"UNDNAME_NO_MS_KEYWORDS", UNDNAME_NO_MS_KEYWORDS, L"Disable expansion of Microsoft keywords."},
    {L"UNDNAME_NO_MS_THISTYPE", UNDNAME_NO_MS_THISTYPE,
     L"Disable expansion of Microsoft keywords on the this type."},
    {L"UNDNAME_NO_RETURN_UDT_MODEL", UNDNAME_NO_RETURN_UDT_MODEL,
     L"Disable expansion of the Microsoft model for user-defined type returns."},
    {L"UNDNAME_NO_SPECIAL_SYMS", UNDNAME_NO_SPECIAL_SYMS,
     L"Do not undecorate special names, such as vtable, vcall, vector, metatype, and so on."},
    {L"UNDNAME_NO_THROW_SIGNATURES", UNDNAME_NO_THROW_SIGNATURES,
     L"Disable expansion of throw-signatures for functions and pointers to functions."},
    {L"UNDNAME_32_BIT_DECODE", UNDNAME_32_BIT_DECODE, L"Undecorate 32-bit decorated names."},
}};

}  // namespace

std::span<const UndnameFlagInfo> UndnameFlagTable() { return kFlags; }

std::wstring UndnameFlagNames(uint32_t flags, const std::wstring& separator) {
  if (flags == 0) return L"UNDNAME_COMPLETE";
  std::wstring out;
  uint32_t known = 0;
  for (const UndnameFlagInfo& f : kFlags) {
    known |= f.value;
    if (!(flags & f.value)) continue;
    if (!out.empty()) out += separator;
    out += f.name;
  }
  if (const uint32_t rest = flags & ~known) {
    wchar_t buf[16];
    std::swprintf(buf, 16, L"0x%X", rest);
    if (!out.empty()) out += separator;
    out += buf;
  }
  return out;
}

}  // namespace tarnix
