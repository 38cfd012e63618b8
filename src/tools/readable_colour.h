#pragma once
// Text colours that a window fixes (the bitness labels of the image
// information window) shown on whatever palette the desktop has: a fixed
// colour that would be hard to read on the window's background (dark red
// on a dark theme) is moved toward the palette's own text colour, just far
// enough to read, so it keeps its hue.
#include <cstdint>

namespace tarnix {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// A colour given as the platform gives it, 0x00BBGGRR.
Rgb RgbOfColorRef(uint32_t colorRef);

// The contrast ratio of two colours (1 to 21) as accessibility guidelines
// measure it, from their relative luminance.
double ContrastRatio(Rgb a, Rgb b);

// The contrast normal text needs to be read comfortably.
inline constexpr double kMinTextContrast = 4.5;

// `colour` when it has kMinTextContrast against `background`; otherwise
// the colour on the way from it to `text` that first has it (`text` itself
// when nothing on the way does).
Rgb ReadableOn(Rgb colour, Rgb background, Rgb text);

}  // namespace tarnix
