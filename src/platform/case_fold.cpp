#include "platform/case_fold.h"

#include "platform/char_class.h"

namespace tarnix {

std::wstring ToLowerCase(std::wstring_view s) { return FoldCase(s); }

bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b) { return EqualsNoCase(a, b); }

int CompareIgnoreCase(std::wstring_view a, std::wstring_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    wchar_t x = FoldCase(a[i]), y = FoldCase(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace tarnix
