#include "picker/color_model.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace tintra {
namespace {

struct DeriveCase {
  ColorValue color;
  ColorValue previous_hue;
  ColorValue hue;
  int field_x;
  int field_y;
};

TEST(ColorModelDeriveHue, KnownColors) {
  const DeriveCase cases[] = {
      // Fully saturated red is its own hue, right edge, top.
      {0x0000FF, kDefaultHueColor, 0x0000FF, 255, 0},
      // Blue, likewise.
      {0xFF0000, kDefaultHueColor, 0xFF0000, 255, 0},
      // (128,64,0): k = 255/128, green 127.5 goes to the even 128; y 127.
      {ComposeColor(128, 64, 0), kDefaultHueColor, ComposeColor(255, 128, 0), 255, 127},
      // (50,25,0): 25 * 5.1 is just below 127.5 in doubles, so 127.
      {ComposeColor(50, 25, 0), kDefaultHueColor, ComposeColor(255, 127, 0), 255, 205},
      // (255,161,67): 94 / (1 - 67/255) is just below 127.5 in doubles.
      {ComposeColor(255, 161, 67), kDefaultHueColor, ComposeColor(255, 127, 0), 188, 0},
      // (102,1,0): k = 2.5 exactly, 2.5 goes to the even 2 (not 3).
      {ComposeColor(102, 1, 0), kDefaultHueColor, ComposeColor(255, 2, 0), 255, 153},
      // (102,3,0): 7.5 goes to the even 8.
      {ComposeColor(102, 3, 0), kDefaultHueColor, ComposeColor(255, 8, 0), 255, 153},
      // (2,1,0): k = 127.5, green 127.5 goes to 128.
      {ComposeColor(2, 1, 0), kDefaultHueColor, ComposeColor(255, 128, 0), 255, 253},
      // (6,1,0): k = 42.5, green 42.5 goes to 42.
      {ComposeColor(6, 1, 0), kDefaultHueColor, ComposeColor(255, 42, 0), 255, 249},
      // (255,128,64): green (128-64) / (191/255) = 85.4 -> 85; x 191.
      {ComposeColor(255, 128, 64), kDefaultHueColor, ComposeColor(255, 85, 0), 191, 0},
      // Tie red = green: red counts as largest, blue as smallest.
      {ComposeColor(255, 255, 0), kDefaultHueColor, ComposeColor(255, 255, 0), 255, 0},
      // Tie green = blue, no red: green scales both to 255; y 55.
      {ComposeColor(0, 200, 200), kDefaultHueColor, ComposeColor(0, 255, 255), 255, 55},
      // The default colour itself is no special case: x 200, y 31.
      {ComposeColor(48, 160, 224), 0x0000FF, kDefaultHueColor, 200, 31},
      // White derives from the default colour; marker top-left.
      {0xFFFFFF, 0x0000FF, ComposeColor(0, 162, 255), 0, 0},
      // Black likewise; marker bottom-right.
      {0x000000, 0x0000FF, ComposeColor(0, 162, 255), 255, 255},
      // White with alpha is still white.
      {0xFFFFFFFF, 0x0000FF, kDefaultHueColor, 0, 0},
      // Black with alpha is still black.
      {0x80000000, 0x0000FF, kDefaultHueColor, 255, 255},
      // Alpha is ignored and never reaches the hue colour.
      {ComposeColor(128, 64, 0, 0xAB), kDefaultHueColor, ComposeColor(255, 128, 0), 255, 127},
      // Mid grey keeps the previous hue; left edge, y = 255 - 128.
      {ComposeColor(128, 128, 128), 0x00FF00, 0x00FF00, 0, 127},
      // Darkest grey.
      {ComposeColor(1, 1, 1), kDefaultHueColor, kDefaultHueColor, 0, 254},
      // Lightest grey, with alpha on both colours: the hue comes back without it.
      {ComposeColor(254, 254, 254, 9), 0x7F00FFFF, 0x00FFFF, 0, 1},
  };
  for (const DeriveCase& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << "colour 0x" << c.color);
    const HueDerivation d = DeriveHue(c.color, c.previous_hue);
    EXPECT_EQ(d.hue, c.hue);
    EXPECT_EQ(d.field_x, c.field_x);
    EXPECT_EQ(d.field_y, c.field_y);
  }
}

