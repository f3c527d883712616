#include "picker/device_pixels.h"

#include <cmath>
#include <limits>

#include "picker/dialog_layout.h"

namespace tintra {

namespace {

// What a physical position divided by a ratio and multiplied again may lose
// at most, in pixels; far below the width of one.
constexpr double kRoundTripSlack = 1e-6;

int SaturatedFloor(double v) {
  if (std::isnan(v)) return -1;
  constexpr double kLow = std::numeric_limits<int>::min();
  constexpr double kHigh = std::numeric_limits<int>::max();
  if (v <= kLow) return std::numeric_limits<int>::min();
  if (v >= kHigh) return std::numeric_limits<int>::max();
  return static_cast<int>(std::floor(v));
}

}  // namespace

int DpiOfPixelRatio(double ratio) {
  if (!(ratio > 0)) return kBaseDpi;
  return LayoutDpi(SaturatedFloor(ratio * kBaseDpi + 0.5));
}

int PhysicalPixelOf(double device_independent, double ratio) {
  return SaturatedFloor(device_independent * ratio + kRoundTripSlack);
}

}  // namespace tintra
