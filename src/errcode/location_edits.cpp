#include "errcode/location_edits.h"

#include <algorithm>

#include "core/err_code_presets.h"
#include "core/wformat.h"
#include "errcode/preset_ini.h"
#include "platform/char_class.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

bool IsFolder(const SearchLocation& l) { return LocationKind(l.flags) == kLocationFolder; }

bool Listed(const std::vector<SearchLocation>& items, const SearchLocation& l) {
  return std::any_of(items.begin(), items.end(), [&](const SearchLocation& x) {
    return LocationKind(x.flags) == LocationKind(l.flags) && x.path == l.path;
  });
}

}  // namespace

const wchar_t* LocationSubfoldersText(uint32_t flags) {
  if (LocationKind(flags) != kLocationFolder) return L"";
  return (flags & kLocationSubfolders) ? L"With subfolders" : L"No subfolders";
}

bool AddLocations(std::vector<SearchLocation>& items, const std::vector<SearchLocation>& add) {
  std::vector<SearchLocation> fresh;
  for (const SearchLocation& l : add)
    if (!Listed(items, l) && !Listed(fresh, l)) fresh.push_back(l);
  if (items.size() + fresh.size() > kMaxErrCodePresetItems) {
    SetLastError(ERROR_TOO_MANY_ITEMS);
    return false;
  }
  items.insert(items.end(), fresh.begin(), fresh.end());
  return true;
}

SearchLocation FolderLocation(std::wstring_view path) {
  return {kLocationFolder, WithTrailingSeparator(path)};
}

SearchLocation FileLocation(std::wstring_view path) { return {kLocationFile, std::wstring(path)}; }

void RemoveLocations(std::vector<SearchLocation>& items, const LocationRows& rows) {
  for (auto it = rows.rbegin(); it != rows.rend(); ++it)
    if (*it < items.size()) items.erase(items.begin() + static_cast<std::ptrdiff_t>(*it));
}

LocationRows MoveLocations(std::vector<SearchLocation>& items, const LocationRows& rows, bool up) {
  std::vector<bool> selected(items.size(), false);
  for (size_t r : rows)
    if (r < items.size()) selected[r] = true;
  const size_t n = items.size();
  // Each selected row swaps with the unselected row before (after) it; a
  // block at the edge stays.
  for (size_t k = 0; k < n; ++k) {
    const size_t i = up ? k : n - 1 - k;
    if (!selected[i]) continue;
    if (up ? i == 0 : i + 1 == n) continue;
    const size_t j = up ? i - 1 : i + 1;
    if (selected[j]) continue;
    std::swap(items[i], items[j]);
    selected[j] = true;
    selected[i] = false;
  }
  LocationRows moved;
  for (size_t i = 0; i < n; ++i)
    if (selected[i]) moved.push_back(i);
  return moved;
}

SubfoldersState SelectedSubfoldersState(const std::vector<SearchLocation>& items, const LocationRows& rows) {
  size_t with = 0, without = 0;
  for (size_t r : rows) {
    if (r >= items.size()) continue;
    if (!IsFolder(items[r])) return SubfoldersState::kUnavailable;
    ++((items[r].flags & kLocationSubfolders) ? with : without);
  }
  if (with + without == 0) return SubfoldersState::kUnavailable;
  if (!with) return SubfoldersState::kWithout;
  return without ? SubfoldersState::kMixed : SubfoldersState::kWith;
}

bool ToggleSubfolders(std::vector<SearchLocation>& items, const LocationRows& rows) {
  const SubfoldersState state = SelectedSubfoldersState(items, rows);
  if (state == SubfoldersState::kUnavailable) return false;
  for (size_t r : rows) {
    if (r >= items.size()) continue;
    if (state == SubfoldersState::kWith)
      items[r].flags &= ~kLocationSubfolders;
    else
      items[r].flags |= kLocationSubfolders;
  }
  return true;
}

std::wstring RemoveLocationsQuestion(const std::vector<SearchLocation>& items, const LocationRows& rows) {
  if (rows.size() == 1 && rows[0] < items.size()) {
    const SearchLocation& l = items[rows[0]];
    return WFormat(L"Do you want to remove selected search %ls?\n\n%ls", LocationKindName(l.flags),
                   l.path.c_str());
  }
  return WFormat(L"Do you want to remove %zu selected search item(s)?", rows.size());
}

bool CopyLocationsText(const std::vector<SearchLocation>& items, const LocationRows& rows,
                       std::wstring& out) {
  out.clear();
  for (size_t r : rows)
    if (r < items.size())
      out += FormatPathItemValue(items[r]) + L"\r\n";
  if (out.empty()) {
    SetLastError(ERROR_NOTHING_ENTERED);
    return false;
  }
  return true;
}

bool ParsePastedLocations(std::wstring_view text, std::vector<SearchLocation>& out, uint32_t& error,
                          int& site, size_t& line) {
  out.clear();
  line = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring_view::npos) end = text.size();
    ++line;
    const std::wstring_view item = TrimWhiteSpace(text.substr(start, end - start));
    start = end + 1;
    if (item.empty()) continue;
    // Enough is read to know the paste is refused; the rest is not.
    if (out.size() >= kMaxErrCodePresetItems) {
      error = ERROR_TOO_MANY_ITEMS;
      site = 444;
      out.clear();
      return false;
    }
    SearchLocation l;
    if (!ParsePathItemValue(item, l, error, site)) {
      out.clear();
      return false;
    }
    out.push_back(std::move(l));
  }
  if (out.empty()) {
    error = ERROR_NOTHING_ENTERED;
    site = 0;
    line = 0;
    return false;
  }
  line = 0;
  return true;
}

}  // namespace tarnix
