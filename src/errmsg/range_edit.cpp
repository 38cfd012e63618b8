#include "errmsg/range_edit.h"

#include <algorithm>

#include "pe/message_module.h"
#include "platform/case_fold.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {

bool DuplicateRanges(std::vector<ErrorRange>& list, std::vector<size_t>& rows) {
  if (list.size() + rows.size() > kMaxErrorRanges) return false;
  std::vector<size_t> copies;
  size_t shift = 0;
  for (size_t r : rows) {
    if (r >= list.size() - shift) continue;
    const size_t at = r + shift;
    list.insert(list.begin() + std::ptrdiff_t(at + 1), list[at]);
    copies.push_back(at + 1);
    ++shift;
  }
  rows = std::move(copies);
  return true;
}

bool ReplicateRanges(std::vector<ErrorRange>& list, std::vector<size_t>& rows) {
  if (rows.empty() || list.size() + rows.size() > kMaxErrorRanges) return false;
  std::vector<ErrorRange> block;
  for (size_t r : rows)
    if (r < list.size()) block.push_back(list[r]);
  const size_t at = std::min(rows.back() + 1, list.size());
  list.insert(list.begin() + std::ptrdiff_t(at), block.begin(), block.end());
  rows.clear();
  for (size_t i = 0; i < block.size(); ++i) rows.push_back(at + i);
  return true;
}

bool MoveRanges(std::vector<ErrorRange>& list, std::vector<size_t>& rows, bool up) {
  bool moved = false;
  std::vector<bool> selected(list.size());
  for (size_t r : rows)
    if (r < list.size()) selected[r] = true;
  if (up) {
    for (size_t i = 1; i < list.size(); ++i)
      if (selected[i] && !selected[i - 1]) {
        std::swap(list[i], list[i - 1]);
        selected[i - 1] = true;
        selected[i] = false;
        moved = true;
      }
  } else {
    for (size_t i = list.size(); i-- > 1;)
      if (selected[i - 1] && !selected[i]) {
        std::swap(list[i], list[i - 1]);
        selected[i] = true;
        selected[i - 1] = false;
        moved = true;
      }
  }
  rows.clear();
  for (size_t i = 0; i < selected.size(); ++i)
    if (selected[i]) rows.push_back(i);
  return moved;
}

void RemoveRanges(std::vector<ErrorRange>& list, const std::vector<size_t>& rows) {
  std::vector<ErrorRange> kept;
  for (size_t i = 0; i < list.size(); ++i)
    if (std::find(rows.begin(), rows.end(), i) == rows.end()) kept.push_back(std::move(list[i]));
  list = std::move(kept);
}

bool ProbeRangeModuleMessages(const std::wstring& path) {
  MessageModule module;
  if (!module.Load(path)) return false;
  std::wstring text;
  if (!FormatModuleOrSystemMessage(&module, 1, 0x400, text)) return false;
  if (text.empty()) {
    SetLastError(ERROR_MR_MID_NOT_FOUND);
    return false;
  }
  return true;
}

void PickedRangeModule(const std::wstring& path, const std::filesystem::path& systemDir, uint32_t& kind,
                       std::wstring& name) {
  std::wstring dir = systemDir.wstring();
  while (!dir.empty() && (dir.back() == L'/' || dir.back() == L'\\')) dir.pop_back();
  if (!dir.empty() && path.size() > dir.size() + 1 && EqualsIgnoreCase(std::wstring_view(path).substr(0, dir.size()), dir) &&
      (path[dir.size()] == L'/' || path[dir.size()] == L'\\')) {
    const std::wstring rest = path.substr(dir.size() + 1);
    if (rest.find_first_of(L"/\\") == std::wstring::npos) {
      kind = kRangeModuleSystem;
      name = rest;
      return;
    }
  }
  kind = kRangeModuleAbsolute;
  name = path;
}

}  // namespace tarnix
