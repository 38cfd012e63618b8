#include "tools/undecorate_view.h"

#include "core/error_text.h"
#include "platform/char_class.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "undname/undecorate.h"

namespace tarnix {

std::wstring UndecorateShown(std::wstring_view input, uint32_t flags) {
  const std::wstring_view name = TrimWhiteSpace(input);
  if (name.empty()) return {};
  const auto text = UndecorateLocked(ToCp1252(name), flags);
  if (!text) return UndecorationErrorText(GetLastError());
  return FromCp1252(*text);
}

std::wstring UndecorationErrorText(uint32_t error) {
  return L"<ERROR: " + ErrorText(error) + L">";
}

}  // namespace tarnix
