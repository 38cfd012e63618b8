#include "symbolsearch/regex_escape.h"

namespace tarnix {

std::wstring EscapeForRegex(std::wstring_view text) {
  static constexpr std::wstring_view kSpecial = L"[\\^$.|?*+(){}";
  std::wstring out;
  out.reserve(text.size() + 8);
  for (wchar_t c : text) {
    if (kSpecial.find(c) != std::wstring_view::npos) out += L'\\';
    out += c;
  }
  return out;
}

std::wstring ExactFileNamesPattern(const std::vector<std::wstring>& names) {
  std::wstring pattern;
  for (const auto& n : names) {
    if (!pattern.empty()) pattern += L"|";
    pattern += L"(^" + EscapeForRegex(n) + L"$)";
  }
  return pattern;
}

}  // namespace tarnix
