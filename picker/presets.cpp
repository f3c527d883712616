#include "picker/presets.h"

#include <array>

namespace tintra {

namespace {

constexpr int kGreyCount = 9;
constexpr int kGroupCount = 12;
constexpr int kGroupSize = 7;  // three shades, the central colour, three tints
constexpr int kSteps[] = {64, 128, 192};

struct Rgb {
  int red, green, blue;  // 0..255
};

// Central colours of the hue groups, in palette order. Each channel is 0, 128
// or 255, which fixes how it darkens and lightens.
constexpr Rgb kCentres[kGroupCount] = {
    {255, 0, 0},    // red
    {255, 0, 128},  // rose
    {255, 0, 255},  // magenta
    {128, 0, 255},  // violet
    {0, 0, 255},    // blue
    {0, 128, 255},  // azure
    {0, 255, 255},  // cyan
    {0, 255, 128},  // spring green
    {0, 255, 0},    // green
    {128, 255, 0},  // chartreuse
    {255, 255, 0},  // yellow
    {255, 128, 0},  // orange
};

// Dark shade d(s) of a central channel: 255 -> s, 128 -> s/2, 0 -> 0.
constexpr int Shade(int centre, int s) {
  return centre == 255 ? s : centre == 128 ? s / 2 : 0;
}

// Light tint l(s) of a central channel: 255 -> 255, 128 -> 128 + s/2, 0 -> s.
constexpr int Tint(int centre, int s) {
  return centre == 255 ? 255 : centre == 128 ? 128 + s / 2 : s;
}

constexpr std::array<PresetEntry, kPresetCount> BuildPalette() {
  std::array<PresetEntry, kPresetCount> palette{};
  int n = 0;
  for (int grey : {0, 32, 64, 96, 128, 160, 192, 224, 255}) {
    palette[n++] = {ComposeColor(grey, grey, grey), grey == 128};
  }
  for (const Rgb& c : kCentres) {
    for (int s : kSteps) {
      palette[n++] = {ComposeColor(Shade(c.red, s), Shade(c.green, s), Shade(c.blue, s)), false};
    }
    palette[n++] = {ComposeColor(c.red, c.green, c.blue), true};
    for (int s : kSteps) {
      palette[n++] = {ComposeColor(Tint(c.red, s), Tint(c.green, s), Tint(c.blue, s)), false};
    }
  }
  return palette;
}

constexpr std::array<PresetEntry, kPresetCount> kPalette = BuildPalette();

static_assert(kGreyCount + kGroupCount * kGroupSize == kPresetCount);

// The combo box selects by colour, so no two presets may be equal.
constexpr bool AllDistinct() {
  for (int i = 0; i < kPresetCount; ++i) {
    for (int j = i + 1; j < kPresetCount; ++j) {
      if (kPalette[i].color == kPalette[j].color) return false;
    }
  }
  return true;
}
static_assert(AllDistinct());

}  // namespace

// An index outside 0..92 gives black (alpha 0) without a mark.
PresetEntry PresetAt(int index) {
  if (index < 0 || index >= kPresetCount) return PresetEntry{0, false};
  return kPalette[index];
}

int FindPresetIndex(ColorValue color) {
  const ColorValue rgb = color & kRgbMask;
  for (int i = kPresetCount - 1; i >= 0; --i) {
    if (kPalette[i].color == rgb) return i;
  }
  return -1;
}

}  // namespace tintra
