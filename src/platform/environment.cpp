#include "platform/environment.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/text_encoding.h"

extern char** environ;

namespace tarnix {
namespace {

bool Lookup(const std::string& name, std::string& value) {
  if (const char* v = std::getenv(name.c_str())) {
    value = v;
    return true;
  }
  for (char** e = environ; e && *e; ++e) {
    const char* eq = std::strchr(*e, '=');
    if (!eq || static_cast<size_t>(eq - *e) != name.size()) continue;
    if (strncasecmp(*e, name.c_str(), name.size()) == 0) {
      value = eq + 1;
      return true;
    }
  }
  return false;
}

}  // namespace

std::wstring ExpandEnvironmentStrings(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    size_t open = text.find(L'%', i);
    if (open == std::wstring_view::npos) break;
    size_t close = text.find(L'%', open + 1);
    if (close == std::wstring_view::npos) break;
    out.append(text.substr(i, open - i));
    std::wstring_view name = text.substr(open + 1, close - open - 1);
    std::string value;
    if (!name.empty() && Lookup(ToUtf8(name), value)) {
      out += FromUtf8(value);
      i = close + 1;
    } else {
      // Not a known variable: keep the "%" and look again from the second one,
      // which may open a reference of its own.
      out.append(text.substr(open, close - open));
      i = close;
    }
  }
  out.append(text.substr(i));
  return out;
}

}  // namespace tarnix
