#include "errnames/code_or_name.h"

#include <cstring>
#include <cwctype>

#include "core/error_text.h"
#include "core/wformat.h"
#include "errcode/search_texts.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

bool IsNameChar(wchar_t c, bool first) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_' ||
         (!first && c >= L'0' && c <= L'9');
}

bool ShapedLikeName(std::wstring_view text) {
  if (text.empty()) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (!IsNameChar(text[i], i == 0)) return false;
  return true;
}

std::wstring_view TrimBlanks(std::wstring_view text) {
  while (!text.empty() && std::iswspace(text.front())) text.remove_prefix(1);
  while (!text.empty() && std::iswspace(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

bool ReadCodeOrName(std::wstring_view text, CodeOrName& out) {
  out = CodeOrName{};
  if (ParseErrorCode(text, out.code, out.kind)) return true;
  const uint32_t numberError = GetLastError();
  // Only text with a character no number has can be a name: "FFFFFFFFFF"
  // stays a number that is too large.
  if (numberError != ERROR_BAD_NUMBER_TEXT || !ShapedLikeName(text)) {
    SetLastError(numberError);
    return false;
  }
  const ErrorName* name = FindErrorName(text);
  if (!name) {
    SetLastError(ERROR_NOT_FOUND);
    return false;
  }
  out.code = name->value;
  out.kind =
      name->kind == ErrorNameKind::kWin32 ? ErrorCodeKind::Decimal : ErrorCodeKind::Hexadecimal;
  out.name = name;
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool ReadCodeBox(std::wstring_view text, CodeOrName& out, std::wstring& shown) {
  const std::wstring_view trimmed = TrimBlanks(text);
  if (!ReadCodeOrName(trimmed, out)) {
    shown.assign(trimmed);
    return false;
  }
  if (out.name) {
    shown.clear();
    for (const char* c = out.name->name; *c; ++c) shown += static_cast<wchar_t>(*c);
  } else {
    shown.assign(trimmed);
  }
  return true;
}

std::wstring CodeBoxErrorMessage(std::wstring_view text, uint32_t error) {
  if (error != ERROR_NOT_FOUND) return ErrorCodeReadMessage(error);
  return L"Unknown error name: " + std::wstring(TrimBlanks(text));
}

std::wstring NoMatchHint(uint32_t code) {
  bool ntStatus = (code >> 30) == 3;
  for (const ErrorName* n : ErrorNamesOf(code)) ntStatus = ntStatus || n->kind == ErrorNameKind::kNtStatus;
  if (!ntStatus) return {};
  const uint32_t facility = (code >> 16) & 0xFFF;
  const char* name = NtStatusFacilityName(facility);
  std::wstring facilityText = WFormat(L"0x%X", facility);
  if (name) facilityText = L"FACILITY_" + std::wstring(name, name + std::strlen(name)) + L" (" + facilityText + L")";
  return WFormat(L"Hint: 0x%08X is an NTSTATUS code, and no module under the search paths holds a message "
                 L"table for NTSTATUS facility %ls (the system keeps those texts in ntdll.dll).",
                 code, facilityText.c_str());
}

}  // namespace tarnix