TEST(ColorModelDeriveHue, EveryNonGreyGivesPureHueFoundInTable) {
  auto table = std::make_unique<HueTable>();
  BuildHueTable(*table);
  // Pure hues are few (1530): look each one up once.
  std::vector<bool> seen(1u << 24);
  int failures = 0;
  for (int r = 0; r < 256; ++r) {
    for (int g = 0; g < 256; ++g) {
      for (int b = 0; b < 256; ++b) {
        if (r == g && g == b) continue;
        const ColorValue color = ComposeColor(r, g, b);
        const HueDerivation d = DeriveHue(color, 0x123456);
        const int hr = RedOf(d.hue), hg = GreenOf(d.hue), hb = BlueOf(d.hue);
        const bool pure = (hr == 255 || hg == 255 || hb == 255) && (hr == 0 || hg == 0 || hb == 0);
        const bool in_field = d.field_x >= 0 && d.field_x <= 255 && d.field_y >= 0 &&
                              d.field_y <= 255 && AlphaOf(d.hue) == 0;
        if (!pure || !in_field) {
          if (++failures < 10) ADD_FAILURE() << std::hex << "colour 0x" << color;
          continue;
        }
        if (seen[d.hue]) continue;
        seen[d.hue] = true;
        const int offset = FindHueOffset(*table, d.hue, -1);
        if (offset < 1 || offset > 1530 || table->entries[offset + 764] != d.hue) {
          if (++failures < 10) ADD_FAILURE() << std::hex << "hue 0x" << d.hue;
        }
      }
    }
  }
  EXPECT_EQ(failures, 0);
}

struct HslCase {
  int r, g, b;
  int hue, saturation, luminosity;
};

TEST(ColorModelComputeHsl, KnownColors) {
  const HslCase cases[] = {
      {255, 0, 0, 0, 240, 120},      // red
      {0, 255, 0, 80, 240, 120},     // green
      {0, 0, 255, 160, 240, 120},    // blue
      {255, 255, 0, 40, 240, 120},   // yellow
      {0, 255, 255, 120, 240, 120},  // cyan
      {255, 0, 255, 200, 240, 120},  // magenta: h * 40 = -40 -> 200
      {128, 128, 128, 160, 0, 120},  // grey: 256 * 240 / 510 = 120.47
      {0, 0, 0, 160, 0, 0},          // black
      {255, 255, 255, 160, 0, 240},  // white
      {255, 0, 1, 0, 240, 120},      // h * 40 = -0.157 -> 0
      {255, 0, 128, 220, 240, 120},  // h * 40 = -20.08 -> -20 -> 220
      {100, 20, 21, 239, 160, 56},   // h * 40 = -0.5 -> -1 (away from zero) -> 239
      {97, 95, 95, 0, 3, 90},        // saturation 2.5 -> 3 (away from zero)
      {200, 55, 55, 0, 136, 120},    // max + min = 255: both formulas give 136.47
      {200, 54, 54, 0, 138, 120},    // max + min = 254, first formula: 146 * 240 / 254
      {201, 55, 55, 0, 138, 120},    // max + min = 256, second formula: 146 * 240 / (510 - 256)
  };
  for (const HslCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "(" << c.r << "," << c.g << "," << c.b << ")");
    const HslTriple t = ComputeHsl(ComposeColor(c.r, c.g, c.b));
    EXPECT_EQ(t.hue, c.hue);
    EXPECT_EQ(t.saturation, c.saturation);
    EXPECT_EQ(t.luminosity, c.luminosity);
    // Alpha takes no part.
    const HslTriple a = ComputeHsl(ComposeColor(c.r, c.g, c.b, 0xC3));
    EXPECT_EQ(a.hue, c.hue);
    EXPECT_EQ(a.saturation, c.saturation);
    EXPECT_EQ(a.luminosity, c.luminosity);
  }
}

TEST(ColorModelChannels, ReadAndReplaceEachChannel) {
  const ColorValue c = 0x80FF4010u;  // red 16, green 64, blue 255, alpha 128
  const struct {
    Channel channel;
    int value;
    ColorValue replaced;  // by 0x5A
  } rows[] = {
      {Channel::kRed, 0x10, 0x80FF405Au},
      {Channel::kGreen, 0x40, 0x80FF5A10u},
      {Channel::kBlue, 0xFF, 0x805A4010u},
      {Channel::kAlpha, 0x80, 0x5AFF4010u},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ChannelOf(c, row.channel), row.value) << static_cast<int>(row.channel);
    EXPECT_EQ(ReplaceChannel(c, row.channel, 0x5A), row.replaced) << static_cast<int>(row.channel);
  }
}

