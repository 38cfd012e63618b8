#include "platform/char_class.h"

#include <locale.h>
#include <wctype.h>

namespace tarnix {
namespace {

// A Unicode character-class locale, made once. The process itself stays in
// the "C" locale, whose classes know only ASCII.
locale_t UnicodeLocale() {
  static const locale_t loc = [] {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
      locale_t l = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(nullptr));
      if (l) return l;
    }
    return static_cast<locale_t>(nullptr);
  }();
  return loc;
}

// Latin-1 letters when no Unicode locale is installed.
bool IsLatin1Letter(wchar_t c) {
  return c == 0xAA || c == 0xB5 || c == 0xBA || (c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7);
}

}  // namespace

bool IsCharAlphaNumeric(wchar_t c) {
  if (c < 0x80)
    return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
  if (locale_t l = UnicodeLocale()) return iswalnum_l(static_cast<wint_t>(c), l) != 0;
  return IsLatin1Letter(c);
}

wchar_t FoldCase(wchar_t c) {
  if (c < 0x80) return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
  if (locale_t l = UnicodeLocale()) return static_cast<wchar_t>(towlower_l(static_cast<wint_t>(c), l));
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<wchar_t>(c + 32);
  return c;
}

std::wstring FoldCase(std::wstring_view s) {
  std::wstring out(s);
  for (wchar_t& c : out) c = FoldCase(c);
  return out;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i] && FoldCase(a[i]) != FoldCase(b[i])) return false;
  return true;
}

}  // namespace tarnix
