#pragma once
// The text magnification of the help window, in percent: steps of 10
// within the limits of "HelpZoom" (20..800), 100 after a reset.
#include <cstdint>

namespace tarnix {

inline constexpr int32_t kHelpZoomStep = 10;
inline constexpr int32_t kHelpZoomNormal = 100;

int32_t ClampHelpZoom(int32_t percent);
int32_t HelpZoomIn(int32_t percent);
int32_t HelpZoomOut(int32_t percent);

}  // namespace tarnix
