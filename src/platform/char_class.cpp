#include "platform/char_class.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace tarnix {
namespace {

struct CharRange {
  uint32_t first;
  uint32_t last;
};

// Every `stride`-th character from `first` to `last` folds to itself + delta.
struct FoldRun {
  uint32_t first;
  uint32_t last;
  uint32_t stride;
  int32_t delta;
};

#include "platform/char_class_tables.inc"

}  // namespace

bool IsCharAlphaNumeric(wchar_t wc) {
  const auto c = static_cast<uint32_t>(wc);
  if (c < 0x80) {
    return (c >= L'0' && c <= L'9') || ((c | 0x20) >= L'a' && (c | 0x20) <= L'z');
  }
  auto it = std::upper_bound(std::begin(kAlphaNumericRanges), std::end(kAlphaNumericRanges), c,
                             [](uint32_t v, const CharRange& r) { return v < r.first; });
  return it != std::begin(kAlphaNumericRanges) && c <= std::prev(it)->last;
}

bool IsWhiteSpace(wchar_t wc) {
  const auto c = static_cast<uint32_t>(wc);
  if (c <= 0x20) return c == 0x20 || (c >= 0x09 && c <= 0x0D);
  switch (c) {
    case 0x85: case 0xA0: case 0x1680: case 0x2028: case 0x2029:
    case 0x202F: case 0x205F: case 0x3000:
      return true;
    default:
      return c >= 0x2000 && c <= 0x200A;
  }
}

std::wstring_view TrimWhiteSpace(std::wstring_view text) {
  size_t b = 0, e = text.size();
  while (b < e && IsWhiteSpace(text[b])) ++b;
  while (e > b && IsWhiteSpace(text[e - 1])) --e;
  return text.substr(b, e - b);
}

wchar_t FoldCase(wchar_t wc) {
  const auto c = static_cast<uint32_t>(wc);
  if (c < 0x80) return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 0x20) : wc;
  auto it = std::upper_bound(std::begin(kFoldRuns), std::end(kFoldRuns), c,
                             [](uint32_t v, const FoldRun& r) { return v < r.first; });
  if (it == std::begin(kFoldRuns)) return wc;
  const FoldRun& run = *std::prev(it);
  if (c > run.last || (c - run.first) % run.stride != 0) return wc;
  return static_cast<wchar_t>(static_cast<int64_t>(c) + run.delta);
}

std::wstring FoldCase(std::wstring_view s) {
  std::wstring out(s);
  for (wchar_t& c : out) c = FoldCase(c);
  return out;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!EqualIgnoreCase(a[i], b[i])) return false;
  return true;
}

}  // namespace tarnix
