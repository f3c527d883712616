// The colour the desktop portal's colour pick hands back: three channels as
// doubles, 0.0 (none) .. 1.0 (full), red first. Portable: no platform types.
#pragma once

#include <optional>

#include "picker/color_model.h"

namespace tintra {

// A channel 0..255: the value times 255, halves to the even neighbour (0.5
// gives 127.5 and so 128). A value below 0 counts as 0 and one above 1 as 1,
// infinities included. NaN has no channel.
std::optional<int> ChannelOfPortalValue(double value);

// The 24-bit colour (alpha byte 0) of the portal's (red, green, blue); none
// when any channel is NaN, so that a garbled answer picks nothing.
std::optional<ColorValue> ColorOfPortalChannels(double red, double green, double blue);

}  // namespace tintra
