// Fixed text colours on light and dark palettes.
#include "tools/readable_colour.h"

#include <gtest/gtest.h>

namespace tarnix {
namespace {

TEST(ReadableColour, KeepsReadableColoursAndLightensOthersTowardTheText) {
  const Rgb darkRed = RgbOfColorRef(0x0606BF), blue = RgbOfColorRef(0xD77800);
  EXPECT_EQ(darkRed, (Rgb{0xBF, 0x06, 0x06}));
  EXPECT_EQ(blue, (Rgb{0x00, 0x78, 0xD7}));
  EXPECT_NEAR(ContrastRatio({0, 0, 0}, {255, 255, 255}), 21.0, 1e-9);

  // A light window keeps the dark red as it is.
  const Rgb light{239, 239, 239}, black{0, 0, 0};
  EXPECT_EQ(ReadableOn(darkRed, light, black), darkRed);

  // On a dark one both become readable and keep their hue.
  const Rgb dark{45, 45, 48}, pale{220, 220, 220};
  for (const Rgb c : {darkRed, blue}) {
    const Rgb shown = ReadableOn(c, dark, pale);
    EXPECT_GE(ContrastRatio(shown, dark), kMinTextContrast);
    EXPECT_NE(shown, pale);
  }
  const Rgb red = ReadableOn(darkRed, dark, pale);
  EXPECT_GT(red.r, red.g + 40);
  const Rgb lighterBlue = ReadableOn(blue, dark, pale);
  EXPECT_GT(lighterBlue.b, lighterBlue.r + 40);

  // A text colour that does not read either is as far as it goes.
  EXPECT_EQ(ReadableOn(darkRed, dark, Rgb{50, 50, 50}), (Rgb{50, 50, 50}));
}

}  // namespace
}  // namespace tarnix
