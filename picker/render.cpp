#include "picker/render.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <span>
#include <utility>

#include "picker/embedded_images.h"

namespace tintra {
namespace {

constexpr ColorValue kDarkCheck = 0xFF303030u;   // grey 48
constexpr ColorValue kLightCheck = 0xFFD0D0D0u;  // grey 208
constexpr ColorValue kOutline = 0x60000000u;     // black, alpha 96

// Keeps every position that indexes an image within that image, whatever a
// lost pointer confinement let through: field 0..255, marker row within
// the bar.
void ClampPositions(PickerState& state, const DialogImages& images) {
  const PixelRect& field = images.layout.field.logical;
  state.field_x = std::clamp(state.field_x, 0, std::max(field.width - 1, 0));
  state.field_y = std::clamp(state.field_y, 0, std::max(field.height - 1, 0));
  state.marker_row =
      std::clamp(state.marker_row, 0, std::max(images.layout.hue_bar.logical.height - 1, 0));
  state.hue_offset = std::clamp(state.hue_offset, 0, kHueCycle);
}

// The logical value (0..255) under physical column `px` of strip `strip`.
int StripValueAt(const DialogLayout& l, int strip, int px) {
  const LaidRect& s = l.strips[static_cast<std::size_t>(strip)];
  const int value = ToLogical(s.physical.x + px, l.dpi) - s.logical.x;
  return std::clamp(value, 0, s.logical.width - 1);
}

// The logical coordinate, continuous, at the centre of physical pixel
// `p` of an element that starts at logical `origin` (physical
// `physical_origin`), held to 0..max: what a smooth drawing samples.
double ContinuousAt(int physical_origin, int p, int origin, int dpi, double max) {
  const double centre = (physical_origin + p + 0.5) * kBaseDpi / dpi - 0.5 - origin;
  return std::clamp(centre, 0.0, max);
}

Image MakeStrip(const DialogLayout& l, int strip, int shift) {
  const PixelRect& r = l.strips[static_cast<std::size_t>(strip)].physical;
  Image image = CreateImage(r.width, r.height, 32);
  for (int i = 0; i < r.width; ++i) {
    const auto value = static_cast<ColorValue>(StripValueAt(l, strip, i));
    BlendVerticalLine(image, i, 0, r.height, kAlphaMask | (value << shift));
  }
  return image;
}

// Field overlay pixel (x, y), 0..255 each: white of alpha 255 - x laid on
// the clear image by the blend rule, then black of alpha y. Both leave one
// grey, so the rule's division is done once, not per channel.
ColorValue FieldOverlayPixel(int x, int y) {
  const auto g = static_cast<std::uint32_t>(255 - x);  // alpha after the white
  const auto c = static_cast<std::uint32_t>(y);        // the black's
  if (c == 0) return g == 0 ? 0u : ComposeColor(255, 255, 255, static_cast<int>(g));
  if (g == 0) return ComposeColor(0, 0, 0, static_cast<int>(c));
  const std::uint32_t kept = (255 - c) * g;          // the white's weight
  const std::uint32_t denominator = c * 255 + kept;  // 255..65025
  const std::uint32_t grey = kept * 255 / denominator;
  return (denominator / 255) << 24 | grey * 0x010101u;
}

Image MakeFieldOverlay() {
  const int size = LogicalLayout(0).field.logical.width;
  Image overlay = CreateImage(size, size, 32);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      overlay.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(size) +
                     static_cast<std::size_t>(x)] = FieldOverlayPixel(x, y);
    }
  }
  return overlay;
}

// Squares of `check` pixels, dark at the top-left and bottom-right of every
// cell of two squares, light in the other two.
void DrawCheckerboard(Image& image, int check) {
  for (int y = 0; y < image.height; y += 2 * check) {
    for (int x = 0; x < image.width; x += 2 * check) {
      BlendBox(image, x, y, check, check, kDarkCheck);
      BlendBox(image, x + check, y + check, check, check, kDarkCheck);
      BlendBox(image, x + check, y, check, check, kLightCheck);
      BlendBox(image, x, y + check, check, check, kLightCheck);
    }
  }
}

