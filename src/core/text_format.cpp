#include "core/text_format.h"

#include "core/wformat.h"

namespace tarnix {

std::wstring FormatDuration(int64_t milliseconds) {
  bool negative = milliseconds < 0;
  uint64_t ms = negative ? 0 - static_cast<uint64_t>(milliseconds)
                         : static_cast<uint64_t>(milliseconds);
  uint64_t days = ms / 86400000ULL;
  unsigned hours = static_cast<unsigned>(ms / 3600000ULL % 24);
  unsigned minutes = static_cast<unsigned>(ms / 60000ULL % 60);
  unsigned seconds = static_cast<unsigned>(ms / 1000ULL % 60);
  unsigned millis = static_cast<unsigned>(ms % 1000ULL);

  std::wstring text;
  if (days != 0) text += WFormat(L"%llud", static_cast<unsigned long long>(days));
  const struct {
    unsigned value;
    wchar_t unit;
  } parts[] = {{hours, L'h'}, {minutes, L'm'}, {seconds, L's'}};
  for (const auto& p : parts) {
    if (p.value != 0 || !text.empty())
      text += WFormat(L"%ls%u%lc", text.empty() ? L"" : L":", p.value, p.unit);
  }
  if (text.empty()) text = L"0s";
  text += WFormat(L":%03ums", millis);
  return negative ? L"-" + text : text;
}

std::wstring FormatByteSize(uint64_t bytes) {
  if (bytes < 1024)
    return WFormat(L"%u %ls%ls", static_cast<unsigned>(bytes), L"Byte",
                   bytes == 1 ? L"" : L"s");
  const wchar_t* unit;
  double divisor;
  if (bytes <= 0xFFFFFULL) {
    unit = L"K";
    divisor = 1024.0;
  } else if (bytes <= 0x3FFFFFFFULL) {
    unit = L"M";
    divisor = 1048576.0;
  } else if (bytes <= 0xFFFFFFFFFFULL) {
    unit = L"G";
    divisor = 1073741824.0;
  } else if (bytes <= 0x3FFFFFFFFFFFFULL) {
    unit = L"T";
    divisor = 1099511627776.0;
  } else {
    unit = L"P";
    divisor = 1125899906842624.0;
  }
  return WFormat(L"%.2f %ls%ls", static_cast<double>(bytes) / divisor, unit, L"B");
}

std::wstring HtmlEscape(std::wstring_view text) {
  size_t len = 0;
  for (wchar_t c : text)
    len += c == L'&' ? 5 : c == L'<' || c == L'>' ? 4 : c == L'"' ? 6 : 1;
  std::wstring out;
  out.reserve(len);
  for (wchar_t c : text) {
    switch (c) {
      case L'&': out += L"&amp;"; break;
      case L'<': out += L"&lt;"; break;
      case L'>': out += L"&gt;"; break;
      case L'"': out += L"&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::wstring ShortenText(std::wstring_view text, size_t maxLength) {
  if (text.size() <= maxLength) return std::wstring(text);
  std::wstring out(text.substr(0, maxLength));
  out += L"...";
  return out;
}

}  // namespace tarnix
