// Colour model of the picker: hue colour and field position, the
// hue/saturation/luminosity triple, and the table of pure hues.
#include "picker/color_model.h"

#include <cfloat>
#include <cmath>

// The halfway points of the hue derivation need IEEE double arithmetic; the
// x87 unit's extended precision (GCC's default on 32-bit x86) rounds them
// differently. The build asks for SSE2 doubles; refuse to build without.
static_assert(FLT_EVAL_METHOD == 0, "build with -msse2 -mfpmath=sse on 32-bit x86");

namespace tintra {
namespace {

// Nearest integer, halves away from zero (-0.5 -> -1).
int RoundHalfAway(double x) {
  return static_cast<int>(std::round(x));
}

constexpr ColorValue kWhite = 0x00FFFFFFu;
constexpr ColorValue kBlack = 0x00000000u;
// Stands in for white and black, which have no hue of their own.
constexpr ColorValue kDefaultColor = 0x00E0A030u;  // (48, 160, 224)

}  // namespace

int RoundHalfEven(double x) {
  const double floor = std::floor(x);
  int result = static_cast<int>(floor);
  // x - floor is exact for a double.
  const double fraction = x - floor;
  if (fraction > 0.5 || (fraction == 0.5 && result % 2 != 0)) ++result;
  return result;
}

HueDerivation DeriveHue(ColorValue color, ColorValue previous_hue) {
  const ColorValue rgb = color & kRgbMask;
  const ColorValue start = (rgb == kWhite || rgb == kBlack) ? kDefaultColor : rgb;
  int r = RedOf(start);
  int g = GreenOf(start);
  int b = BlueOf(start);

  // A grey (1..254 per channel) scales to white and then has no smallest
  // channel to remove (0 / 0): keep the hue the caller already has.
  if (r == g && g == b) {
    return HueDerivation{previous_hue & kRgbMask, 0, 255 - r};
  }

  HueDerivation out{0, 255, 0};

  // Scale the largest channel to 255; the first test that holds wins ties.
  // Black was replaced above, so one of the tests always holds.
  int* largest = nullptr;
  int* others[2] = {nullptr, nullptr};
  if (r >= g && r >= b && r >= 1) {
    largest = &r, others[0] = &g, others[1] = &b;
  } else if (g >= r && g >= b && g >= 1) {
    largest = &g, others[0] = &r, others[1] = &b;
  } else if (b >= g && b >= r && b >= 1) {
    largest = &b, others[0] = &r, others[1] = &g;
  }
  if (largest != nullptr) {
    const double k = 255.0 / static_cast<double>(*largest);
    out.field_y = 255 - *largest;
    *largest = 255;
    for (int* c : others) *c = RoundHalfEven(k * static_cast<double>(*c));
  }

  // Remove the smallest channel. It is below 255: only a grey scales to
  // (255, 255, 255), and greys were handled above.
  int* smallest = nullptr;
  if (r <= g && r <= b) {
    smallest = &r, others[0] = &g, others[1] = &b;
  } else if (g <= r && g <= b) {
    smallest = &g, others[0] = &r, others[1] = &b;
  } else {
    smallest = &b, others[0] = &r, others[1] = &g;
  }
  const int n = *smallest;
  const double f = static_cast<double>(n) / 255.0;
  out.field_x = 255 - n;
  for (int* c : others) *c = RoundHalfEven(static_cast<double>(*c - n) / (1.0 - f));
  *smallest = 0;

  out.hue = ComposeColor(r, g, b);

  if (rgb == kWhite) {
    out.field_x = 0;
    out.field_y = 0;
  } else if (rgb == kBlack) {
    out.field_x = 255;
    out.field_y = 255;
  }
  return out;
}

HslTriple ComputeHsl(ColorValue color) {
  const int r = RedOf(color);
  const int g = GreenOf(color);
  const int b = BlueOf(color);

  int max = 0;
  int min = 0;
  if (r >= g && r >= b) {
    max = r, min = g < b ? g : b;
  } else if (g >= r && g >= b) {
    max = g, min = r < b ? r : b;
  } else {
    max = b, min = r < g ? r : g;
  }

  HslTriple out{160, 0, 0};
  if (!(r == g && g == b)) {
    const double range = static_cast<double>(max - min);
    double h = 0.0;
    if (r >= g && r >= b) {
      h = static_cast<double>(g - b) / range;
    } else if (g >= r && g >= b) {
      h = static_cast<double>(b - r) / range + 2.0;
    } else {
      h = static_cast<double>(r - g) / range + 4.0;
    }
    int hue = RoundHalfAway(h * 40.0) % 240;
    if (hue < 0) hue += 240;
    out.hue = hue;

    // max + min is 1..509 here, so neither divisor is zero.
    const int sum = max + min;
    const int divisor = sum < 255 ? sum : 510 - sum;
    out.saturation = RoundHalfAway(range * 240.0 / static_cast<double>(divisor));
  }

  if (r == 0 && g == 0 && b == 0) {
    out.luminosity = 0;
  } else if (r == 255 && g == 255 && b == 255) {
    out.luminosity = 240;
  } else {
    out.luminosity = RoundHalfAway(static_cast<double>(max + min) * 240.0 / 510.0);
  }
  return out;
}

void BuildHueTable(HueTable& table) {
  int red = 255;
  int green = 0;
  int blue = -1;  // the first step of phase 0 makes it 0
  int phase = 0;
  for (ColorValue& entry : table.entries) {
    switch (phase) {
      case 0:
        if (++blue == 255) phase = 1;
        break;
      case 1:
        if (--red == 0) phase = 2;
        break;
      case 2:
        if (++green == 255) phase = 3;
        break;
      case 3:
        if (--blue == 0) phase = 4;
        break;
      case 4:
        if (++red == 255) phase = 5;
        break;
      default:
        if (--green == 0) phase = 0;
        break;
    }
    entry = ComposeColor(red, green, blue);
  }
}

int FindHueOffset(const HueTable& table, ColorValue hue, int previous) {
  // The window 765..2295 starts at cyan so that every pure hue, red
  // included, is found once in its middle stretch.
  const ColorValue rgb = hue & kRgbMask;
  for (int i = 765; i <= 2295; ++i) {
    if (table.entries[static_cast<std::size_t>(i)] == rgb) return i - 764;
  }
  return previous;
}

}  // namespace tintra