Image MakeAlphaStrip(const DialogLayout& l) {
  const PixelRect& r = l.strips[3].physical;
  Image strip = CreateImage(r.width, r.height, 32);
  DrawCheckerboard(strip, l.strip_check);
  for (int i = 0; i < r.width; ++i) {
    BlendVerticalLine(strip, i, 0, r.height, ComposeColor(128, 128, 128, StripValueAt(l, 3, i)));
  }
  return strip;
}

Image MakeSwatchCheckerboard(const DialogLayout& l) {
  Image board = CreateTransparentImage(l.swatches.physical.width, l.swatches.physical.height);
  DrawCheckerboard(board, l.swatch_check);
  return board;
}

ColorValue OpaqueGrey(int v) {
  return ComposeColor(v, v, v, 255);
}

// Two vertical lines `line` wide, grey by row, with the value's column clear
// between them.
Image MakeStripMarker(const DialogLayout& l) {
  const MarkerGeometry& g = l.strip_marker;
  Image marker = CreateTransparentImage(g.width, g.height);
  for (int i = 0; i < g.height; ++i) {
    const ColorValue grey = OpaqueGrey(MarkerGrey(i, g.height));
    BlendBox(marker, 0, i, l.line, 1, grey);
    BlendBox(marker, g.width - l.line, i, l.line, 1, grey);
  }
  return marker;
}

// Two horizontal lines, grey by column, with the marker row clear between.
Image MakeHueMarker(const DialogLayout& l) {
  const MarkerGeometry& g = l.hue_marker;
  Image marker = CreateTransparentImage(g.width, g.height);
  for (int i = 0; i < g.width; ++i) {
    const ColorValue grey = OpaqueGrey(MarkerGrey(i, g.width));
    BlendBox(marker, i, 0, 1, l.line, grey);
    BlendBox(marker, i, g.height - l.line, 1, l.line, grey);
  }
  return marker;
}

// Table steps from the bar's top to `row` (0..last): about 12 per row at
// both ends, under 1 in the middle, 1530 over the whole bar.
double HueBarSteps(double row, double last) {
  const double l = 2.0 * row / last - 1.0;
  return (l * l * l + 0.5 * row / last + 1.0) * 255.0 * 6.0 / 2.5;
}

// Weights of the smooth field, in 1/65536.
void MakeFieldWeights(DialogImages& images) {
  const DialogLayout& l = images.layout;
  const LaidRect& f = l.field;
  const double max = f.logical.width - 1;  // 255
  images.field_white.resize(static_cast<std::size_t>(f.physical.width));
  for (int px = 0; px < f.physical.width; ++px) {
    const double u = ContinuousAt(f.physical.x, px, f.logical.x, l.dpi, max);
    images.field_white[static_cast<std::size_t>(px)] =
        static_cast<std::uint32_t>(std::lround((max - u) / max * 65536.0));
  }
  images.field_light.resize(static_cast<std::size_t>(f.physical.height));
  for (int py = 0; py < f.physical.height; ++py) {
    const double v = ContinuousAt(f.physical.y, py, f.logical.y, l.dpi, max);
    images.field_light[static_cast<std::size_t>(py)] =
        static_cast<std::uint32_t>(std::lround((max - v) / max * 65536.0));
  }
}

