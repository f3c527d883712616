#include "picker/portal_color.h"

#include <cmath>

namespace tintra {

std::optional<int> ChannelOfPortalValue(double value) {
  if (std::isnan(value)) return std::nullopt;
  // Clamped first: RoundHalfEven needs a value within the range of int.
  const double clamped = value < 0.0 ? 0.0 : (value > 1.0 ? 1.0 : value);
  return RoundHalfEven(clamped * 255.0);
}

std::optional<ColorValue> ColorOfPortalChannels(double red, double green, double blue) {
  const std::optional<int> r = ChannelOfPortalValue(red);
  const std::optional<int> g = ChannelOfPortalValue(green);
  const std::optional<int> b = ChannelOfPortalValue(blue);
  if (!r || !g || !b) return std::nullopt;
  return ComposeColor(*r, *g, *b);
}

}  // namespace tintra
