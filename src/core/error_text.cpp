#include "core/error_text.h"

#include "core/wformat.h"
#include "platform/last_error.h"
#include "platform/system_messages.h"

namespace tarnix {
namespace {

constexpr uint32_t kUserDefaultLanguage = 0x400;

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

}  // namespace

std::wstring ErrorCodeToText(uint32_t code) {
  int32_t s = static_cast<int32_t>(code);
  if (s >= -9 && s <= 65535) return std::to_wstring(s);
  return WFormat(L"0x%08X", code);
}

std::wstring ErrorDescription(uint32_t code) {
  LastErrorKeeper keep;
  if (code == 0) return std::wstring();
  std::wstring raw;
  if (code >= 12000 && code <= 12175)
    FormatInternetMessage(code, kUserDefaultLanguage, raw);
  else
    FormatSystemMessage(code, kUserDefaultLanguage, raw);

  size_t b = 0, e = raw.size();
  while (b < e && IsBlank(raw[b])) ++b;
  while (e > b && IsBlank(raw[e - 1])) --e;
  if (b == e) return WFormat(L"Error %d", static_cast<int32_t>(code));

  std::wstring out;
  out.reserve(e - b);
  for (size_t i = b; i < e; ++i) {
    wchar_t c = raw[i];
    if (c == L'\r') continue;
    out += c == L'\n' ? L' ' : c == L'%' ? L'@' : c;
  }
  return out;
}

std::wstring ErrorText(uint32_t code) {
  LastErrorKeeper keep;
  return L"(" + ErrorCodeToText(code) + L") " + ErrorDescription(code);
}

std::wstring ErrorSentence(uint32_t code) {
  std::wstring text = ErrorText(code);
  while (!text.empty() && text.back() == L' ') text.pop_back();
  if (text.empty() || text.back() != L'.') text += L'.';
  return text;
}

}  // namespace tarnix