// The background boxes less the field, as rectangles that do not overlap:
// a band for each run of rows that the same edges cross, and in it a
// rectangle for each run of covered columns.
std::vector<PixelRect> MakeBackgroundRects(const DialogLayout& l) {
  const PixelRect& field = l.field.physical;
  const auto boxes = std::span(l.background).first(static_cast<std::size_t>(l.background_count));
  std::vector<int> rows = {field.y, field.bottom()};
  for (const LaidRect& b : boxes) {
    rows.push_back(b.physical.y);
    rows.push_back(b.physical.bottom());
  }
  std::sort(rows.begin(), rows.end());
  std::vector<PixelRect> out;
  std::vector<int> columns;
  for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
    const int y = rows[i];
    const int height = rows[i + 1] - y;
    if (height < 1) continue;
    columns = {field.x, field.right()};
    for (const LaidRect& b : boxes) {
      columns.push_back(b.physical.x);
      columns.push_back(b.physical.right());
    }
    std::sort(columns.begin(), columns.end());
    for (std::size_t j = 0; j + 1 < columns.size(); ++j) {
      const int x = columns[j];
      const int width = columns[j + 1] - x;
      const bool covered = std::any_of(
          boxes.begin(), boxes.end(), [&](const LaidRect& b) { return b.physical.Contains(x, y); });
      if (width < 1 || !covered || field.Contains(x, y)) continue;
      if (!out.empty() && out.back().y == y && out.back().right() == x) {
        out.back().width += width;  // the run goes on
      } else {
        out.push_back({x, y, width, height});
      }
    }
  }
  return out;
}

}  // namespace

int MarkerGrey(int i, int count) {
  if (count < 2) return 0;
  const double t = static_cast<double>(i) / static_cast<double>(count - 1);
  return std::clamp(RoundHalfEven(255.0 * (4.0 * t - 4.0 * t * t)), 0, 255);
}

void BuildDialogImages(DialogImages& images, int alpha_flag) {
  BuildDialogImages(images, MakeDialogLayout(alpha_flag, 0, kBaseDpi));
}

void BuildDialogImages(DialogImages& images, const DialogLayout& layout) {
  images.layout = layout;
  images.layout.template_fields = {};  // the canvas holds none
  const DialogLayout& l = images.layout;
  const int a = l.alpha_flag;
  images.alpha_flag = a;
  images.field_marker = LoadEmbeddedImage(EmbeddedImage::kFieldMarker, l.field_marker_size);
  images.restore_arrow = LoadEmbeddedImage(EmbeddedImage::kRestoreArrow, l.arrow_size);
  images.store_arrow = LoadEmbeddedImage(EmbeddedImage::kStoreArrow, l.arrow_size);

  images.field_overlay = MakeFieldOverlay();
  images.red_strip = MakeStrip(l, 0, 0);
  images.green_strip = MakeStrip(l, 1, 8);
  images.blue_strip = MakeStrip(l, 2, 16);
  images.alpha_strip = a != 0 ? MakeAlphaStrip(l) : Image{};
  images.swatch_checkerboard = a != 0 ? MakeSwatchCheckerboard(l) : Image{};
  images.canvas = CreateTransparentImage(l.canvas.physical.width, l.canvas.physical.height);
  images.strip_marker = MakeStripMarker(l);
  images.hue_marker = MakeHueMarker(l);
  BuildHueTable(images.hue_table);
  images.hue_bar = CreateImage(l.hue_bar.logical.width, l.hue_bar.logical.height, 32);
  images.drawn_hue_bar = Image{};
  images.field_white.clear();
  images.field_light.clear();
  images.field_mix = GreyOverlay{};
  if (l.dpi != kBaseDpi) {
    images.drawn_hue_bar = CreateImage(l.hue_bar.physical.width, l.hue_bar.physical.height, 32);
    MakeFieldWeights(images);
  } else {
    images.field_mix = MakeGreyOverlay(images.field_overlay);
  }
  images.background_rects = MakeBackgroundRects(l);
  images.base_valid = false;
  images.overdrawn = false;
  images.marker_rect_count = 0;
  // Room for what the markers cover, so that no stage allocates.
  images.under_markers.clear();
  images.under_markers.reserve(static_cast<std::size_t>(
      images.hue_marker.pixels.size() + images.field_marker.pixels.size() +
      static_cast<std::size_t>(l.strip_count) * images.strip_marker.pixels.size()));
}

Image MakePresetSwatch(ColorValue color, int size) {
  return CreateFilledImage(size, size, 24, color);
}

void RunRederiveStage(PickerState& state) {
  const HueDerivation derived = DeriveHue(state.current, state.hue);
  state.hue = derived.hue;
  state.field_x = derived.field_x;
  state.field_y = derived.field_y;
}

