#include "tools/help_zoom.h"

#include <algorithm>

#include "core/program_settings.h"

namespace tarnix {

int32_t ClampHelpZoom(int32_t percent) { return std::clamp(percent, kHelpZoomMin, kHelpZoomMax); }

// Computed in 64 bits so that a zoom near the integer limits cannot wrap.
int32_t HelpZoomIn(int32_t percent) {
  return static_cast<int32_t>(std::clamp<int64_t>(int64_t{percent} + kHelpZoomStep, kHelpZoomMin, kHelpZoomMax));
}

int32_t HelpZoomOut(int32_t percent) {
  return static_cast<int32_t>(std::clamp<int64_t>(int64_t{percent} - kHelpZoomStep, kHelpZoomMin, kHelpZoomMax));
}

}  // namespace tarnix
