#pragma once
// The status lines of a long run without a window, written as they come and
// never kept: a line of the same kind as many before it (the same text once
// its quoted parts, mostly paths, are left out) is counted instead of
// written, and the counts are said at the end, so that a run that meets the
// same trouble a million times stays readable. What it holds is bounded by
// the number of kinds it tells apart, not by the number of lines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarnix {

class StatusLineLimit {
 public:
  static constexpr uint32_t kShownPerKind = 20;
  static constexpr size_t kMaxKinds = 1024;
  static constexpr size_t kMaxKindLength = 512;

  explicit StatusLineLimit(uint32_t shownPerKind = kShownPerKind) : shownPerKind_(shownPerKind) {}

  // True when `line` is to be written; false when it is only counted.
  bool Admit(std::wstring_view line);

  // One line per kind that had lines held back, in the order the kinds
  // first came: "199980 more line(s) not shown like: ERROR: Searching
  // file: "…". (200:1782) The file is too small to be an image."
  std::vector<std::wstring> HeldBackLines() const;
  uint64_t heldBack() const { return heldBack_; }

  // The kind of a line: the line with the text between each pair of double
  // quotes replaced by "…", cut to kMaxKindLength characters.
  static std::wstring KindOf(std::wstring_view line);

 private:
  struct Kind {
    std::wstring text;
    uint64_t seen = 0;
  };

  uint32_t shownPerKind_;
  std::unordered_map<std::wstring, size_t> index_;  // kind text -> kinds_
  std::vector<Kind> kinds_;
  Kind other_{L"(a line of another kind)", 0};  // beyond kMaxKinds
  uint64_t heldBack_ = 0;
};

}  // namespace tarnix