void RedrawHueBars(DialogImages& images, int hue_offset) {
  const DialogLayout& l = images.layout;
  const int offset = std::clamp(hue_offset, 0, kHueCycle);
  const int last = l.hue_bar.logical.height - 1;  // 321 or 343
  const double d = static_cast<double>(last);
  auto entry = [&](double row) {
    const int e = std::clamp(offset + RoundHalfEven(HueBarSteps(row, d)), 0, kHueTableSize - 1);
    return images.hue_table.entries[static_cast<std::size_t>(e)] | kAlphaMask;
  };
  for (int i = 0; i <= last; ++i) {
    BlendHorizontalLine(images.hue_bar, 0, i, images.hue_bar.width, entry(i));
  }
  // Away from 96 DPI the bar on the display takes its own row for each
  // physical row, so that it is smooth where the hues change fast.
  const PixelRect& drawn = l.hue_bar.physical;
  for (int i = 0; i < images.drawn_hue_bar.height; ++i) {
    const double row = ContinuousAt(drawn.y, i, l.hue_bar.logical.y, l.dpi, d);
    BlendHorizontalLine(images.drawn_hue_bar, 0, i, images.drawn_hue_bar.width, entry(row));
  }
  images.base_valid = false;  // the base holds the old bar
}

void RunHueBarStage(PickerState& state, DialogImages& images) {
  ClampPositions(state, images);
  // The bar stays still while dragged; its pixel is the hue. A press whose
  // release came before this refresh picks it too, before the bar is drawn
  // anew around it.
  if (state.drag == Drag::kHueBar || state.hue_pick_pending) {
    state.hue = PixelAt(images.hue_bar, 0, state.marker_row) & kRgbMask;
    state.hue_pick_pending = false;
    if (state.drag == Drag::kHueBar) return;
  }
  state.hue_offset = FindHueOffset(images.hue_table, state.hue, state.hue_offset);
  RedrawHueBars(images, state.hue_offset);
  const DialogLayout& l = images.layout;
  state.marker_row = l.hue_bar.logical.height / 2 - 1;
}

