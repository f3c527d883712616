// Pixel images and the blend rule. The expected pixels come from the rule
// as written (ReferenceBlend below, plain integer division), never from the
// drawing code itself.
#include "picker/image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "tests/rgba.h"

namespace tintra {
namespace {

// The rule, word for word: source S with alpha c over destination D with
// alpha g.
ColorValue ReferenceBlend(ColorValue d, ColorValue s) {
  const std::uint32_t c = s >> 24, g = d >> 24;
  if (c == 0) return d;
  if (g == 0) return s;
  const std::uint32_t den = c * 255 + (255 - c) * g;
  ColorValue out = (den / 255) << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t sc = (s >> shift) & 255, dc = (d >> shift) & 255;
    out |= ((c * sc * 255 + (255 - c) * dc * g) / den) << shift;
  }
  return out;
}

// Channel values such that, over d = 0..255, each channel of the row runs
// through every value once (7 and 5 are odd, so x * 7 and x * 5 permute
// 0..255): every (S, D) pair then occurs in every channel.
ColorValue Spread(int v, int alpha) {
  return Rgba(v, 255 - v, (v * 7 + 3) & 255, alpha);
}
ColorValue SpreadSource(int v, int alpha) {
  return Rgba(v, 255 - v, (v * 5 + 1) & 255, alpha);
}

// Opaque destination, the fast path: every c, every S and every D in each
// channel (256^3 per channel) through both row kernels (DrawImage's path
// onto opaque rows); a line of one colour sees every c, S and D as well.
TEST(ImageBlend, OpaqueDestinationFastPathsMatchTheRuleExhaustively) {
  std::vector<ColorValue> dst(256), base(256), src(256), expected(256);
  for (int d = 0; d < 256; ++d) base[static_cast<std::size_t>(d)] = Spread(d, 255);
  Image row = CreateImage(256, 1, 32);
  int mismatches = 0;
  for (int c = 0; c < 256 && mismatches == 0; ++c) {
    for (int sv = 0; sv < 256; ++sv) {
      const ColorValue s = SpreadSource(sv, c);
      // Source varies along the row too, so neighbouring lanes differ.
      for (int d = 0; d < 256; ++d) {
        src[static_cast<std::size_t>(d)] = d % 2 == 0 ? s : SpreadSource(255 - sv, c);
        expected[static_cast<std::size_t>(d)] =
            ReferenceBlend(base[static_cast<std::size_t>(d)], src[static_cast<std::size_t>(d)]);
      }
      dst = base;
      detail::BlendRowOverOpaqueScalar(dst.data(), src.data(), 256);
      mismatches += dst != expected;
      dst = base;
      detail::BlendRowOverOpaqueVector(dst.data(), src.data(), 256);
      mismatches += dst != expected;
      row.pixels = base;
      BlendHorizontalLine(row, 0, 0, 256, s);
      for (int d = 0; d < 256; ++d) {
        mismatches += row.pixels[static_cast<std::size_t>(d)] !=
                      ReferenceBlend(base[static_cast<std::size_t>(d)], s);
      }
      if (mismatches != 0) {
        ADD_FAILURE() << "c=" << c << " S=" << sv;
        break;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

// Source laid over one opaque colour (the colour field's hue box under its
// overlay): every c, every S and every colour D in each channel.
TEST(ImageBlend, OverColorPathMatchesTheRuleExhaustively) {
  std::vector<ColorValue> src(256), dst(256);
  Image row = CreateImage(256, 1, 32);
  Image src_image = CreateImage(256, 1, 32);
  int mismatches = 0;
  for (int d = 0; d < 256 && mismatches == 0; ++d) {
    const ColorValue under = Spread(d, 255);
    for (int c = 0; c < 256; ++c) {
      for (int sv = 0; sv < 256; ++sv) src[static_cast<std::size_t>(sv)] = SpreadSource(sv, c);
      detail::BlendRowOverColorVector(dst.data(), src.data(), 256, Spread(d, 0));
      src_image.pixels = src;
      DrawImageOverColor(row, src_image, 0, 0, Spread(d, 0));
      for (std::size_t i = 0; i < 256; ++i) {
        const ColorValue want = ReferenceBlend(under, src[i]);
        mismatches += (dst[i] != want) + (row.pixels[i] != want);
      }
      if (mismatches != 0) {
        ADD_FAILURE() << "D=" << d << " c=" << c;
        break;
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

// A grey overlay over one opaque colour (the 96-DPI colour field): every
// grey and alpha over every value of each channel, 0 and 255 (which are
// read, not computed) among them, drawn at offsets that leave every
// remainder of the vector steps; a pixel that is not grey gives no overlay.
TEST(ImageBlend, GreyOverlayOverColorMatchesTheRuleExhaustively) {
  Image greys = CreateImage(256, 256, 32);  // grey across, alpha down
  for (int a = 0; a < 256; ++a) {
    for (int v = 0; v < 256; ++v)
      greys.pixels[static_cast<std::size_t>(a * 256 + v)] = Rgba(v, v, v, a);
  }
  const GreyOverlay overlay = MakeGreyOverlay(greys);
  ASSERT_EQ(overlay.width, 256);
  Image dst = CreateImage(256, 256, 32);
  int mismatches = 0;
  for (int d = 0; d < 256 && mismatches == 0; ++d) {
    const int shift = d % 17;  // overlay column shift lands on dst column 0
    std::fill(dst.pixels.begin(), dst.pixels.end(), 7u);
    DrawGreyOverlayOverColor(dst, overlay, -shift, 0, Spread(d, 0));
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        const ColorValue want =
            x + shift < 256 ? ReferenceBlend(Spread(d, 255), PixelAt(greys, x + shift, y)) : 7u;
        mismatches += PixelAt(dst, x, y) != want;
      }
    }
    if (mismatches != 0) ADD_FAILURE() << "D=" << d << " shift " << shift;
  }
  EXPECT_EQ(mismatches, 0);
  greys.pixels[300] = Rgba(1, 2, 1, 255);
  EXPECT_EQ(MakeGreyOverlay(greys).width, 0);
}

// Translucent destination (0 < g < 255), where the rule divides by a
// varying denominator: every c and g, with S and D from a set of edge and
// odd values in each channel.
TEST(ImageBlend, TranslucentDestinationMatchesTheRuleForEveryAlphaPair) {
  const int values[] = {0, 1, 2, 48, 127, 128, 129, 200, 254, 255};
  int mismatches = 0;
  for (int c = 0; c < 256; ++c) {
    for (int g = 1; g < 255; ++g) {
      for (int s : values) {
        for (int d : values) {
          const ColorValue src = Rgba(s, 255 - d, d, c);
          const ColorValue dst = Rgba(d, s, 255 - s, g);
          mismatches += BlendPixel(dst, src) != ReferenceBlend(dst, src);
        }
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(ImageBlend, SpecialAlphas) {
  struct Case {
    ColorValue dst, src, want;
  };
  const Case cases[] = {
      // c = 0: the destination stays, whatever its alpha.
      {Rgba(1, 2, 3, 77), Rgba(200, 100, 50, 0), Rgba(1, 2, 3, 77)},
      // g = 0: the source with its own alpha.
      {Rgba(9, 9, 9, 0), Rgba(200, 100, 50, 77), Rgba(200, 100, 50, 77)},
      // c = 255 covers a translucent destination completely.
      {Rgba(9, 9, 9, 100), Rgba(200, 100, 50, 255), Rgba(200, 100, 50, 255)},
      // Half-opaque red over opaque blue: (128*255) div 255 = 128, (127*255) div 255 = 127.
      {Rgba(0, 0, 255, 255), Rgba(255, 0, 0, 128), Rgba(128, 0, 127, 255)},
      // Black alpha 96 over white alpha 128: den 96*255 + 159*128 = 44832;
      // channel 159*255*128 div 44832 = 115, alpha 44832 div 255 = 175.
      {Rgba(255, 255, 255, 128), Rgba(0, 0, 0, 96), Rgba(115, 115, 115, 175)},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(BlendPixel(k.dst, k.src), k.want) << std::hex << k.dst << " " << k.src;
  }
}

// A row whose destination mixes opaque and translucent pixels must not take
// the opaque-only kernel for the whole row.
TEST(ImageBlend, MixedDestinationRowBlendsEachPixelByItsOwnAlpha) {
  Image dst = CreateImage(9, 1, 32);
  Image src = CreateImage(9, 1, 32);
  for (int x = 0; x < 9; ++x) {
    dst.pixels[static_cast<std::size_t>(x)] = Rgba(10 * x, 250 - 20 * x, 77, x == 4 ? 60 : 255);
    src.pixels[static_cast<std::size_t>(x)] = Rgba(240, 5 * x, 13 * x, 30 + 20 * x);
  }
  const std::vector<ColorValue> before = dst.pixels;
  DrawImage(dst, src, 0, 0);
  for (std::size_t x = 0; x < 9; ++x) {
    EXPECT_EQ(dst.pixels[x], ReferenceBlend(before[x], src.pixels[x])) << "x=" << x;
  }
}

// Remainders after the four-pixel steps of the vector kernels.
TEST(ImageBlend, VectorKernelHandlesEveryRowLength) {
  for (int count = 0; count <= 9; ++count) {
    std::vector<ColorValue> dst(10, Rgba(0, 0, 255, 255)), src(10, Rgba(255, 0, 0, 128));
    std::vector<ColorValue> over_color(10, Rgba(9, 9, 9, 9));
    detail::BlendRowOverOpaqueVector(dst.data(), src.data(), count);
    detail::BlendRowOverColorVector(over_color.data(), src.data(), count, Rgba(0, 0, 255, 0));
    for (int i = 0; i < 10; ++i) {
      const ColorValue want = i < count ? Rgba(128, 0, 127, 255) : Rgba(0, 0, 255, 255);
      EXPECT_EQ(dst[static_cast<std::size_t>(i)], want) << "count=" << count << " i=" << i;
      const ColorValue want_over = i < count ? Rgba(128, 0, 127, 255) : Rgba(9, 9, 9, 9);
      EXPECT_EQ(over_color[static_cast<std::size_t>(i)], want_over)
          << "count=" << count << " i=" << i;
    }
  }
}

// The shading of the scaled colour field: the vector kernel against the
// scalar one at every remainder and at the ends of the weight's range, and
// white, black and a channel kept whole at the ends.
TEST(ImageShade, VectorRowMatchesTheScalarRow) {
  std::vector<std::uint16_t> columns(4 * 9);
  std::uint32_t seed = 7;
  for (std::uint16_t& c : columns) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<std::uint16_t>((seed >> 8) % 65281u);
  }
  columns[0] = columns[1] = columns[2] = 65280;  // white
  for (std::uint32_t weight : {0u, 1u, 255u, 32768u, 65535u, 65536u}) {
    for (int count = 0; count <= 9; ++count) {
      std::vector<ColorValue> vector(10, 7), scalar(10, 7);
      ShadeRow(vector.data(), columns.data(), count, weight);
      detail::ShadeRowScalar(scalar.data(), columns.data(), count, weight);
      EXPECT_EQ(vector, scalar) << "weight " << weight << ", count " << count;
      if (count > 0 && weight >= 65535u) {
        EXPECT_EQ(vector[0], Rgba(255, 255, 255, 255));
      }
      if (count > 0 && weight == 0u) {
        EXPECT_EQ(vector[0], Rgba(0, 0, 0, 255));
      }
      EXPECT_EQ(vector[static_cast<std::size_t>(count)], 7u) << "past the row";
    }
  }
  const std::uint16_t red[4] = {200 * 256, 0, 0, 0};
  ColorValue pixel = 0;
  ShadeRow(&pixel, red, 1, 65536);
  EXPECT_EQ(pixel, Rgba(200, 0, 0, 255));
}

TEST(ImageCreate, InitialPixelsAndRejectedSizes) {
  struct Case {
    int width, height, bits;
    bool transparent;
    std::size_t pixels;
    ColorValue first;
  };
  const Case cases[] = {
      {5, 3, 32, false, 15, 0xFF000000u},        // 32-bit: opaque black
      {5, 3, 24, false, 15, 0u},                 // 24-bit: black, alpha byte 0
      {5, 3, 32, true, 15, 0u},                  // transparent: all zero
      {0, 3, 32, false, 0, 0u},                  // no width
      {3, -1, 32, false, 0, 0u},                 // negative height
      {3, 3, 16, false, 0, 0u},                  // unsupported depth
      {kMaxImageSide + 1, 1, 32, false, 0, 0u},  // too wide
      {INT_MAX, INT_MAX, 32, false, 0, 0u},      // would overflow the pixel count
  };
  for (const Case& k : cases) {
    const Image image = k.transparent ? CreateTransparentImage(k.width, k.height)
                                      : CreateImage(k.width, k.height, k.bits);
    ASSERT_EQ(image.pixels.size(), k.pixels) << k.width << "x" << k.height << "x" << k.bits;
    if (k.pixels != 0) {
      for (ColorValue p : image.pixels) EXPECT_EQ(p, k.first);
    } else {
      EXPECT_FALSE(IsDrawable(image));
    }
  }
}

TEST(ImageDraw, AlphaBoxReplacesOnlyTheAlphaByte) {
  Image image = CreateImage(4, 3, 32);
  BlendBox(image, 0, 0, 4, 3, Rgba(10, 20, 30, 255));
  AlphaBox(image, 1, 1, 10, 10, Rgba(99, 99, 99, 40));  // clipped at the right and bottom
  EXPECT_EQ(PixelAt(image, 0, 0), Rgba(10, 20, 30, 255));
  EXPECT_EQ(PixelAt(image, 1, 1), Rgba(10, 20, 30, 40));
  EXPECT_EQ(PixelAt(image, 3, 2), Rgba(10, 20, 30, 40));
  EXPECT_EQ(PixelAt(image, 0, 2), Rgba(10, 20, 30, 255));

  Image rgb = CreateImage(2, 2, 24);
  BlendBox(rgb, 0, 0, 2, 2, Rgba(10, 20, 30, 255));
  AlphaBox(rgb, 0, 0, 2, 2, Rgba(0, 0, 0, 40));  // 24-bit: no alpha to replace
  EXPECT_EQ(PixelAt(rgb, 1, 1), Rgba(10, 20, 30, 0));
}

// Black alpha 96 over opaque white: 159 * 255 div 255 = 159 once,
// 159 * 159 div 255 = 99 if a pixel were blended twice.
TEST(ImageDraw, OutlineBlendsEachBorderPixelOnce) {
  const ColorValue once = Rgba(159, 159, 159, 255);
  const ColorValue white = Rgba(255, 255, 255, 255);
  struct Case {
    int x, y, w, h;
    int px, py;
    ColorValue want;
  };
  const Case cases[] = {
      {1, 1, 5, 4, 1, 1, once},     // top-left corner
      {1, 1, 5, 4, 5, 4, once},     // bottom-right corner
      {1, 1, 5, 4, 5, 1, once},     // top-right corner
      {1, 1, 5, 4, 1, 4, once},     // bottom-left corner
      {1, 1, 5, 4, 3, 1, once},     // top edge
      {1, 1, 5, 4, 1, 2, once},     // left edge
      {1, 1, 5, 4, 3, 2, white},    // inside stays
      {1, 1, 5, 4, 6, 2, white},    // outside stays
      {1, 1, 5, 4, 0, 0, white},    // outside stays
      {2, 2, 1, 3, 2, 3, once},     // one pixel wide
      {2, 2, 3, 1, 3, 2, once},     // one pixel high
      {2, 2, 2, 2, 3, 3, once},     // 2 x 2: all four corners
      {-3, -3, 6, 6, 2, 0, once},   // clipped: right edge still drawn
      {-3, -3, 6, 6, 0, 2, once},   // clipped: bottom edge still drawn
      {-3, -3, 6, 6, 0, 0, white},  // clipped: the inside
  };
  for (const Case& k : cases) {
    Image image = CreateImage(8, 6, 32);
    BlendBox(image, 0, 0, 8, 6, white);
    BlendOutlineBox(image, k.x, k.y, k.w, k.h, Rgba(0, 0, 0, 96));
    EXPECT_EQ(PixelAt(image, k.px, k.py), k.want)
        << "box " << k.x << "," << k.y << "," << k.w << "," << k.h << " at " << k.px << "," << k.py;
  }
}

// An asymmetric red-on-blue source drawn at an offset: each destination
// pixel must come from the right source pixel, with red and blue in place.
TEST(ImageDraw, DrawImagePlacesAndClipsPixels) {
  Image src = CreateImage(3, 2, 32);
  // Row 0: red, translucent red, clear; row 1: blue, green, white.
  src.pixels = {Rgba(255, 0, 0, 255), Rgba(255, 0, 0, 128), Rgba(0, 0, 0, 0),
                Rgba(0, 0, 255, 255), Rgba(0, 255, 0, 255), Rgba(255, 255, 255, 255)};
  struct Case {
    int at_x, at_y;  // where the source goes
    int px, py;      // destination pixel looked at
    ColorValue want;
  };
  const ColorValue blue_bg = Rgba(0, 0, 255, 255);
  const Case cases[] = {
      {1, 1, 1, 1, Rgba(255, 0, 0, 255)},        // source (0, 0)
      {1, 1, 2, 1, Rgba(128, 0, 127, 255)},      // (1, 0): half red over blue
      {1, 1, 3, 1, blue_bg},                     // (2, 0): clear leaves the background
      {1, 1, 1, 2, Rgba(0, 0, 255, 255)},        // (0, 1)
      {1, 1, 2, 2, Rgba(0, 255, 0, 255)},        // (1, 1)
      {1, 1, 0, 0, blue_bg},                     // outside the source
      {-2, -1, 0, 0, Rgba(255, 255, 255, 255)},  // clipped: source (2, 1) lands at (0, 0)
      {3, 2, 3, 3, Rgba(0, 0, 255, 255)},        // clipped at the bottom-right: (0, 1)
      {3, 2, 4, 2, Rgba(128, 0, 127, 255)},      // (1, 0)
  };
  for (const Case& k : cases) {
    Image dst = CreateImage(5, 4, 32);
    BlendBox(dst, 0, 0, 5, 4, blue_bg);
    DrawImage(dst, src, k.at_x, k.at_y);
    EXPECT_EQ(PixelAt(dst, k.px, k.py), k.want)
        << "at " << k.at_x << "," << k.at_y << " pixel " << k.px << "," << k.py;
  }
}

TEST(ImageDraw, DepthCombinations) {
  Image rgb_src = CreateImage(2, 1, 24);
  rgb_src.pixels = {Rgba(255, 0, 0, 0), Rgba(0, 0, 255, 0)};
  Image argb_src = CreateImage(1, 1, 32);
  argb_src.pixels = {Rgba(255, 0, 0, 128)};

  // 24 onto 24: a copy, alpha byte stays 0.
  Image rgb = CreateImage(2, 1, 24);
  DrawImage(rgb, rgb_src, 0, 0);
  EXPECT_EQ(rgb.pixels, rgb_src.pixels);

  // 24 onto 32: the source counts as opaque.
  Image argb = CreateTransparentImage(2, 1);
  DrawImage(argb, rgb_src, 0, 0);
  EXPECT_EQ(argb.pixels[0], Rgba(255, 0, 0, 255));
  EXPECT_EQ(argb.pixels[1], Rgba(0, 0, 255, 255));

  // 32 onto 24: blended as over an opaque pixel, alpha byte kept 0.
  Image rgb_blue = CreateImage(1, 1, 24);
  BlendBox(rgb_blue, 0, 0, 1, 1, Rgba(0, 0, 255, 255));
  EXPECT_EQ(rgb_blue.pixels[0], Rgba(0, 0, 255, 0));
  DrawImage(rgb_blue, argb_src, 0, 0);
  EXPECT_EQ(rgb_blue.pixels[0], Rgba(128, 0, 127, 0));

  // A translucent box onto 24 bits: the same.
  BlendBox(rgb_blue, 0, 0, 1, 1, Rgba(0, 0, 0, 96));
  EXPECT_EQ(rgb_blue.pixels[0], Rgba(128 * 159 / 255, 0, 127 * 159 / 255, 0));
}

// Hostile geometry and inconsistent images: nothing is drawn outside the
// pixels, nothing crashes.
TEST(ImageDraw, HostileGeometryIsClippedOrIgnored) {
  Image image = CreateImage(4, 4, 32);
  const ColorValue red = Rgba(255, 0, 0, 255);
  BlendBox(image, INT_MAX, INT_MAX, INT_MAX, INT_MAX, red);
  BlendBox(image, INT_MIN, INT_MIN, INT_MAX, INT_MAX, red);
  BlendBox(image, 1, 1, -5, 2, red);
  BlendOutlineBox(image, INT_MAX, 0, INT_MAX, INT_MAX, red);
  BlendOutlineBox(image, INT_MIN, INT_MIN, INT_MAX, INT_MAX, red);
  AlphaBox(image, INT_MIN, 0, INT_MAX, 2, 0);
  for (ColorValue p : image.pixels) EXPECT_EQ(p & 0xFFFFFFu, 0u);

  Image broken;  // says 4 x 4 but holds 3 pixels
  broken.width = 4;
  broken.height = 4;
  broken.pixels = {red, red, red};
  EXPECT_FALSE(IsDrawable(broken));
  BlendBox(broken, 0, 0, 4, 4, Rgba(0, 255, 0, 255));
  DrawImage(image, broken, 0, 0);
  DrawImage(broken, image, 0, 0);
  EXPECT_EQ(broken.pixels, (std::vector<ColorValue>{red, red, red}));
  EXPECT_EQ(PixelAt(broken, 0, 0), 0u);
  EXPECT_EQ(PixelAt(image, 4, 0), 0u);
  EXPECT_EQ(PixelAt(image, -1, 0), 0u);
  for (ColorValue p : image.pixels) EXPECT_EQ(p & 0xFFFFFFu, 0u);
}

}  // namespace
}  // namespace tintra
