#include "tools/status_line_limit.h"

#include <algorithm>

#include "core/wformat.h"

namespace tarnix {

std::wstring StatusLineLimit::KindOf(std::wstring_view line) {
  std::wstring kind;
  kind.reserve(std::min(line.size(), kMaxKindLength));
  for (size_t i = 0; i < line.size() && kind.size() < kMaxKindLength; ++i) {
    kind += line[i];
    if (line[i] != L'"') continue;
    const size_t close = line.find(L'"', i + 1);
    if (close == std::wstring_view::npos) continue;
    kind += L"\u2026\"";
    i = close;
  }
  if (kind.size() > kMaxKindLength) kind.resize(kMaxKindLength);
  return kind;
}

bool StatusLineLimit::Admit(std::wstring_view line) {
  std::wstring text = KindOf(line);
  Kind* kind = &other_;
  if (auto it = index_.find(text); it != index_.end()) {
    kind = &kinds_[it->second];
  } else if (kinds_.size() < kMaxKinds) {
    index_.emplace(text, kinds_.size());
    kinds_.push_back(Kind{std::move(text), 0});
    kind = &kinds_.back();
  }
  if (++kind->seen <= shownPerKind_) return true;
  ++heldBack_;
  return false;
}

std::vector<std::wstring> StatusLineLimit::HeldBackLines() const {
  std::vector<std::wstring> lines;
  auto add = [&](const Kind& k) {
    if (k.seen > shownPerKind_)
      lines.push_back(WFormat(L"%llu more line(s) not shown like: %ls",
                              static_cast<unsigned long long>(k.seen - shownPerKind_), k.text.c_str()));
  };
  for (const Kind& k : kinds_) add(k);
  add(other_);
  return lines;
}

}  // namespace tarnix