namespace {

PixelRect Grown(const PixelRect& r, int by) {
  return {r.x - by, r.y - by, r.width + 2 * by, r.height + 2 * by};
}

// Top-left corner of the hover arrow, centred where the swatches meet.
int ArrowLeft(const DialogLayout& l) {
  return l.arrow_centre_x - l.arrow_size / 2;
}
int ArrowTop(const DialogLayout& l) {
  return l.arrow_centre_y - l.arrow_size / 2;
}

const Image& DrawnHueBar(const DialogImages& images) {
  return images.layout.dpi == kBaseDpi ? images.hue_bar : images.drawn_hue_bar;
}

// True when `r` lies within the 32-bit canvas.
bool WithinCanvas(const Image& canvas, const PixelRect& r) {
  return IsDrawable(canvas) && canvas.bits == 32 && r.x >= 0 && r.y >= 0 &&
         r.right() <= canvas.width && r.bottom() <= canvas.height;
}

bool SmoothFieldFits(const Image& canvas, const DialogImages& images) {
  const PixelRect& r = images.layout.field.physical;
  return WithinCanvas(canvas, r) &&
         static_cast<std::size_t>(r.width) == images.field_white.size() &&
         static_cast<std::size_t>(r.height) == images.field_light.size();
}

// Background around and under the elements drawn next. Where DrawField
// replaces every pixel whatever lay there (always but for a smooth field
// without its weights), the field is left out and no pixel filled twice.
void DrawBackground(Image& canvas, const DialogImages& images, ColorValue bg) {
  const DialogLayout& l = images.layout;
  if (l.dpi == kBaseDpi || SmoothFieldFits(canvas, images)) {
    for (const PixelRect& r : images.background_rects)
      BlendBox(canvas, r.x, r.y, r.width, r.height, bg);
    return;
  }
  for (int i = 0; i < l.background_count; ++i) {
    const PixelRect& r = l.background[static_cast<std::size_t>(i)].physical;
    BlendBox(canvas, r.x, r.y, r.width, r.height, bg);
  }
}

// The field away from 96 DPI: under white of the column's opacity and black
// of the row's, computed at each physical pixel's own continuous position:
// (H + (255 - H) * white) * light, in fixed point.
void DrawSmoothField(Image& canvas, DialogImages& images, ColorValue hue) {
  const PixelRect& r = images.layout.field.physical;
  if (!SmoothFieldFits(canvas, images)) return;
  // Per column and channel: the colour above black, times 256 (0..65280).
  std::vector<std::uint16_t>& columns = images.field_columns;
  columns.assign(static_cast<std::size_t>(r.width) * 4, 0);
  for (int x = 0; x < r.width; ++x) {
    const std::uint32_t w = images.field_white[static_cast<std::size_t>(x)];
    for (int c = 0; c < 3; ++c) {
      const std::uint32_t h = (hue >> (8 * c)) & 0xFFu;
      columns[static_cast<std::size_t>(x) * 4 + static_cast<std::size_t>(c)] =
          static_cast<std::uint16_t>((h * 65536u + (255u - h) * w + 128u) >> 8);
    }
  }
  for (int y = 0; y < r.height; ++y) {
    ColorValue* row = canvas.pixels.data() + static_cast<std::size_t>(r.y + y) * canvas.width + r.x;
    ShadeRow(row, columns.data(), r.width, images.field_light[static_cast<std::size_t>(y)]);
  }
}

// The hue box, opaque, under the overlay: it replaces the whole field.
void DrawField(Image& canvas, DialogImages& images, ColorValue hue) {
  const PixelRect& r = images.layout.field.physical;
  if (images.layout.dpi != kBaseDpi) {
    DrawSmoothField(canvas, images, hue);
  } else if (canvas.bits == 32 && images.field_mix.width == r.width &&
             images.field_mix.height == r.height && images.field_overlay.width == r.width &&
             images.field_overlay.height == r.height) {
    DrawGreyOverlayOverColor(canvas, images.field_mix, r.x, r.y, hue);
  } else if (images.field_overlay.width == r.width && images.field_overlay.height == r.height) {
    DrawImageOverColor(canvas, images.field_overlay, r.x, r.y, hue);
  } else {
    BlendBox(canvas, r.x, r.y, r.width, r.height, hue);
    DrawImage(canvas, images.field_overlay, r.x, r.y);
  }
}

// The 96-DPI field pixel at field position (x, y): the overlay laid over
// the opaque hue, as the field is drawn at 96 DPI.
ColorValue FieldPixel(const DialogImages& images, ColorValue hue, int x, int y) {
  const Image& overlay = images.field_overlay;
  if (!IsDrawable(overlay) || x >= overlay.width || y >= overlay.height) return hue | kAlphaMask;
  const ColorValue p = PixelAt(overlay, x, y);
  return overlay.bits == 24 ? p | kAlphaMask : BlendPixel(hue | kAlphaMask, p);
}

// A drag in the field or on the bar picks the field pixel under the marker,
// at every scale the one the 96-DPI dialog shows there; so does a press or
// move there whose release came before this refresh.
void ReadBack(PickerState& state, const DialogImages& images) {
  const bool pending = state.field_pick_pending;
  state.field_pick_pending = false;
  if (state.drag != Drag::kField && state.drag != Drag::kHueBar && !pending) return;
  const ColorValue picked = FieldPixel(images, state.hue, state.field_x, state.field_y);
  state.current = (picked & kRgbMask) | (state.current & kAlphaMask);
}

void DrawSwatches(Image& canvas, const PickerState& state, const DialogImages& images) {
  const DialogLayout& l = images.layout;
  const PixelRect& upper = l.upper_swatch.physical;
  const PixelRect& lower = l.lower_swatch.physical;
  if (images.alpha_flag != 0) {
    DrawImage(canvas, images.swatch_checkerboard, l.swatches.physical.x, l.swatches.physical.y);
    BlendBox(canvas, upper.x, upper.y, upper.width, upper.height, state.current);
    BlendBox(canvas, lower.x, lower.y, lower.width, lower.height, state.stored);
  } else {
    BlendBox(canvas, upper.x, upper.y, upper.width, upper.height, state.current | kAlphaMask);
    BlendBox(canvas, lower.x, lower.y, lower.width, lower.height, state.stored | kAlphaMask);
  }
  // The arrow straddles the border between the swatches.
  if (state.hover == Hover::kUpper)
    DrawImage(canvas, images.store_arrow, ArrowLeft(l), ArrowTop(l));
  if (state.hover == Hover::kLower) {
    DrawImage(canvas, images.restore_arrow, ArrowLeft(l), ArrowTop(l));
  }
}

void DrawStripsAndOutlines(Image& canvas, const DialogImages& images) {
  const DialogLayout& l = images.layout;
  const Image* strips[4] = {&images.red_strip, &images.green_strip, &images.blue_strip,
                            &images.alpha_strip};
  for (int strip = 0; strip < l.strip_count; ++strip) {
    const PixelRect& r = l.strips[static_cast<std::size_t>(strip)].physical;
    DrawImage(canvas, *strips[strip], r.x, r.y);
  }
  for (int i = 0; i < l.outlined_count; ++i) {
    for (int ring = 1; ring <= l.line; ++ring) {
      const PixelRect r = Grown(l.outlined[static_cast<std::size_t>(i)].physical, ring);
      BlendOutlineBox(canvas, r.x, r.y, r.width, r.height, kOutline);
    }
  }
}

// `r` clipped to the image; empty when nothing of it lies inside.
PixelRect ClipTo(const Image& image, const PixelRect& r) {
  if (!IsDrawable(image)) return {};
  const int x0 = std::clamp(r.x, 0, image.width);
  const int y0 = std::clamp(r.y, 0, image.height);
  const int x1 = static_cast<int>(
      std::clamp<long long>(static_cast<long long>(r.x) + r.width, x0, image.width));
  const int y1 = static_cast<int>(
      std::clamp<long long>(static_cast<long long>(r.y) + r.height, y0, image.height));
  return {x0, y0, x1 - x0, y1 - y0};
}

// Draws the markers, keeping what each covers and where, so that the next
// refresh can take them off again.
void DrawMarkers(Image& canvas, const PickerState& state, DialogImages& images) {
  const DialogLayout& l = images.layout;
  images.marker_rect_count = 0;
  images.under_markers.clear();
  auto draw = [&](const Image& marker, const PixelRect& at) {
    const PixelRect r = ClipTo(canvas, {at.x, at.y, marker.width, marker.height});
    std::size_t end = images.under_markers.size();
    images.under_markers.resize(end + static_cast<std::size_t>(r.width) *
                                          static_cast<std::size_t>(r.height));
    for (int y = r.y; y < r.bottom(); ++y, end += static_cast<std::size_t>(r.width)) {
      std::copy_n(canvas.pixels.data() + static_cast<std::size_t>(y) * canvas.width + r.x, r.width,
                  images.under_markers.data() + end);
    }
    images.marker_rects[static_cast<std::size_t>(images.marker_rect_count++)] = r;
    DrawImage(canvas, marker, at.x, at.y);
  };
  draw(images.hue_marker, HueMarkerRect(l, state.marker_row));
  draw(images.field_marker, FieldMarkerRect(l, state.field_x, state.field_y));
  const int values[4] = {RedOf(state.current), GreenOf(state.current), BlueOf(state.current),
                         AlphaOf(state.current)};
  for (int strip = 0; strip < l.strip_count; ++strip) {
    draw(images.strip_marker, StripMarkerRect(l, strip, values[strip]));
  }
}

// Puts back what the last markers covered, the last drawn first, so that
// overlapping markers come off in turn; nothing when the record does not
// match the canvas.
void TakeMarkersOff(Image& canvas, DialogImages& images) {
  std::size_t end = images.under_markers.size();
  for (int i = images.marker_rect_count - 1; i >= 0; --i) {
    const PixelRect& r = images.marker_rects[static_cast<std::size_t>(i)];
    const std::size_t count =
        static_cast<std::size_t>(r.width) * static_cast<std::size_t>(r.height);
    if (count > end || !(ClipTo(canvas, r) == r)) break;
    end -= count;
    const ColorValue* saved = images.under_markers.data() + end;
    for (int y = r.y; y < r.bottom(); ++y, saved += r.width) {
      std::copy_n(saved, r.width,
                  canvas.pixels.data() + static_cast<std::size_t>(y) * canvas.width + r.x);
    }
  }
  images.marker_rect_count = 0;
  images.under_markers.clear();
}

// Everything under the swatches and the markers, in the drawing order.
void DrawBase(Image& canvas, DialogImages& images, ColorValue bg, ColorValue hue) {
  const DialogLayout& l = images.layout;
  DrawBackground(canvas, images, bg);  // what it leaves stays clear
  DrawImage(canvas, DrawnHueBar(images), l.hue_bar.physical.x, l.hue_bar.physical.y);
  DrawField(canvas, images, hue);
  DrawStripsAndOutlines(canvas, images);
}

bool Fits(const Image& overlay, int x, int y, const PixelRect& area) {
  return static_cast<long long>(x) + overlay.width <= area.x + area.width &&
         static_cast<long long>(y) + overlay.height <= area.y + area.height;
}

}  // namespace

