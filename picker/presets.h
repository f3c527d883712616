// The 93 preset colours of the picker: nine greys, then twelve hue groups of
// seven (three dark shades, the central colour, three light tints).
#pragma once

#include "picker/color_model.h"

namespace tintra {

constexpr int kPresetCount = 93;

struct PresetEntry {
  ColorValue color;  // alpha 0
  bool main_mark;    // the central colour of its group, shown as "-"
};

// Entry `index` (0..92) of the palette, in list order.
PresetEntry PresetAt(int index);

// Index of the preset whose red, green and blue equal the colour's (alpha
// ignored; the last match in list order), or -1.
int FindPresetIndex(ColorValue color);

}  // namespace tintra
