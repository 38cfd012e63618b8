#include "tools/readable_colour.h"

#include <algorithm>
#include <cmath>

namespace tarnix {
namespace {

double Linear(uint8_t channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(Rgb c) { return 0.2126 * Linear(c.r) + 0.7152 * Linear(c.g) + 0.0722 * Linear(c.b); }

uint8_t Mix(uint8_t from, uint8_t to, double t) {
  return static_cast<uint8_t>(std::lround(from + (to - from) * t));
}

}  // namespace

Rgb RgbOfColorRef(uint32_t colorRef) {
  return {static_cast<uint8_t>(colorRef & 0xFF), static_cast<uint8_t>((colorRef >> 8) & 0xFF),
          static_cast<uint8_t>((colorRef >> 16) & 0xFF)};
}

double ContrastRatio(Rgb a, Rgb b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgb ReadableOn(Rgb colour, Rgb background, Rgb text) {
  if (ContrastRatio(colour, background) >= kMinTextContrast) return colour;
  // Small steps: the first mix that reads is the one nearest the colour.
  constexpr int kSteps = 64;
  for (int i = 1; i < kSteps; ++i) {
    const double t = static_cast<double>(i) / kSteps;
    const Rgb mixed{Mix(colour.r, text.r, t), Mix(colour.g, text.g, t), Mix(colour.b, text.b, t)};
    if (ContrastRatio(mixed, background) >= kMinTextContrast) return mixed;
  }
  return text;
}

}  // namespace tarnix
