#pragma once
// The results list's columns: which are shown, in which order, how wide, and
// how the layout is stored ("TarnixSrchResultsCols": pairs of signed 32-bit
// little-endian column id and pixel width, in list order).
#include <cstdint>
#include <vector>

namespace tarnix {

enum ColumnFlags : uint32_t {
  kColumnCentred = 0x01,
  kColumnStretch = 0x80,  // takes a share of the rest of the width
};

struct ColumnLayoutEntry {
  int32_t column = 0;  // ResultColumn
  int32_t listIndex = -1;
  uint32_t flags = 0;
  int32_t width = 0;  // pixels, or a weight for stretch columns
};

using ColumnLayout = std::vector<ColumnLayoutEntry>;

// The nine columns of the default layout with widths as percentages of the
// client width (the stretch columns Folder and Description with weight 2).
ColumnLayout DefaultColumnLayout(int32_t clientWidth);

// The stored layout, or nothing when any rule is broken: size a multiple of
// 8, at least 8 and below 2048 bytes; 1 to 16 entries; known ids, none
// repeated; widths of ordinary columns within 0..4 x the client width.
// Stretch columns take weight 2 whatever was stored.
bool DecodeColumnLayout(const std::vector<uint8_t>& stored, int32_t clientWidth, ColumnLayout& out);

// The stored form of the layout, with the columns' current pixel widths.
std::vector<uint8_t> EncodeColumnLayout(const ColumnLayout& layout,
                                        const std::vector<int32_t>& pixelWidths);

// The pixel widths of the columns for a client width: ordinary columns as
// they are, stretch columns sharing what is left by their weights (0 when
// nothing is left); a stretch column in the last place is at least 28.
std::vector<int32_t> ColumnPixelWidths(const ColumnLayout& layout, int32_t clientWidth);

// Removing a column is refused when it is the only one. Answers the new
// sort column when the removed column was the sort column (the first one
// left), else `sortColumn` unchanged.
bool RemoveColumn(ColumnLayout& layout, int32_t column, int32_t& sortColumn);

}  // namespace tarnix
