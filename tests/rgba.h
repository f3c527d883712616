// Colours of the tests, written channel by channel: red in bits 0-7, green
// 8-15, blue 16-23, alpha 24-31, spelt out here rather than taken from the
// colour model under test.
#pragma once

#include "picker/color_model.h"

namespace tintra {

constexpr ColorValue Rgba(int r, int g, int b, int a) {
  return static_cast<ColorValue>(r) | static_cast<ColorValue>(g) << 8 |
         static_cast<ColorValue>(b) << 16 | static_cast<ColorValue>(a) << 24;
}

}  // namespace tintra