void RunCanvasStageFull(PickerState& state, DialogImages& images, ColorValue background) {
  ClampPositions(state, images);
  const DialogLayout& l = images.layout;
  Image& canvas = images.canvas;
  DrawBackground(canvas, images, background | kAlphaMask);
  DrawImage(canvas, DrawnHueBar(images), l.hue_bar.physical.x, l.hue_bar.physical.y);
  DrawField(canvas, images, state.hue | kAlphaMask);
  ReadBack(state, images);
  DrawSwatches(canvas, state, images);
  DrawStripsAndOutlines(canvas, images);
  DrawMarkers(canvas, state, images);
  images.base_valid = false;  // the canvas no longer matches the base plus markers
  images.overdrawn = true;    // an overlay that did not fit may lie anywhere
  state.flags.paint = true;
}

void RunCanvasStage(PickerState& state, DialogImages& images, ColorValue background) {
  const DialogLayout& l = images.layout;
  const PixelRect& swatches = l.swatches.physical;
  const PixelRect& field = l.field.physical;
  // The retained drawing holds only while the swatch drawing stays within
  // the swatches, which nothing else covers, and the field drawing within
  // the field; other overlays are drawn in order.
  const bool retained_fits =
      IsDrawable(images.canvas) && Fits(images.store_arrow, ArrowLeft(l), ArrowTop(l), swatches) &&
      Fits(images.restore_arrow, ArrowLeft(l), ArrowTop(l), swatches) &&
      (l.dpi != kBaseDpi || Fits(images.field_overlay, field.x, field.y, field));
  if (!retained_fits) {
    RunCanvasStageFull(state, images, background);
    return;
  }
  ClampPositions(state, images);
  Image& canvas = images.canvas;
  const ColorValue bg = background | kAlphaMask;
  const ColorValue hue = state.hue | kAlphaMask;

  // With the last markers off, the canvas holds the base (background, hue
  // bar, field, strips and outlines) and the last swatches. The base is
  // redrawn only when one of its parts changed; a new hue redraws the field
  // alone (as during a hue-bar drag).
  TakeMarkersOff(canvas, images);
  if (!images.base_valid || images.base_background != bg) {
    if (images.overdrawn) {
      std::fill(canvas.pixels.begin(), canvas.pixels.end(), 0u);
      images.overdrawn = false;
    }
    DrawBase(canvas, images, bg, hue);
    images.base_background = bg;
    images.base_hue = hue;
    images.base_valid = true;
  } else if (images.base_hue != hue) {
    DrawField(canvas, images, hue);
    images.base_hue = hue;
  }
  ReadBack(state, images);

  // The swatches lie on plain background in the base.
  BlendBox(canvas, swatches.x, swatches.y, swatches.width, swatches.height, bg);
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
