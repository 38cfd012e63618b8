#include "pe/message_text.h"

namespace tarnix {

std::wstring FormatMessageText(std::wstring_view stored) {
  std::wstring out;
  out.reserve(stored.size());
  for (size_t i = 0; i < stored.size(); ++i) {
    const wchar_t c = stored[i];
    if (c != L'%' || i + 1 == stored.size()) {
      out += c;
      continue;
    }
    const wchar_t next = stored[i + 1];
    if (next >= L'1' && next <= L'9') {
      out += c;  // an insert, passed through unchanged
      continue;
    }
    ++i;
    switch (next) {
      case L'0': return out;
      case L'n': out += L"\r\n"; break;
      case L'r': out += L'\r'; break;
      case L't': out += L'\t'; break;
      default: out += next; break;
    }
  }
  return out;
}

}  // namespace tarnix
