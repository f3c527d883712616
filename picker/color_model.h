// Colour model of the picker: channel operations, the hue colour and field
// position derived from a colour, the hue/saturation/luminosity triple on the
// 0..240 scale, and the table of pure hues behind the hue bar.
//
// A ColorValue holds red in bits 0-7, green 8-15, blue 16-23, alpha 24-31.
#pragma once

#include <array>
#include <cstdint>

namespace tintra {

using ColorValue = std::uint32_t;

// The red, green and blue bits, and the alpha bits (all of them set: opaque).
inline constexpr ColorValue kRgbMask = 0x00FFFFFFu;
inline constexpr ColorValue kAlphaMask = 0xFF000000u;

// A channel is the byte at bits 8 * channel.
enum class Channel { kRed = 0, kGreen = 1, kBlue = 2, kAlpha = 3 };

// 0..255.
constexpr int ChannelOf(ColorValue c, Channel channel) {
  return static_cast<int>((c >> (8 * static_cast<int>(channel))) & 0xFFu);
}
constexpr int RedOf(ColorValue c) {
  return ChannelOf(c, Channel::kRed);
}
constexpr int GreenOf(ColorValue c) {
  return ChannelOf(c, Channel::kGreen);
}
constexpr int BlueOf(ColorValue c) {
  return ChannelOf(c, Channel::kBlue);
}
constexpr int AlphaOf(ColorValue c) {
  return ChannelOf(c, Channel::kAlpha);
}

// `c` with one channel replaced by `value` (0..255), the three others kept.
constexpr ColorValue ReplaceChannel(ColorValue c, Channel channel, int value) {
  const int shift = 8 * static_cast<int>(channel);
  return (c & ~(0xFFu << shift)) | (static_cast<ColorValue>(value) << shift);
}

// Channels must already be 0..255: the sum is not masked, as callers rely on.
constexpr ColorValue ComposeColor(int red, int green, int blue) {
  return static_cast<ColorValue>(red) + static_cast<ColorValue>(green) * 256u +
         static_cast<ColorValue>(blue) * 65536u;
}
constexpr ColorValue ComposeColor(int red, int green, int blue, int alpha) {
  return ComposeColor(red, green, blue) + static_cast<ColorValue>(alpha) * 16777216u;
}

// Nearest integer, halves to the even neighbour (2.5 -> 2, 127.5 -> 128,
// -0.5 -> 0): how a computed double becomes a channel or a position. `x`
// within the range of int. Exact whatever the FPU's rounding mode.
int RoundHalfEven(double x);

// Hue colour of the default colour (48, 160, 224): what white and black
// derive to, and the hue used for greys before any other hue is known.
constexpr ColorValue kDefaultHueColor = 0xFFA200;  // (0, 162, 255)

struct HueDerivation {
  ColorValue hue;  // pure hue, alpha 0
  int field_x;     // 0 (white edge) .. 255 (full hue)
  int field_y;     // 0 (full brightness) .. 255 (black)
};

// Hue colour and field position of `color` (alpha ignored). A grey other
// than white and black has no hue of its own and keeps `previous_hue`.
HueDerivation DeriveHue(ColorValue color, ColorValue previous_hue);

struct HslTriple {
  int hue;         // 0..239: red 0, yellow 40, green 80, cyan 120, blue 160
  int saturation;  // 0..240
  int luminosity;  // 0..240
};

HslTriple ComputeHsl(ColorValue color);

constexpr int kHueTableSize = 3061;  // two cycles of 1530 plus the closing red
constexpr int kHueCycle = 1530;

struct HueTable {
  std::array<ColorValue, kHueTableSize> entries;  // alpha 0
};

void BuildHueTable(HueTable& table);

// Offset 1..1530 of a pure hue in the table (first match in 765..2295, minus
// 764); `previous` when the colour is no pure hue.
int FindHueOffset(const HueTable& table, ColorValue hue, int previous);

}  // namespace tintra
