// The dialog's images and refresh stages, checked pixel by pixel against
// values of the drawing rules computed by hand (field colours, marker greys,
// hue-bar entries, outline and checkerboard blends).
#include "picker/render.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "tests/rgba.h"

namespace tintra {
namespace {

constexpr ColorValue Opaque(int r, int g, int b) {
  return Rgba(r, g, b, 255);
}
constexpr ColorValue Grey(int v) {
  return Opaque(v, v, v);
}

// One pixel blended in, for the test images.
void BlendPlot(Image& image, int x, int y, ColorValue color) {
  BlendBox(image, x, y, 1, 1, color);
}

const ColorValue kBackground = Rgba(200, 100, 50, 0);  // alpha ignored: drawn opaque
// Black of alpha 96 once over the background: 159 * channel div 255.
const ColorValue kOutlined = Opaque(124, 62, 31);

// Images built for one alpha flag, with plain stand-ins for the three
// overlays that come from the program's icons: no field marker and no
// arrows unless a test puts one in.
struct Fixture {
  std::unique_ptr<DialogImages> images = std::make_unique<DialogImages>();
  PickerState state;
  explicit Fixture(int alpha_flag) {
    BuildDialogImages(*images, alpha_flag);
    images->field_marker = Image{};
    images->store_arrow = Image{};
    images->restore_arrow = Image{};
    state.alpha_flag = alpha_flag != 0 ? 1 : 0;
    // Away from every pixel the tests look at unless they move it.
    state.field_x = 128;
    state.field_y = 128;
    state.marker_row = 160;
    state.current = Opaque(128, 128, 128);
    state.stored = state.current;
  }
  ColorValue Canvas(int x, int y) const { return PixelAt(images->canvas, x, y); }
  void DrawCanvas() { RunCanvasStage(state, *images, kBackground); }
};

TEST(RenderImages, SizesFollowTheAlphaFlag) {
  struct Case {
    int alpha_flag;
    int canvas_height, bar_height;
    bool alpha_images;
  };
  const Case cases[] = {
      {0, 346, 322, false},
      {1, 368, 344, true},
      {2, 368, 344, true},  // any non-zero flag counts as 1
  };
  for (const Case& k : cases) {
    DialogImages images;
    BuildDialogImages(images, k.alpha_flag);
    SCOPED_TRACE(k.alpha_flag);
    EXPECT_EQ(images.alpha_flag, k.alpha_flag != 0 ? 1 : 0);
    EXPECT_EQ(images.canvas.width, 372);
    EXPECT_EQ(images.canvas.height, k.canvas_height);
    EXPECT_EQ(images.hue_bar.width, 20);
    EXPECT_EQ(images.hue_bar.height, k.bar_height);
    EXPECT_EQ(IsDrawable(images.alpha_strip), k.alpha_images);
    EXPECT_EQ(IsDrawable(images.swatch_checkerboard), k.alpha_images);
    if (k.alpha_images) {
      EXPECT_EQ(images.swatch_checkerboard.width, 48);
      EXPECT_EQ(images.swatch_checkerboard.height, 64);
    }
    // The canvas starts fully transparent.
    for (ColorValue p : images.canvas.pixels) ASSERT_EQ(AlphaOf(p), 0);
  }
}

TEST(RenderImages, FieldOverlayEdges) {
  DialogImages images;
  BuildDialogImages(images, 0);
  const Image& overlay = images.field_overlay;
  ASSERT_EQ(overlay.width, 256);
  ASSERT_EQ(overlay.height, 256);
  EXPECT_EQ(PixelAt(overlay, 0, 0), Grey(255));     // left column white
  EXPECT_EQ(AlphaOf(PixelAt(overlay, 255, 0)), 0);  // top-right corner clear
  for (int x : {0, 1, 128, 254, 255}) {
    EXPECT_EQ(PixelAt(overlay, x, 255), Grey(0)) << x;  // bottom row black
  }
}

TEST(RenderImages, MarkerGreysByRowAndColumn) {
  const int strip[16] = {0, 63, 118, 163, 199, 227, 245, 254, 254, 245, 227, 199, 163, 118, 63, 0};
  const int hue[26] = {0,   39,  75,  108, 137, 163, 186, 206, 222, 235, 245, 251, 255,
                       255, 251, 245, 235, 222, 206, 186, 163, 137, 108, 75,  39,  0};
  DialogImages images;
  BuildDialogImages(images, 0);
  ASSERT_EQ(images.strip_marker.width, 3);
  ASSERT_EQ(images.strip_marker.height, 16);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(PixelAt(images.strip_marker, 0, i), Grey(strip[i])) << "row " << i;
    EXPECT_EQ(PixelAt(images.strip_marker, 2, i), Grey(strip[i])) << "row " << i;
    EXPECT_EQ(AlphaOf(PixelAt(images.strip_marker, 1, i)), 0) << "row " << i;
  }
  ASSERT_EQ(images.hue_marker.width, 26);
  ASSERT_EQ(images.hue_marker.height, 3);
  for (int i = 0; i < 26; ++i) {
    EXPECT_EQ(PixelAt(images.hue_marker, i, 0), Grey(hue[i])) << "column " << i;
    EXPECT_EQ(PixelAt(images.hue_marker, i, 2), Grey(hue[i])) << "column " << i;
    EXPECT_EQ(AlphaOf(PixelAt(images.hue_marker, i, 1)), 0) << "column " << i;
  }
}

TEST(RenderImages, PresetSwatchIs24BitFill) {
  const Image swatch = MakePresetSwatch(Rgba(255, 128, 0, 0x7F));
  ASSERT_EQ(swatch.width, 16);
  ASSERT_EQ(swatch.height, 16);
  EXPECT_EQ(swatch.bits, 24);
  ASSERT_EQ(swatch.pixels.size(), 256u);
  for (ColorValue p : swatch.pixels) EXPECT_EQ(p, 0x000080FFu);
}

// The field pixel at a position, read back during a field drag (24 colour
// bits, the current alpha kept) and seen on the canvas.
TEST(RenderCanvas, FieldPixelsAtPositionsComputedByHand) {
  struct Case {
    ColorValue hue;
    int x, y;
    ColorValue want;  // opaque
  };
  const Case cases[] = {
      {Rgba(255, 0, 0, 0), 128, 64, Opaque(190, 94, 94)},
      {Rgba(0, 128, 255, 0), 200, 100, Opaque(32, 94, 154)},
      {Rgba(255, 255, 0, 0), 1, 1, Opaque(253, 253, 252)},
      {Rgba(0, 128, 255, 0), 0, 100, Grey(155)},  // left column: grey 255 - y
      {Rgba(255, 0, 255, 0), 0, 0, Grey(255)},
      {Rgba(0, 255, 0, 0), 0, 255, Grey(0)},
      {Rgba(255, 0, 0, 0), 77, 255, Grey(0)},               // bottom row black
      {Rgba(0, 128, 255, 0), 255, 0, Opaque(0, 128, 255)},  // top-right: the hue itself
      {Rgba(255, 0, 128, 0), 255, 0, Opaque(255, 0, 128)},
  };
  for (const Case& k : cases) {
    Fixture f(0);
    f.state.hue = k.hue;
    f.state.field_x = k.x;
    f.state.field_y = k.y;
    f.state.drag = Drag::kField;
    f.state.current = Rgba(1, 2, 3, 0x80);
    f.DrawCanvas();
    EXPECT_EQ(f.state.current, (k.want & 0xFFFFFFu) | 0x80000000u)
        << std::hex << k.hue << std::dec << " at " << k.x << "," << k.y;
    EXPECT_EQ(f.Canvas(44 + k.x, 12 + k.y), k.want) << k.x << "," << k.y;
  }
}

TEST(RenderCanvas, ReadBackOnlyDuringFieldOrHueBarDrag) {
  struct Case {
    Drag drag;
    bool reads;
  };
  const Case cases[] = {
      {Drag::kNone, false},   // idle: the colour stays
      {Drag::kField, true},   // field drag: the pixel under the marker
      {Drag::kHueBar, true},  // hue-bar drag: same pixel, under the new hue
      {Drag::kRed, false},    // strip drags set the colour themselves
      {Drag::kAlpha, false},  // likewise
  };
  for (const Case& k : cases) {
    Fixture f(1);
    f.state.hue = Rgba(255, 0, 0, 0);
    f.state.field_x = 128;
    f.state.field_y = 64;
    f.state.current = Rgba(10, 20, 30, 40);
    f.state.drag = k.drag;
    f.DrawCanvas();
    EXPECT_EQ(f.state.current, k.reads ? Rgba(190, 94, 94, 40) : Rgba(10, 20, 30, 40))
        << static_cast<int>(k.drag);
  }
}

// Red on row 0 of the bar: hue red is entry 1530, the first match from
// 765, so offset 766; (0, 128, 255) is entry 2040 + 128, offset 1404.
TEST(RenderHueBar, RowsShowTheTableAroundTheHue) {
  struct Case {
    int alpha_flag;
    ColorValue hue;
    int offset, marker_row;
    ColorValue top, marker, bottom;  // entries o, o + 765, o + 1530
  };
  const Case cases[] = {
      {0, Rgba(255, 0, 0, 0), 766, 160, Opaque(0, 255, 254), Opaque(255, 0, 1),
       Opaque(0, 255, 254)},
      {1, Rgba(255, 0, 0, 0), 766, 171, Opaque(0, 255, 254), Opaque(255, 0, 1),
       Opaque(0, 255, 254)},
      {0, Rgba(0, 128, 255, 0), 1404, 160, Opaque(255, 126, 0), Opaque(0, 129, 255),
       Opaque(255, 126, 0)},
      {1, Rgba(0, 128, 255, 0), 1404, 171, Opaque(255, 126, 0), Opaque(0, 129, 255),
       Opaque(255, 126, 0)},
  };
  for (const Case& k : cases) {
    Fixture f(k.alpha_flag);
    f.state.hue = k.hue;
    f.state.marker_row = 3;
    RunHueBarStage(f.state, *f.images);
    SCOPED_TRACE(testing::Message() << std::hex << k.hue << " alpha " << k.alpha_flag);
    EXPECT_EQ(f.state.hue_offset, k.offset);
    EXPECT_EQ(f.state.marker_row, k.marker_row);
    const Image& bar = f.images->hue_bar;
    for (int x : {0, 19}) {
      EXPECT_EQ(PixelAt(bar, x, 0), k.top);
      EXPECT_EQ(PixelAt(bar, x, k.marker_row), k.marker);
      EXPECT_EQ(PixelAt(bar, x, bar.height - 1), k.bottom);
    }
    // On the canvas: the bar at (12, 12), the hue marker's rows above and
    // below the marker row, its clear middle row showing the bar.
    f.DrawCanvas();
    EXPECT_EQ(f.Canvas(12, 12), k.top);
    EXPECT_EQ(f.Canvas(21, 12 + k.marker_row), k.marker);
    EXPECT_EQ(f.Canvas(21, 11 + k.marker_row), Grey(255));  // marker column 12
    EXPECT_EQ(f.Canvas(9, 11 + k.marker_row), Grey(0));     // column 0
    EXPECT_EQ(f.Canvas(10, 13 + k.marker_row), Grey(39));   // column 1, row 2
    EXPECT_EQ(f.Canvas(34, 13 + k.marker_row), Grey(0));    // column 25
  }
}

TEST(RenderHueBar, DragReadsTheBarWithoutRedrawing) {
  Fixture f(0);
  f.state.hue = Rgba(255, 0, 0, 0);
  RunHueBarStage(f.state, *f.images);
  Image& bar = f.images->hue_bar;
  bar.pixels[5 * 20] = Rgba(1, 2, 3, 255);  // pixel (0, 5)
  const std::vector<ColorValue> before = bar.pixels;
  f.state.drag = Drag::kHueBar;
  f.state.marker_row = 5;
  RunHueBarStage(f.state, *f.images);
  EXPECT_EQ(f.state.hue, Rgba(1, 2, 3, 0));
  EXPECT_EQ(f.state.marker_row, 5);
  EXPECT_EQ(f.state.hue_offset, 766);
  EXPECT_EQ(bar.pixels, before);
}

TEST(RenderCanvas, StripsAndTheirMarkers) {
  Fixture f(1);
  f.state.current = Rgba(0, 255, 0, 255);  // red 0, green 255, blue 0, alpha 255
  f.DrawCanvas();
  struct Case {
    int x, y;
    ColorValue want;
  };
  const Case cases[] = {
      {244, 285, Opaque(200, 0, 0)},  // red strip column 200
      {244, 307, Opaque(0, 200, 0)},  // green strip
      {244, 329, Opaque(0, 0, 200)},  // blue strip
      {44 + 255, 285, Opaque(255, 0, 0)},
      // Red 0: the marker's clear centre column on x 44, its sides on 43 and 45.
      {43, 278, Grey(63)},
      {45, 278, Grey(63)},
      {44, 278, Opaque(200, 100, 50)},
      {43, 280, Grey(163)},        // marker row 3 over the strip
      {44, 280, Opaque(0, 0, 0)},  // strip column 0 through the clear centre
      {43, 292, Grey(0)},          // marker row 15
      // Green 255: the centre column on x 299.
      {298, 300, Grey(63)},
      {300, 300, Grey(63)},
      {299, 300, Opaque(200, 100, 50)},
      {299, 302, Opaque(0, 255, 0)},
      // Blue 0 and alpha 255.
      {45, 322, Grey(63)},
      {300, 344, Grey(63)},
      {299, 344, Opaque(200, 100, 50)},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(f.Canvas(k.x, k.y), k.want) << k.x << "," << k.y;
  }
}

// Alpha strip: grey 128 of alpha i over checks of 48 and 208:
// column 100 over dark (100*128 + 155*48) div 255 = 79, over light 176.
TEST(RenderCanvas, AlphaStripOverCheckerboard) {
  Fixture f(1);
  f.DrawCanvas();
  struct Case {
    int column, row;
    int grey;
  };
  const Case cases[] = {
      {0, 0, 48},     // alpha 0: the dark check alone
      {0, 5, 208},    // bottom-left quarter of the first cell: light
      {5, 0, 206},    // top-right, light: (5*128 + 250*208) div 255
      {5, 5, 49},     // bottom-right, dark: (5*128 + 250*48) div 255
      {100, 0, 79},   // cell at 100, top-left
      {100, 5, 176},  // cell at 100, bottom-left
      {105, 0, 175},  // top-right: (105*128 + 150*208) div 255
      {255, 9, 128},  // alpha 255: the grey alone
  };
  for (const Case& k : cases) {
    EXPECT_EQ(f.Canvas(44 + k.column, 346 + k.row), Grey(k.grey)) << k.column << "," << k.row;
  }
}

TEST(RenderCanvas, OutlinesBlendBlackAlpha96OverTheBackground) {
  struct Case {
    int alpha_flag;
    int x, y;
    ColorValue want;
  };
  const Case cases[] = {
      {0, 43, 11, kOutlined},              // field outline, top-left corner
      {0, 300, 268, kOutlined},            // field outline, bottom-right corner
      {0, 44, 12, Grey(255)},              // inside: field (0, 0) white
      {0, 11, 11, kOutlined},              // hue-bar outline, top-left
      {0, 32, 334, kOutlined},             // hue-bar outline, bottom-right
      {0, 32, 335, Opaque(200, 100, 50)},  // below it: background
      {1, 32, 356, kOutlined},             // hue-bar outline 22 taller with alpha
      {0, 311, 11, kOutlined},             // around both swatches, top-left
      {0, 360, 76, kOutlined},             // around both swatches, bottom-right
      {0, 361, 76, Opaque(200, 100, 50)},  // right of it: background
      {0, 43, 279, kOutlined},             // red strip outline
      {0, 300, 290, kOutlined},            // red strip outline, bottom-right
      {0, 100, 301, kOutlined},            // green strip outline, top edge
      {0, 100, 334, kOutlined},            // blue strip outline, bottom edge
      {0, 43, 345, Opaque(200, 100, 50)},  // no alpha strip outline without alpha
      {1, 43, 345, kOutlined},             // alpha strip outline, top-left
      {1, 43, 356, kOutlined},             // alpha strip outline, bottom-left
  };
  for (const Case& k : cases) {
    Fixture f(k.alpha_flag);
    f.DrawCanvas();
    EXPECT_EQ(f.Canvas(k.x, k.y), k.want) << k.alpha_flag << ": " << k.x << "," << k.y;
  }
}

// Half-opaque red over the dark check: (128*255 + 127*48) div 255 = 151,
// 127*48 div 255 = 23; over the light check 231 and 103.
TEST(RenderCanvas, CheckerboardShowsThroughTranslucentSwatchesOnlyWithAlpha) {
  struct Case {
    int alpha_flag;
    int x, y;
    ColorValue want;
  };
  const Case cases[] = {
      {1, 312, 12, Opaque(151, 23, 23)},    // upper: current over a dark check
      {1, 318, 12, Opaque(231, 103, 103)},  // over a light check
      {1, 312, 44, Grey(208)},              // lower: stored of alpha 0, bottom-left of a cell
      {1, 318, 44, Grey(48)},
      {0, 312, 12, Opaque(255, 0, 0)},  // no alpha: opaque whatever the alpha byte
      {0, 318, 12, Opaque(255, 0, 0)},
      {0, 312, 44, Opaque(0, 0, 255)},
      {0, 359, 75, Opaque(0, 0, 255)},
  };
  for (const Case& k : cases) {
    Fixture f(k.alpha_flag);
    f.state.current = Rgba(255, 0, 0, 128);
    f.state.stored = Rgba(0, 0, 255, 0);
    f.DrawCanvas();
    EXPECT_EQ(f.Canvas(k.x, k.y), k.want) << k.alpha_flag << ": " << k.x << "," << k.y;
  }
}

TEST(RenderCanvas, HoverArrowAndFieldMarkerOverlays) {
  Image store = CreateImage(24, 24, 32);
  BlendBox(store, 0, 0, 24, 24, Opaque(255, 0, 0));
  BlendPlot(store, 23, 0, Opaque(0, 255, 0));
  Image restore = CreateImage(24, 24, 32);
  BlendBox(restore, 0, 0, 24, 24, Opaque(0, 0, 255));
  Image marker = CreateTransparentImage(15, 15);
  BlendPlot(marker, 7, 7, Opaque(255, 0, 255));
  BlendPlot(marker, 0, 1, Opaque(0, 255, 255));

  struct Case {
    Hover hover;
    int x, y;
    ColorValue want;
  };
  const ColorValue swatch = Opaque(1, 2, 3);
  const Case cases[] = {
      {Hover::kUpper, 324, 32, Opaque(255, 0, 0)},  // store arrow over the upper swatch
      {Hover::kUpper, 347, 32, Opaque(0, 255, 0)},  // its top-right pixel
      {Hover::kUpper, 347, 55, Opaque(255, 0, 0)},
      {Hover::kLower, 324, 32, Opaque(0, 0, 255)},  // restore arrow
      {Hover::kNone, 324, 32, swatch},
      {Hover::kNone, 324, 44, swatch},
  };
  for (const Case& k : cases) {
    Fixture f(0);
    f.images->store_arrow = store;
    f.images->restore_arrow = restore;
    f.images->field_marker = marker;
    f.state.current = swatch;
    f.state.stored = swatch;
    f.state.hover = k.hover;
    f.state.field_x = 10;
    f.state.field_y = 20;
    f.DrawCanvas();
    EXPECT_EQ(f.Canvas(k.x, k.y), k.want) << static_cast<int>(k.hover) << ": " << k.x << "," << k.y;
    // The marker is centred on the field position, over the read-back.
    EXPECT_EQ(f.Canvas(44 + 10, 12 + 20), Opaque(255, 0, 255));
    EXPECT_EQ(f.Canvas(37 + 10, 5 + 20 + 1), Opaque(0, 255, 255));
  }
}

// The marker is drawn after the read-back: the colour picked is the field's.
TEST(RenderCanvas, ReadBackIgnoresTheFieldMarker) {
  Fixture f(0);
  Image marker = CreateTransparentImage(15, 15);
  BlendPlot(marker, 7, 7, Opaque(255, 0, 255));
  f.images->field_marker = marker;
  f.state.hue = Rgba(255, 0, 0, 0);
  f.state.field_x = 128;
  f.state.field_y = 64;
  f.state.current = Rgba(0, 0, 0, 7);
  f.state.drag = Drag::kField;
  f.DrawCanvas();
  EXPECT_EQ(f.state.current, Rgba(190, 94, 94, 7));
  EXPECT_EQ(f.Canvas(44 + 128, 12 + 64), Opaque(255, 0, 255));
}

TEST(RenderStages, OutOfRangePositionsAreBroughtIntoTheImages) {
  struct Case {
    int alpha_flag;
    Drag drag;
    int field_x, field_y, marker_row;
    int want_x, want_y, want_row;
  };
  const Case cases[] = {
      {0, Drag::kHueBar, -5, 999, -10, 0, 255, 0},
      {0, Drag::kHueBar, 256, -1, 322, 255, 0, 321},
      {1, Drag::kHueBar, 100, 100, 5000, 100, 100, 343},
      // No drag: the bar is redrawn from a kept (out-of-range) offset, as a
      // grey hue is no pure hue; the marker returns to the middle row.
      {1, Drag::kNone, 300, 300, 5000, 255, 255, 171},
  };
  for (const Case& k : cases) {
    Fixture f(k.alpha_flag);
    f.state.field_x = k.field_x;
    f.state.field_y = k.field_y;
    f.state.marker_row = k.marker_row;
    f.state.drag = k.drag;
    f.state.hue = Rgba(9, 9, 9, 0);
    f.state.hue_offset = 99999;
    RunHueBarStage(f.state, *f.images);
    RunCanvasStage(f.state, *f.images, kBackground);
    EXPECT_EQ(f.state.field_x, k.want_x);
    EXPECT_EQ(f.state.field_y, k.want_y);
    EXPECT_EQ(f.state.marker_row, k.want_row);
    EXPECT_LE(f.state.hue_offset, 1530);
  }
}

TEST(RenderStages, EachStageRunsOnlyWhenFlaggedAndClearsItsFlag) {
  // Opening: all three flags; white derives the default hue at the top-left.
  Fixture f(0);
  f.state.current = Rgba(255, 255, 255, 0);
  f.state.hue = Rgba(9, 9, 9, 0);
  f.state.flags = {true, true, true, false};
  RunRefreshStages(f.state, *f.images, kBackground);
  EXPECT_EQ(f.state.hue, Rgba(0, 162, 255, 0));
  EXPECT_EQ(f.state.field_x, 0);
  EXPECT_EQ(f.state.field_y, 0);
  EXPECT_EQ(f.state.marker_row, 160);
  EXPECT_FALSE(f.state.flags.rederive);
  EXPECT_FALSE(f.state.flags.hue_bar);
  EXPECT_FALSE(f.state.flags.canvas);
  EXPECT_TRUE(f.state.flags.paint);
  EXPECT_EQ(f.Canvas(44 + 255, 12), Opaque(0, 162, 255));

  // Canvas only: the colour changed but is not re-derived, the bar stays.
  Fixture g(0);
  g.state.current = Rgba(255, 0, 0, 0);
  g.state.hue = Rgba(0, 255, 0, 0);
  g.state.flags = {false, false, true, false};
  RunRefreshStages(g.state, *g.images, kBackground);
  EXPECT_EQ(g.state.hue, Rgba(0, 255, 0, 0));
  EXPECT_EQ(PixelAt(g.images->hue_bar, 0, 0), Opaque(0, 0, 0));  // never drawn
  EXPECT_EQ(g.Canvas(44 + 255, 12), Opaque(0, 255, 0));
  EXPECT_TRUE(g.state.flags.paint);

  // Nothing flagged: nothing drawn.
  Fixture h(0);
  RunRefreshStages(h.state, *h.images, kBackground);
  EXPECT_FALSE(h.state.flags.paint);
  EXPECT_EQ(AlphaOf(h.Canvas(100, 100)), 0);
}

// The canvas stage redraws only what changed since the last one; after any
// run of changes its canvas must equal one drawn afresh in the drawing
// order. Overlays with translucent pixels make leftovers visible.
TEST(RenderCanvas, RetainedRedrawMatchesTheFullDrawing) {
  Image marker = CreateTransparentImage(15, 15);
  BlendOutlineBox(marker, 0, 0, 15, 15, Rgba(0, 0, 0, 200));
  BlendOutlineBox(marker, 2, 2, 11, 11, Rgba(255, 255, 255, 90));
  Image store = CreateTransparentImage(24, 24);
  BlendBox(store, 3, 0, 10, 20, Rgba(40, 0, 90, 150));
  Image restore = CreateTransparentImage(24, 24);
  BlendBox(restore, 0, 4, 24, 6, Rgba(0, 90, 40, 255));
  Image large_arrow = CreateImage(40, 44, 32);  // past the swatches, under their outline

  for (int alpha_flag : {0, 1}) {
    Fixture retained(alpha_flag);
    Fixture full(alpha_flag);
    for (Fixture* f : {&retained, &full}) {
      f->images->field_marker = marker;
      f->images->store_arrow = store;
      f->images->restore_arrow = restore;
    }
    std::uint32_t seed = 12345;
    auto next = [&seed](int range) {
      seed = seed * 1103515245u + 12345u;
      return static_cast<int>((seed >> 16) % static_cast<std::uint32_t>(range));
    };
    ColorValue background = kBackground;
    for (int step = 0; step < 60; ++step) {
      PickerState& s = retained.state;
      // A hue-bar drag often ends right away: the bar is then redrawn
      // around the same hue.
      const int change = s.drag == Drag::kHueBar && next(2) == 0 ? 7 : next(9);
      switch (change) {
        case 0:  // field drag
          s.drag = Drag::kField;
          s.field_x = next(256);
          s.field_y = next(256);
          break;
        case 1:  // hover changes
          s.drag = Drag::kNone;
          s.hover = static_cast<Hover>(next(3));
          break;
        case 2:  // a new colour, re-derived, bar redrawn
          s.drag = Drag::kNone;
          s.current = Rgba(next(256), next(256), next(256), next(256));
          s.flags = {true, true, true, false};
          break;
        case 3:  // hue-bar drag
          s.drag = Drag::kHueBar;
          s.marker_row = next(322);
          s.flags = {false, true, true, false};
          break;
        case 4:  // stored colour
          s.stored = Rgba(next(256), next(256), next(256), next(256));
          break;
        case 5:  // the window colour changes
          background = Rgba(next(256), next(256), next(256), 0);
          break;
        case 6:  // a strip drag
          s.drag = Drag::kGreen;
          s.current = ReplaceChannel(s.current, Channel::kGreen, next(256));
          s.flags = {true, true, true, false};
          break;
        case 7:  // a drag ends
          s.flags.hue_bar = s.drag == Drag::kHueBar;
          s.drag = Drag::kNone;
          break;
        default: {  // an oversized arrow for a while
          const Image& arrow = next(2) == 0 ? large_arrow : store;
          retained.images->store_arrow = arrow;
          full.images->store_arrow = arrow;
          s.hover = Hover::kUpper;
          break;
        }
      }
      full.state = s;
      s.flags.canvas = true;
      full.state.flags.canvas = true;
      if (s.flags.rederive) {
        RunRederiveStage(s);
        RunRederiveStage(full.state);
      }
      if (s.flags.hue_bar) {
        RunHueBarStage(s, *retained.images);
        RunHueBarStage(full.state, *full.images);
      }
      s.flags = {};
      full.state.flags = {};
      RunCanvasStage(s, *retained.images, background);
      RunCanvasStageFull(full.state, *full.images, background);
      ASSERT_EQ(s.current, full.state.current) << "step " << step;
      ASSERT_EQ(s.hue, full.state.hue) << "step " << step;
      ASSERT_TRUE(retained.images->canvas.pixels == full.images->canvas.pixels)
          << "alpha " << alpha_flag << " step " << step;
    }
  }
}

// Areas no stage paints (right of the field, below the swatches) stay
// clear and show the window colour; translucent pixels blend over it.
TEST(RenderComposite, CanvasOverTheWindowColor) {
  Fixture f(0);
  f.state.hue = Rgba(255, 0, 0, 0);
  f.DrawCanvas();
  EXPECT_EQ(AlphaOf(f.Canvas(340, 150)), 0);
  f.images->canvas.pixels[150 * 372 + 341] = Rgba(255, 0, 0, 128);
  const std::vector<ColorValue> screen = CompositeOver(f.images->canvas, Rgba(10, 20, 30, 0));
  ASSERT_EQ(screen.size(), 372u * 346u);
  EXPECT_EQ(screen[150 * 372 + 340], Opaque(10, 20, 30));
  // (128*255 + 127*10) div 255 = 132, 127*20 div 255 = 9, 127*30 div 255 = 14.
  EXPECT_EQ(screen[150 * 372 + 341], Opaque(132, 9, 14));
  EXPECT_EQ(screen[(12 + 64) * 372 + 44 + 128], Opaque(190, 94, 94));

  std::vector<ColorValue> reused(3, 0);
  CompositeOver(Image{}, Rgba(10, 20, 30, 0), reused);
  EXPECT_TRUE(reused.empty());
}

}  // namespace
}  // namespace tintra
