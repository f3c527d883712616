#include "picker/presets.h"

#include <gtest/gtest.h>

#include <set>

namespace tintra {
namespace {

TEST(PresetsTest, EntriesFollowTheGroups) {
  struct Row {
    int index;
    int red, green, blue;
    bool main_mark;
  };
  const Row rows[] = {
      {0, 0, 0, 0, false},         // first grey: black
      {1, 32, 32, 32, false},      // greys step by 32
      {4, 128, 128, 128, true},    // central grey
      {7, 224, 224, 224, false},   // last grey before white
      {8, 255, 255, 255, false},   // white
      {9, 64, 0, 0, false},        // red d(64)
      {11, 192, 0, 0, false},      // red d(192)
      {12, 255, 0, 0, true},       // red, central
      {13, 255, 64, 64, false},    // red l(64)
      {15, 255, 192, 192, false},  // red l(192)
      {16, 64, 0, 32, false},      // rose d(64): s/2 = 32
      {19, 255, 0, 128, true},     // rose, central
      {22, 255, 192, 224, false},  // rose l(192): 128 + 96
      {24, 128, 0, 128, false},    // magenta d(128)
      {28, 255, 128, 255, false},  // magenta l(128)
      {31, 64, 0, 128, false},     // violet d(128): s/2 = 64
      {33, 128, 0, 255, true},     // violet, central
      {34, 160, 64, 255, false},   // violet l(64): 128 + 32
      {40, 0, 0, 255, true},       // blue, central
      {42, 128, 128, 255, false},  // blue l(128)
      {46, 0, 96, 192, false},     // azure d(192): s/2 = 96
      {49, 128, 192, 255, false},  // azure l(128)
      {54, 0, 255, 255, true},     // cyan, central
      {60, 0, 192, 96, false},     // spring green d(192)
      {64, 192, 255, 224, false},  // spring green l(192)
      {66, 0, 128, 0, false},      // green d(128)
      {68, 0, 255, 0, true},       // green, central
      {75, 128, 255, 0, true},     // chartreuse, central
      {78, 224, 255, 192, false},  // chartreuse l(192)
      {79, 64, 64, 0, false},      // yellow d(64)
      {82, 255, 255, 0, true},     // yellow, central
      {86, 64, 32, 0, false},      // orange d(64)
      {89, 255, 128, 0, true},     // orange, central
      {92, 255, 224, 192, false},  // orange l(192), the last entry
  };
  for (const Row& r : rows) {
    const PresetEntry entry = PresetAt(r.index);
    EXPECT_EQ(entry.color, ComposeColor(r.red, r.green, r.blue)) << "index " << r.index;
    EXPECT_EQ(entry.main_mark, r.main_mark) << "index " << r.index;
  }
}

TEST(PresetsTest, NinetyThreeDistinctEntriesWithThirteenMarks) {
  std::set<ColorValue> colors;
  int marks = 0;
  for (int i = 0; i < kPresetCount; ++i) {
    const PresetEntry entry = PresetAt(i);
    EXPECT_EQ(AlphaOf(entry.color), 0) << "index " << i;
    colors.insert(entry.color);
    if (entry.main_mark) ++marks;
  }
  EXPECT_EQ(kPresetCount, 93);
  EXPECT_EQ(colors.size(), 93u);
  EXPECT_EQ(marks, 13);  // the grey group and twelve hue groups
}

TEST(PresetsTest, OutOfRangeIndexIsHarmless) {
  for (int index : {-1, 93, -2147483647 - 1, 2147483647}) {
    const PresetEntry entry = PresetAt(index);
    EXPECT_EQ(entry.color, 0u) << "index " << index;
    EXPECT_FALSE(entry.main_mark) << "index " << index;
  }
}

TEST(PresetsTest, FindPresetIndex) {
  struct Lookup {
    ColorValue color;
    int index;
  };
  const Lookup lookups[] = {
      {ComposeColor(128, 128, 128, 255), 4},  // alpha ignored
      {ComposeColor(255, 0, 0, 127), 12},     // pure red, half alpha
      {ComposeColor(255, 0, 0), 12},          // alpha 0
      {ComposeColor(0, 0, 0, 255), 0},        // opaque black
      {ComposeColor(255, 255, 255), 8},       // white
      {ComposeColor(255, 224, 192, 9), 92},   // last entry
      {ComposeColor(255, 128, 1), -1},        // one off orange
      {ComposeColor(1, 2, 3, 255), -1},       // no preset
      {ComposeColor(127, 127, 127), -1},      // grey between presets
  };
  for (const Lookup& l : lookups) {
    EXPECT_EQ(FindPresetIndex(l.color), l.index) << std::hex << l.color;
  }
  // Every preset is found at its own place, whatever its alpha.
  for (int i = 0; i < kPresetCount; ++i) {
    EXPECT_EQ(FindPresetIndex(PresetAt(i).color | 0xAB000000u), i);
  }
}

}  // namespace
}  // namespace tintra
