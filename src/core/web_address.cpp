#include "core/web_address.h"

#include <cwctype>

namespace tarnix {
namespace {

bool StartsWithIgnoreCase(std::wstring_view text, std::wstring_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (static_cast<wchar_t>(std::towlower(static_cast<wint_t>(text[i]))) != prefix[i]) return false;
  return true;
}

}  // namespace

bool IsWebAddress(std::wstring_view url) {
  for (std::wstring_view scheme : {std::wstring_view(L"http://"), std::wstring_view(L"https://")}) {
    if (!StartsWithIgnoreCase(url, scheme)) continue;
    const wchar_t host = url.size() > scheme.size() ? url[scheme.size()] : L'\0';
    return host != L'\0' && host != L'/' && !std::iswspace(static_cast<wint_t>(host));
  }
  return false;
}

}  // namespace tarnix
