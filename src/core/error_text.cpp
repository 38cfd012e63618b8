#include "core/error_text.h"

#include <cwchar>

#include "core/wformat.h"
#include "platform/last_error.h"
#include "platform/system_messages.h"

namespace tarnix {
namespace {

constexpr uint32_t kUserDefaultLanguage = 0x400;

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

// The length of a message insert ("%1" to "%99", with an optional
// "!format!") at `at`, or 0.
size_t InsertLength(const std::wstring& s, size_t at) {
  if (s[at] != L'%' || at + 1 >= s.size() || s[at + 1] < L'1' || s[at + 1] > L'9') return 0;
  size_t n = 2;
  if (at + n < s.size() && s[at + n] >= L'0' && s[at + n] <= L'9') ++n;
  if (at + n < s.size() && s[at + n] == L'!') {
    const size_t close = s.find(L'!', at + n + 1);
    if (close != std::wstring::npos) n = close + 1 - at;
  }
  return n;
}

bool EndsWithWord(const std::wstring& s, const wchar_t* word) {
  const std::wstring w = std::wstring(L" ") + word;
  return s.size() >= w.size() && s.compare(s.size() - w.size(), w.size(), w) == 0;
}

// A description never shows an insert it cannot fill ("Bad EXE format for
// %1." reads "Bad EXE format."): the insert is left out with its blank,
// and so is a preposition left dangling before the sentence's end.
std::wstring WithoutInserts(const std::wstring& s) {
  std::wstring out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const size_t n = InsertLength(s, i);
    if (!n) {
      out += s[i];
      continue;
    }
    i += n - 1;
    const bool atEnd = i + 1 >= s.size() || s[i + 1] == L'.' || s[i + 1] == L',' || s[i + 1] == L':' ||
                       s[i + 1] == L';';
    if (!out.empty() && out.back() == L' ') out.pop_back();
    else if (i + 1 < s.size() && s[i + 1] == L' ') ++i;  // "%1 is ..." loses its blank
    if (atEnd)
      for (const wchar_t* word : {L"for", L"of", L"in", L"to", L"from", L"at", L"on", L"with", L"by"})
        if (EndsWithWord(out, word)) {
          out.erase(out.size() - std::wcslen(word) - 1);
          break;
        }
  }
  return out;
}

}  // namespace

std::wstring ErrorCodeToText(uint32_t code) {
  int32_t s = static_cast<int32_t>(code);
  if (s >= -9 && s <= 65535) return std::to_wstring(s);
  return WFormat(L"0x%08X", code);
}

std::wstring ErrorDescription(uint32_t code) {
  LastErrorKeeper keep;
  if (code == 0) return std::wstring();
  std::wstring raw;
  if (code >= 12000 && code <= 12175)
    FormatInternetMessage(code, kUserDefaultLanguage, raw);
  else
    FormatSystemMessage(code, kUserDefaultLanguage, raw);

  size_t b = 0, e = raw.size();
  while (b < e && IsBlank(raw[b])) ++b;
  while (e > b && IsBlank(raw[e - 1])) --e;
  if (b == e) return WFormat(L"Error %d", static_cast<int32_t>(code));

  const std::wstring text = WithoutInserts(raw.substr(b, e - b));
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    if (c == L'\r') continue;
    out += c == L'\n' ? L' ' : c == L'%' ? L'@' : c;
  }
  if (out.empty()) return WFormat(L"Error %d", static_cast<int32_t>(code));
  return out;
}

std::wstring ErrorText(uint32_t code) {
  LastErrorKeeper keep;
  return L"(" + ErrorCodeToText(code) + L") " + ErrorDescription(code);
}

std::wstring ErrorSentence(uint32_t code) {
  std::wstring text = ErrorText(code);
  while (!text.empty() && text.back() == L' ') text.pop_back();
  if (text.empty() || text.back() != L'.') text += L'.';
  return text;
}

}  // namespace tarnix
