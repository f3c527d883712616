// Pixel images of the picker, drawn in portable code and blitted by the
// platform shell.
//
// Contract: `pixels` holds width * height values, row-major, top row first,
// no padding (stride = width). Each pixel is a ColorValue: red in bits 0-7,
// green 8-15, blue 16-23, alpha 24-31. In a 24-bit image the alpha byte is
// not part of the pixel and is kept 0.
#pragma once

#include <cstdint>
#include <vector>

#include "picker/color_model.h"

namespace tintra {

struct Image {
  int width = 0;   // pixels
  int height = 0;  // pixels
  int bits = 32;   // 24 or 32
  std::vector<ColorValue> pixels;
};

}  // namespace tintra
