#include "core/preset_name_chars.h"

#include <algorithm>

namespace tarnix {

const wchar_t kMarkupNameCharsMessage[] =
    L"Preset name contains invalid character(s). Remove any of the following:\n\n< > *";
const wchar_t kHiddenNameCharsMessage[] =
    L"Preset name contains invalid character(s). Remove any of the following:\n\n"
    L"control characters and text direction marks";

bool IsMarkupNameChar(wchar_t c) { return c == L'<' || c == L'>' || c == L'*'; }

bool IsHiddenNameChar(wchar_t c) {
  const auto u = static_cast<uint32_t>(c);
  return u < 0x20 || (u >= 0x7F && u <= 0x9F) ||  // C0, DEL, C1
         u == 0x061C || u == 0x200E || u == 0x200F ||  // direction marks
         (u >= 0x2028 && u <= 0x202E) ||  // line and paragraph separators, embeddings, overrides
         (u >= 0x2066 && u <= 0x2069) ||  // isolates
         (u >= 0xD800 && u <= 0xDFFF) || u > 0x10FFFF;  // no character: UTF-16 cannot keep them
}

bool HasMarkupNameChar(std::wstring_view name) { return std::any_of(name.begin(), name.end(), IsMarkupNameChar); }
bool HasHiddenNameChar(std::wstring_view name) { return std::any_of(name.begin(), name.end(), IsHiddenNameChar); }

std::wstring WithNameCharsReplaced(std::wstring_view name) {
  std::wstring out(name);
  for (wchar_t& c : out)
    if (IsMarkupNameChar(c) || IsHiddenNameChar(c)) c = L'_';
  return out;
}

}  // namespace tarnix
