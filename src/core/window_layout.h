#pragma once
// The geometry of a resizable window's layout: how anchored controls follow
// the window's size, the tracking limits, and the borders that must not
// resize a fixed dimension. The window system glue applies the results.
#include <cstdint>

#include "core/window_placement.h"

namespace tarnix {

// Anchor flags of a control.
inline constexpr uint32_t kAnchorRight = 1;   // right edge follows the window's right edge
inline constexpr uint32_t kAnchorLeft = 2;    // left edge stays
inline constexpr uint32_t kAnchorBottom = 4;  // bottom edge follows the window's bottom edge
inline constexpr uint32_t kAnchorTop = 8;     // top edge stays
// Option flag: move without copying the old client area.
inline constexpr uint32_t kAnchorNoCopyBits = 1;

// Layout flags (low four bits).
inline constexpr uint32_t kLayoutResizable = 0;
inline constexpr uint32_t kLayoutWidthFixed = 1;
inline constexpr uint32_t kLayoutHeightFixed = 2;

// Hit-test answers of the window system.
inline constexpr int HTCLIENT = 1;
inline constexpr int HTLEFT = 10;
inline constexpr int HTRIGHT = 11;
inline constexpr int HTTOP = 12;
inline constexpr int HTTOPLEFT = 13;
inline constexpr int HTTOPRIGHT = 14;
inline constexpr int HTBOTTOM = 15;
inline constexpr int HTBOTTOMLEFT = 16;
inline constexpr int HTBOTTOMRIGHT = 17;

// False for layout flags whose low four bits are not one of the three.
bool IsValidLayoutFlags(uint32_t flags);

// An anchor entry is used only when one of its four low bits is set.
inline bool IsUsableAnchor(uint32_t anchors) { return (anchors & 0xF) != 0; }

// Where a control that was at `initial` (client coordinates) goes when the
// client area is `dx` wider and `dy` higher than when the layout was made.
Rect AnchoredRect(const Rect& initial, uint32_t anchors, int dx, int dy);

struct TrackingLimits {
  int minWidth = 0, minHeight = 0;
  int maxWidth = 0, maxHeight = 0;  // 0: no limit
};
// The initial window size is the minimum; a fixed dimension is also the maximum.
TrackingLimits LayoutTrackingLimits(int initialWidth, int initialHeight, uint32_t layoutFlags);

// The window system's hit-test answer with the borders that would resize a
// fixed dimension turned into harmless ones.
int FixedDimensionHitTest(int hit, uint32_t layoutFlags);

}  // namespace tarnix
