#include "core/window_layout.h"

namespace tarnix {

bool IsValidLayoutFlags(uint32_t flags) {
  const uint32_t low = flags & 0xF;
  return low == kLayoutResizable || low == kLayoutWidthFixed || low == kLayoutHeightFixed;
}

Rect AnchoredRect(const Rect& initial, uint32_t anchors, int dx, int dy) {
  Rect r;
  r.right = (anchors & kAnchorRight) ? initial.right + dx : initial.right;
  r.bottom = (anchors & kAnchorBottom) ? initial.bottom + dy : initial.bottom;
  r.left = (anchors & kAnchorLeft) ? initial.left : r.right - initial.width();
  r.top = (anchors & kAnchorTop) ? initial.top : r.bottom - initial.height();
  return r;
}

TrackingLimits LayoutTrackingLimits(int initialWidth, int initialHeight, uint32_t layoutFlags) {
  TrackingLimits t;
  t.minWidth = initialWidth;
  t.minHeight = initialHeight;
  if ((layoutFlags & 0xF) == kLayoutWidthFixed) t.maxWidth = initialWidth;
  if ((layoutFlags & 0xF) == kLayoutHeightFixed) t.maxHeight = initialHeight;
  return t;
}

int FixedDimensionHitTest(int hit, uint32_t layoutFlags) {
  switch (layoutFlags & 0xF) {
    case kLayoutWidthFixed:
      switch (hit) {
        case HTLEFT:
        case HTRIGHT: return HTCLIENT;
        case HTTOPLEFT:
        case HTTOPRIGHT: return HTTOP;
        case HTBOTTOMLEFT:
        case HTBOTTOMRIGHT: return HTBOTTOM;
        default: return hit;
      }
    case kLayoutHeightFixed:
      switch (hit) {
        case HTTOP:
        case HTBOTTOM: return HTCLIENT;
        case HTTOPLEFT:
        case HTBOTTOMLEFT: return HTLEFT;
        case HTTOPRIGHT:
        case HTBOTTOMRIGHT: return HTRIGHT;
        default: return hit;
      }
    default: return hit;
  }
}

}  // namespace tarnix
