#include "picker/render.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "picker/embedded_images.h"

namespace tintra {
namespace {

constexpr ColorValue kOpaque = 0xFF000000u;
constexpr ColorValue kColorMask = 0x00FFFFFFu;
constexpr ColorValue kDarkCheck = 0xFF303030u;   // grey 48
constexpr ColorValue kLightCheck = 0xFFD0D0D0u;  // grey 208
constexpr ColorValue kOutline = 0x60000000u;     // black, alpha 96

constexpr int kStripWidth = 256;
constexpr int kStripHeight = 10;
constexpr int kStripLeft = 44;
constexpr int kStripTop[4] = {280, 302, 324, 346};  // red, green, blue, alpha
constexpr int kSwatchLeft = 312;
constexpr int kUpperSwatchTop = 12;
constexpr int kLowerSwatchTop = 44;
constexpr int kSwatchWidth = 48;
constexpr int kSwatchHeight = 32;

// Nearest integer, halves to the even neighbour, whatever the FPU's
// rounding mode.
int RoundHalfEven(double x) {
  const double floor = std::floor(x);
  const double fraction = x - floor;
  int result = static_cast<int>(floor);
  if (fraction > 0.5 || (fraction == 0.5 && (result % 2) != 0)) ++result;
  return result;
}

int HueBarHeight(int alpha_flag) {
  return kHueBarBaseHeight + 22 * alpha_flag;
}

// Keeps every position that indexes an image within that image, whatever a
// lost pointer confinement let through: field 0..255, marker row within
// the bar.
void ClampPositions(PickerState& state, const DialogImages& images) {
  state.field_x = std::clamp(state.field_x, 0, kFieldSize - 1);
  state.field_y = std::clamp(state.field_y, 0, kFieldSize - 1);
  state.marker_row = std::clamp(state.marker_row, 0, HueBarHeight(images.alpha_flag) - 1);
  state.hue_offset = std::clamp(state.hue_offset, 0, kHueCycle);
}

Image MakeStrip(int shift) {
  Image strip = CreateImage(kStripWidth, kStripHeight, 32);
  for (int i = 0; i < kStripWidth; ++i) {
    BlendVerticalLine(strip, i, 0, kStripHeight, kOpaque | (static_cast<ColorValue>(i) << shift));
  }
  return strip;
}

Image MakeFieldOverlay() {
  Image overlay = CreateImage(kFieldSize, kFieldSize, 32);
  AlphaBox(overlay, 0, 0, kFieldSize, kFieldSize, 0);
  // Per pixel: white of alpha 255 - x, then black of alpha y. Pixels are
  // independent, so all the white goes first.
  for (int x = 0; x < kFieldSize; ++x) {
    BlendVerticalLine(overlay, x, 0, kFieldSize, ComposeColor(255, 255, 255, 255 - x));
  }
  for (int y = 0; y < kFieldSize; ++y) {
    BlendHorizontalLine(overlay, 0, y, kFieldSize, ComposeColor(0, 0, 0, y));
  }
  return overlay;
}

Image MakeAlphaStrip() {
  Image strip = CreateImage(kStripWidth, kStripHeight, 32);
  for (int x = 0; x < kStripWidth; x += 10) {
    BlendBox(strip, x, 0, 5, 5, kDarkCheck);
    BlendBox(strip, x + 5, 5, 5, 5, kDarkCheck);
    BlendBox(strip, x + 5, 0, 5, 5, kLightCheck);
    BlendBox(strip, x, 5, 5, 5, kLightCheck);
  }
  for (int i = 0; i < kStripWidth; ++i) {
    BlendVerticalLine(strip, i, 0, kStripHeight, ComposeColor(128, 128, 128, i));
  }
  return strip;
}

Image MakeSwatchCheckerboard() {
  Image board = CreateTransparentImage(48, 64);
  for (int y = 0; y <= 60; y += 12) {
    for (int x = 0; x <= 48; x += 12) {
      BlendBox(board, x, y, 6, 6, kDarkCheck);
      BlendBox(board, x + 6, y + 6, 6, 6, kDarkCheck);
      BlendBox(board, x + 6, y, 6, 6, kLightCheck);
      BlendBox(board, x, y + 6, 6, 6, kLightCheck);
    }
  }
  return board;
}

ColorValue OpaqueGrey(int v) {
  return ComposeColor(v, v, v, 255);
}

Image MakeStripMarker() {
  Image marker = CreateTransparentImage(3, 16);
  for (int i = 0; i < 16; ++i) {
    const ColorValue grey = OpaqueGrey(MarkerGrey(i, 16));
    BlendPlot(marker, 0, i, grey);
    BlendPlot(marker, 2, i, grey);
  }
  return marker;
}

Image MakeHueMarker() {
  Image marker = CreateTransparentImage(26, 3);
  for (int i = 0; i < 26; ++i) {
    const ColorValue grey = OpaqueGrey(MarkerGrey(i, 26));
    BlendPlot(marker, i, 0, grey);
    BlendPlot(marker, i, 2, grey);
  }
  return marker;
}

}  // namespace

int MarkerGrey(int i, int count) {
  if (count < 2) return 0;
  const double t = static_cast<double>(i) / static_cast<double>(count - 1);
  return std::clamp(RoundHalfEven(255.0 * (4.0 * t - 4.0 * t * t)), 0, 255);
}

void BuildDialogImages(DialogImages& images, int alpha_flag) {
  const int a = alpha_flag != 0 ? 1 : 0;
  images.alpha_flag = a;
  images.field_marker = LoadEmbeddedImage(EmbeddedImage::kFieldMarker);
  images.restore_arrow = LoadEmbeddedImage(EmbeddedImage::kRestoreArrow);
  images.store_arrow = LoadEmbeddedImage(EmbeddedImage::kStoreArrow);

  images.field_overlay = MakeFieldOverlay();
  images.red_strip = MakeStrip(0);
  images.green_strip = MakeStrip(8);
  images.blue_strip = MakeStrip(16);
  images.alpha_strip = a != 0 ? MakeAlphaStrip() : Image{};
  images.swatch_checkerboard = a != 0 ? MakeSwatchCheckerboard() : Image{};
  images.canvas = CreateImage(kCanvasWidth, kCanvasBaseHeight + 22 * a, 32);
  AlphaBox(images.canvas, 0, 0, kCanvasWidth, kCanvasBaseHeight + 22, 0);
  images.strip_marker = MakeStripMarker();
  images.hue_marker = MakeHueMarker();
  BuildHueTable(images.hue_table);
  images.hue_bar = CreateImage(kHueBarWidth, HueBarHeight(a), 32);
  images.base = CreateTransparentImage(images.canvas.width, images.canvas.height);
  images.base_valid = false;
  images.marker_rect_count = 0;
}

Image MakePresetSwatch(ColorValue color) {
  Image swatch = CreateImage(16, 16, 24);
  BlendBox(swatch, 0, 0, 16, 16, color | kOpaque);
  return swatch;
}

void RunRederiveStage(PickerState& state) {
  const HueDerivation derived = DeriveHue(state.current, state.hue);
  state.hue = derived.hue;
  state.field_x = derived.field_x;
  state.field_y = derived.field_y;
}

void RunHueBarStage(PickerState& state, DialogImages& images) {
  ClampPositions(state, images);
  if (state.drag == Drag::kHueBar) {
    // The bar stays still while dragged; its pixel is the hue.
    state.hue = PixelAt(images.hue_bar, 0, state.marker_row) & kColorMask;
    return;
  }
  const int a = images.alpha_flag;
  state.hue_offset = FindHueOffset(images.hue_table, state.hue, state.hue_offset);
  const int offset = state.hue_offset;   // 0..1530
  const int last = HueBarHeight(a) - 1;  // D: 321 or 343
  const double d = static_cast<double>(last);
  for (int i = 0; i <= last; ++i) {
    // Table steps per row: about 12 at both ends, under 1 in the middle.
    const double l = 2.0 * i / d - 1.0;
    const double n = (l * l * l + 0.5 * i / d + 1.0) * 255.0 * 6.0 / 2.5;  // 0..1530
    const int entry = std::clamp(offset + RoundHalfEven(n), 0, kHueTableSize - 1);
    BlendHorizontalLine(images.hue_bar, 0, i, kHueBarWidth,
                        images.hue_table.entries[static_cast<std::size_t>(entry)] | kOpaque);
  }
  state.marker_row = HueBarHeight(a) / 2 - 1;
  images.base_valid = false;  // the base holds the old bar
}

namespace {

constexpr int kArrowLeft = 324;
constexpr int kArrowTop = 32;
// Both swatches: what the swatch drawing covers.
constexpr CanvasRect kSwatchArea = {kSwatchLeft, kUpperSwatchTop, kSwatchWidth, 2 * kSwatchHeight};
constexpr CanvasRect kFieldArea = {kFieldLeft, kFieldTop, kFieldSize, kFieldSize};

// Background around and under the elements drawn next.
void DrawBackground(Image& canvas, int a, ColorValue bg) {
  BlendBox(canvas, 32, 0, 280, 280, bg);
  BlendBox(canvas, 0, 0, 44, kCanvasBaseHeight + 22 * a, bg);
  BlendBox(canvas, 300, 0, 72, 77, bg);
  for (int strip = 0; strip < 3 + a; ++strip) BlendBox(canvas, 32, 268 + 22 * strip, 280, 34, bg);
}

// The hue box, opaque, under the overlay: it replaces the whole field.
void DrawField(Image& canvas, const DialogImages& images, ColorValue hue) {
  if (images.field_overlay.width == kFieldSize && images.field_overlay.height == kFieldSize) {
    DrawImageOverColor(canvas, images.field_overlay, kFieldLeft, kFieldTop, hue);
  } else {
    BlendBox(canvas, kFieldLeft, kFieldTop, kFieldSize, kFieldSize, hue);
    DrawImage(canvas, images.field_overlay, kFieldLeft, kFieldTop);
  }
}

// A drag in the field or on the bar picks the drawn field pixel.
void ReadBack(PickerState& state, const Image& drawn) {
  if (state.drag != Drag::kField && state.drag != Drag::kHueBar) return;
  const ColorValue picked = PixelAt(drawn, kFieldLeft + state.field_x, kFieldTop + state.field_y);
  state.current = (picked & kColorMask) | (state.current & kOpaque);
}

void DrawSwatches(Image& canvas, const PickerState& state, const DialogImages& images) {
  if (images.alpha_flag != 0) {
    DrawImage(canvas, images.swatch_checkerboard, kSwatchLeft, kUpperSwatchTop);
    BlendBox(canvas, kSwatchLeft, kUpperSwatchTop, kSwatchWidth, kSwatchHeight, state.current);
    BlendBox(canvas, kSwatchLeft, kLowerSwatchTop, kSwatchWidth, kSwatchHeight, state.stored);
  } else {
    BlendBox(canvas, kSwatchLeft, kUpperSwatchTop, kSwatchWidth, kSwatchHeight,
             state.current | kOpaque);
    BlendBox(canvas, kSwatchLeft, kLowerSwatchTop, kSwatchWidth, kSwatchHeight,
             state.stored | kOpaque);
  }
  // The arrow straddles the border between the swatches.
  if (state.hover == Hover::kUpper) DrawImage(canvas, images.store_arrow, kArrowLeft, kArrowTop);
  if (state.hover == Hover::kLower) DrawImage(canvas, images.restore_arrow, kArrowLeft, kArrowTop);
}

void DrawStripsAndOutlines(Image& canvas, const DialogImages& images) {
  const int a = images.alpha_flag;
  const Image* strips[4] = {&images.red_strip, &images.green_strip, &images.blue_strip,
                            &images.alpha_strip};
  for (int strip = 0; strip < 3 + a; ++strip) {
    DrawImage(canvas, *strips[strip], kStripLeft, kStripTop[strip]);
  }
  BlendOutlineBox(canvas, 43, 11, 258, 258, kOutline);
  BlendOutlineBox(canvas, 11, 11, 22, 324 + 22 * a, kOutline);
  BlendOutlineBox(canvas, 311, 11, 50, 66, kOutline);
  for (int strip = 0; strip < 3 + a; ++strip) {
    BlendOutlineBox(canvas, 43, kStripTop[strip] - 1, 258, 12, kOutline);
  }
}

// Draws the markers and notes where they went, so that the next refresh
// can take them off again.
void DrawMarkers(Image& canvas, const PickerState& state, DialogImages& images) {
  images.marker_rect_count = 0;
  auto draw = [&](const Image& marker, int x, int y) {
    DrawImage(canvas, marker, x, y);
    images.marker_rects[static_cast<std::size_t>(images.marker_rect_count++)] = {x, y, marker.width,
                                                                                 marker.height};
  };
  draw(images.hue_marker, 9, 11 + state.marker_row);
  draw(images.field_marker, 37 + state.field_x, 5 + state.field_y);
  const int values[4] = {RedOf(state.current), GreenOf(state.current), BlueOf(state.current),
                         AlphaOf(state.current)};
  for (int strip = 0; strip < 3 + images.alpha_flag; ++strip) {
    draw(images.strip_marker, 43 + values[strip], kStripTop[strip] - 3);
  }
}

bool Fits(const Image& overlay, int x, int y, const CanvasRect& area) {
  return static_cast<long long>(x) + overlay.width <= area.x + area.width &&
         static_cast<long long>(y) + overlay.height <= area.y + area.height;
}

}  // namespace

void RunCanvasStageFull(PickerState& state, DialogImages& images, ColorValue background) {
  ClampPositions(state, images);
  Image& canvas = images.canvas;
  DrawBackground(canvas, images.alpha_flag, background | kOpaque);
  DrawImage(canvas, images.hue_bar, 12, 12);
  DrawField(canvas, images, state.hue | kOpaque);
  ReadBack(state, canvas);
  DrawSwatches(canvas, state, images);
  DrawStripsAndOutlines(canvas, images);
  DrawMarkers(canvas, state, images);
  images.base_valid = false;  // the canvas no longer matches the base plus markers
  state.flags.paint = true;
}

void RunCanvasStage(PickerState& state, DialogImages& images, ColorValue background) {
  // The retained drawing holds only while the swatch drawing stays within
  // the swatches, which nothing else covers, and the field drawing within
  // the field; other overlays are drawn in order.
  const bool retained_fits =
      images.base.width == images.canvas.width && images.base.height == images.canvas.height &&
      IsDrawable(images.base) && Fits(images.store_arrow, kArrowLeft, kArrowTop, kSwatchArea) &&
      Fits(images.restore_arrow, kArrowLeft, kArrowTop, kSwatchArea) &&
      Fits(images.field_overlay, kFieldLeft, kFieldTop, kFieldArea);
  if (!retained_fits) {
    RunCanvasStageFull(state, images, background);
    return;
  }
  ClampPositions(state, images);
  Image& canvas = images.canvas;
  const ColorValue bg = background | kOpaque;
  const ColorValue hue = state.hue | kOpaque;

  // Background, hue bar, field, strips and outlines: from the base, redrawn
  // only when one of them changed; a new hue redraws the field alone (as
  // during a hue-bar drag). Then the last markers are taken off.
  Image& base = images.base;
  if (!images.base_valid || images.base_background != bg) {
    DrawBackground(base, images.alpha_flag, bg);  // what it leaves unpainted stays clear
    DrawImage(base, images.hue_bar, 12, 12);
    DrawField(base, images, hue);
    DrawStripsAndOutlines(base, images);
    images.base_background = bg;
    images.base_hue = hue;
    images.base_valid = true;
    CopyArea(canvas, base, 0, 0, canvas.width, canvas.height);
  } else {
    if (images.base_hue != hue) {
      DrawField(base, images, hue);
      images.base_hue = hue;
      CopyArea(canvas, base, kFieldArea.x, kFieldArea.y, kFieldArea.width, kFieldArea.height);
    }
    for (int i = 0; i < images.marker_rect_count; ++i) {
      const CanvasRect& r = images.marker_rects[static_cast<std::size_t>(i)];
      CopyArea(canvas, images.base, r.x, r.y, r.width, r.height);
    }
  }
  ReadBack(state, images.base);

  // The swatches lie on plain background in the base.
  BlendBox(canvas, kSwatchArea.x, kSwatchArea.y, kSwatchArea.width, kSwatchArea.height, bg);
  DrawSwatches(canvas, state, images);
  DrawMarkers(canvas, state, images);
  state.flags.paint = true;
}

void RunRefreshStages(PickerState& state, DialogImages& images, ColorValue background) {
  if (state.flags.rederive) {
    RunRederiveStage(state);
    state.flags.rederive = false;
  }
  if (state.flags.hue_bar) {
    RunHueBarStage(state, images);
    state.flags.hue_bar = false;
  }
  if (state.flags.canvas) {
    RunCanvasStage(state, images, background);
    state.flags.canvas = false;
  }
}

void CompositeOver(const Image& canvas, ColorValue window_color, std::vector<ColorValue>& out) {
  if (!IsDrawable(canvas)) {
    out.clear();
    return;
  }
  // Reuse the caller's buffer: one paint per refresh allocates nothing.
  Image screen;
  screen.width = canvas.width;
  screen.height = canvas.height;
  screen.bits = 32;
  screen.pixels = std::move(out);
  screen.pixels.resize(static_cast<std::size_t>(canvas.width) *
                       static_cast<std::size_t>(canvas.height));
  DrawImageOverColor(screen, canvas, 0, 0, window_color);
  out = std::move(screen.pixels);
}

std::vector<ColorValue> CompositeOver(const Image& canvas, ColorValue window_color) {
  std::vector<ColorValue> out;
  CompositeOver(canvas, window_color, out);
  return out;
}

}  // namespace tintra
