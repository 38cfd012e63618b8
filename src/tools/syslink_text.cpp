#include "tools/syslink_text.h"

#include "platform/char_class.h"

namespace tarnix {

namespace {

// Length of an opening tag "<a>" or "<a ...>" at `pos`, 0 when there is none.
size_t OpeningTagAt(std::wstring_view text, size_t pos) {
  if (text.size() - pos < 3 || text[pos] != L'<' || FoldCase(text[pos + 1]) != L'a') return 0;
  if (text[pos + 2] == L'>') return 3;
  if (text[pos + 2] != L' ' && text[pos + 2] != L'\t') return 0;
  const size_t close = text.find(L'>', pos + 3);
  return close == std::wstring_view::npos ? 0 : close - pos + 1;
}

bool ClosingTagAt(std::wstring_view text, size_t pos) {
  return text.size() - pos >= 4 && text[pos] == L'<' && text[pos + 1] == L'/' &&
         FoldCase(text[pos + 2]) == L'a' && text[pos + 3] == L'>';
}

}  // namespace

SysLinkText ParseSysLinkText(std::wstring_view text) {
  SysLinkText out;
  SysLinkPart current;
  auto flush = [&] {
    if (!current.text.empty()) out.parts.push_back(std::move(current));
    current = SysLinkPart{};
  };
  size_t pos = 0;
  while (pos < text.size()) {
    if (current.link < 0) {
      if (const size_t n = OpeningTagAt(text, pos)) {
        flush();
        current.link = out.linkCount++;
        pos += n;
        continue;
      }
    } else if (ClosingTagAt(text, pos)) {
      // An empty link still counts, so that indexes follow the tags.
      if (current.text.empty()) out.parts.push_back(current);
      flush();
      pos += 4;
      continue;
    }
    const wchar_t c = text[pos];
    if (c == L'&') {
      if (pos + 1 < text.size() && text[pos + 1] == L'&') {
        current.text += L'&';
        out.plain += L'&';
        pos += 2;
        continue;
      }
      if (pos + 1 < text.size() && out.mnemonic == 0 && IsCharAlphaNumeric(text[pos + 1])) {
        out.mnemonic = text[pos + 1];
        out.mnemonicPart = static_cast<int>(out.parts.size());
        out.mnemonicOffset = current.text.size();
      }
      ++pos;  // the mark itself is never shown
      continue;
    }
    current.text += c;
    out.plain += c;
    ++pos;
  }
  if (current.link >= 0 && current.text.empty()) out.parts.push_back(current);
  flush();
  return out;
}

}  // namespace tarnix
