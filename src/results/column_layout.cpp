#include "results/column_layout.h"

#include <algorithm>
#include <cstring>

#include "results/result_column.h"

namespace tarnix {
namespace {

bool IsStretch(int32_t column) { return column == kColFolder || column == kColDescription; }

ColumnLayoutEntry Entry(int32_t column, int32_t width) {
  ColumnLayoutEntry e;
  e.column = column;
  e.flags = IsStretch(column) ? uint32_t{kColumnStretch} : 0u;
  e.width = IsStretch(column) ? 2 : width;
  return e;
}

}  // namespace

ColumnLayout DefaultColumnLayout(int32_t clientWidth) {
  auto pct = [&](int p) { return clientWidth * p / 100; };
  return {Entry(kColFunctionName, pct(16)), Entry(kColOrdinal, pct(5)),
          Entry(kColMatchedIn, pct(10)),    Entry(kColModule, pct(12)),
          Entry(kColImageName, pct(10)),    Entry(kColType, pct(6)),
          Entry(kColFolder, 2),             Entry(kColVersion, pct(8)),
          Entry(kColDescription, 2)};
}

bool DecodeColumnLayout(const std::vector<uint8_t>& stored, int32_t clientWidth, ColumnLayout& out) {
  out.clear();
  const size_t n = stored.size();
  if (n < 8 || n >= 2048 || n % 8 != 0) return false;
  const size_t count = n / 8;
  if (count > static_cast<size_t>(kResultColumnCount)) return false;
  bool seen[kResultColumnCount] = {};
  ColumnLayout layout;
  for (size_t i = 0; i < count; ++i) {
    int32_t id, width;
    std::memcpy(&id, stored.data() + i * 8, 4);
    std::memcpy(&width, stored.data() + i * 8 + 4, 4);
    if (id < 0 || id >= kResultColumnCount || seen[id]) return false;
    seen[id] = true;
    if (!IsStretch(id) && (width < 0 || static_cast<int64_t>(width) > 4LL * clientWidth))
      return false;
    layout.push_back(Entry(id, width));
  }
  out = std::move(layout);
  return true;
}

std::vector<uint8_t> EncodeColumnLayout(const ColumnLayout& layout,
                                        const std::vector<int32_t>& pixelWidths) {
  std::vector<uint8_t> out(layout.size() * 8);
  for (size_t i = 0; i < layout.size(); ++i) {
    int32_t width = i < pixelWidths.size() ? pixelWidths[i] : layout[i].width;
    std::memcpy(out.data() + i * 8, &layout[i].column, 4);
    std::memcpy(out.data() + i * 8 + 4, &width, 4);
  }
  return out;
}

std::vector<int32_t> ColumnPixelWidths(const ColumnLayout& layout, int32_t clientWidth) {
  int64_t fixed = 0;
  for (const auto& e : layout)
    if (!(e.flags & kColumnStretch)) fixed += e.width;
  const int64_t rest = clientWidth - fixed;
  std::vector<int32_t> widths;
  bool restTaken = false;
  for (size_t i = 0; i < layout.size(); ++i) {
    const auto& e = layout[i];
    if (!(e.flags & kColumnStretch)) {
      widths.push_back(e.width);
      continue;
    }
    int64_t w = 0;
    if (rest > 0) {
      if (e.width < 2) {
        w = restTaken ? 0 : rest;  // only the first such column takes the rest
        restTaken = true;
      } else {
        w = rest / e.width;
      }
    }
    if (i + 1 == layout.size() && w < 28) w = 28;
    widths.push_back(static_cast<int32_t>(w));
  }
  return widths;
}

bool RemoveColumn(ColumnLayout& layout, int32_t column, int32_t& sortColumn) {
  if (layout.size() <= 1) return false;
  auto it = std::find_if(layout.begin(), layout.end(),
                         [&](const ColumnLayoutEntry& e) { return e.column == column; });
  if (it == layout.end()) return false;
  layout.erase(it);
  if (sortColumn == column) sortColumn = layout.front().column;
  return true;
}

}  // namespace tarnix
