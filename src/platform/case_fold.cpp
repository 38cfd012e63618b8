#include "platform/case_fold.h"

#include <locale.h>
#include <wctype.h>

namespace tarnix {
namespace {

// The UTF-8 "C" locale carries the full Unicode case tables and never
// depends on the user's settings. Without it, only ASCII folds.
locale_t CaseLocale() {
  static locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    if (!l) l = newlocale(LC_CTYPE_MASK, "C.utf8", nullptr);
    return l;
  }();
  return loc;
}

}  // namespace

wchar_t ToUpperChar(wchar_t c) {
  if (c < 0x80) return (c >= L'a' && c <= L'z') ? wchar_t(c - 32) : c;
  locale_t l = CaseLocale();
  return l ? static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), l)) : c;
}

wchar_t ToLowerChar(wchar_t c) {
  if (c < 0x80) return (c >= L'A' && c <= L'Z') ? wchar_t(c + 32) : c;
  locale_t l = CaseLocale();
  return l ? static_cast<wchar_t>(towlower_l(static_cast<wint_t>(c), l)) : c;
}

std::wstring ToLowerCase(std::wstring_view s) {
  std::wstring out(s);
  for (auto& c : out) c = ToLowerChar(c);
  return out;
}

int CompareIgnoreCase(std::wstring_view a, std::wstring_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    wchar_t x = ToUpperChar(a[i]), y = ToUpperChar(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() && CompareIgnoreCase(a, b) == 0;
}

}  // namespace tarnix