TEST(ColorModelRounding, HalvesGoToTheEvenNeighbour) {
  const struct {
    double x;
    int rounded;
  } rows[] = {
      {2.5, 2},
      {3.5, 4},
      {127.5, 128},
      {0.5, 0},
      {-0.5, 0},
      {-1.5, -2},
      {-2.5, -2},
      {2.4999999999999996, 2},
      {-7.25, -7},
      {-7.75, -8},
      {1e9 + 0.5, 1000000000},
      {0.0, 0},
  };
  for (const auto& row : rows) EXPECT_EQ(RoundHalfEven(row.x), row.rounded) << row.x;
}

TEST(ColorModelHueTable, Layout) {
  auto table = std::make_unique<HueTable>();
  BuildHueTable(*table);
  const auto& e = table->entries;
  EXPECT_EQ(e[0], ComposeColor(255, 0, 0));       // red
  EXPECT_EQ(e[255], ComposeColor(255, 0, 255));   // magenta ends phase 0
  EXPECT_EQ(e[510], ComposeColor(0, 0, 255));     // blue
  EXPECT_EQ(e[765], ComposeColor(0, 255, 255));   // cyan
  EXPECT_EQ(e[1020], ComposeColor(0, 255, 0));    // green
  EXPECT_EQ(e[1275], ComposeColor(255, 255, 0));  // yellow
  EXPECT_EQ(e[1530], ComposeColor(255, 0, 0));    // red again
  EXPECT_EQ(e[3060], ComposeColor(255, 0, 0));    // closing red
  for (int i = 0; i <= 1530; ++i) ASSERT_EQ(e[i], e[i + 1530]) << "entry " << i;
  for (int i = 1; i < kHueTableSize; ++i) {
    const int dr = RedOf(e[i]) - RedOf(e[i - 1]);
    const int dg = GreenOf(e[i]) - GreenOf(e[i - 1]);
    const int db = BlueOf(e[i]) - BlueOf(e[i - 1]);
    ASSERT_EQ(std::abs(dr) + std::abs(dg) + std::abs(db), 1) << "entry " << i;
    ASSERT_EQ(AlphaOf(e[i]), 0) << "entry " << i;
  }
}

TEST(ColorModelHueTable, EveryPureHueFoundOnceInMiddleStretch) {
  auto table = std::make_unique<HueTable>();
  BuildHueTable(*table);
  for (int third = 0; third < 256; ++third) {
    // One channel 255, one 0, the third anywhere: six arrangements.
    const ColorValue candidates[6] = {
        ComposeColor(255, third, 0), ComposeColor(255, 0, third), ComposeColor(third, 255, 0),
        ComposeColor(0, 255, third), ComposeColor(third, 0, 255), ComposeColor(0, third, 255),
    };
    for (ColorValue hue : candidates) {
      int count = 0;
      for (int i = 765; i <= 2294; ++i) count += table->entries[i] == hue;
      EXPECT_EQ(count, 1) << std::hex << "hue 0x" << hue;
      const int offset = FindHueOffset(*table, hue, -1);
      ASSERT_GE(offset, 1);
      ASSERT_LE(offset, 1530);
      EXPECT_EQ(table->entries[offset + 764], hue);
    }
  }
}

TEST(ColorModelHueTable, FindHueOffset) {
  auto table = std::make_unique<HueTable>();
  BuildHueTable(*table);
  struct Case {
    ColorValue hue;
    int previous;
    int expected;
  };
  const Case cases[] = {
      {0x00FFFF00, 7, 1},     // cyan: index 765
      {0x000000FF, 7, 766},   // red: index 1530, not the second copy at 3060
      {0x0000FFFF, 7, 511},   // yellow: index 1275
      {0x00FF00FF, 7, 1021},  // magenta: index 1785
      {0x00FF0000, 7, 1276},  // blue: index 2040
      {0x0000FF00, 7, 256},   // green: index 1020
      {0xFF0000FF, 7, 766},   // alpha bits are not compared
      {0x00808080, 42, 42},   // grey: no pure hue, previous kept
      {0x00000000, 0, 0},     // black: nothing found, 0 before any match
      {0x000080FE, 3, 3},     // near-pure but 254: not in the table
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindHueOffset(*table, c.hue, c.previous), c.expected)
        << std::hex << "hue 0x" << c.hue;
  }
}

}  // namespace
}  // namespace tintra
