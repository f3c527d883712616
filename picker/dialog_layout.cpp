#include "picker/dialog_layout.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

namespace tintra {

namespace {

// The dialog at 96 DPI, client pixels (x, y, width, height). a: alpha flag.
constexpr int kClientWidth = 372;
constexpr int kCanvasHeight = 346;                // + 22 a; the template rows start there
constexpr int kAlphaExtra = 22;                   // the alpha strip's row
constexpr PixelRect kHueBar = {12, 12, 20, 322};  // + 22 a high
constexpr PixelRect kField = {44, 12, 256, 256};
constexpr int kStripTop = 280;  // red; green, blue and alpha follow
constexpr int kStripPitch = 22;
constexpr int kStripHeight = 10;
constexpr PixelRect kUpperSwatch = {312, 12, 48, 32};
constexpr PixelRect kLowerSwatch = {312, 44, 48, 32};

// Background boxes; the first two grow with the alpha strip's row, the
// last one is repeated for each strip.
constexpr PixelRect kBackgroundAroundField = {32, 0, 280, 280};
constexpr PixelRect kBackgroundLeft = {0, 0, 44, kCanvasHeight};  // + 22 a high
constexpr PixelRect kBackgroundRight = {300, 0, 72, 77};
constexpr PixelRect kBackgroundStrip = {32, 268, 280, 34};  // + 22 per strip

// Overlays at 96 DPI.
constexpr int kFieldMarkerSize = 15;
constexpr int kArrowSize = 24;
constexpr int kMarkerReach = 3;  // markers reach this far beyond their strip or bar
constexpr int kStripMarkerLength = kStripHeight + 2 * kMarkerReach;  // 16
constexpr int kHueMarkerLength = kHueBar.width + 2 * kMarkerReach;   // 26
constexpr int kSwatchCheck = 6;
constexpr int kStripCheck = 5;

// Widgets.
constexpr PixelRect kPresetCombo = {312, 78, 48, 28};  // the closed box
constexpr int kPresetListWidth = 64;                   // room for swatch, mark and scroll bar
constexpr int kPresetListHeight = 260;                 // with the list dropped: about twelve items
constexpr int kPresetComboBorder = 3;                  // above and below the selection box
constexpr PixelRect kChannelField = {312, 275, 32, 20};  // red; the others follow
constexpr int kChannelFieldPitch = 22;
constexpr PixelRect kOkButton = {312, 188, 48, 40};
constexpr PixelRect kCancelButton = {312, 228, 48, 40};
constexpr PixelRect kEyedropperButton = {312, 136, 48, 40};
constexpr int kButtonFaceSize = 32;
constexpr int kCancelFaceSize = 24;
constexpr int kPresetSwatchSize = 16;

// Template rows.
constexpr int kRowPitch = 22;    // 20-pixel field plus 2-pixel gap
constexpr int kRowsMargin = 12;  // below the last row
constexpr int kRowSpan = 350;    // widths and gaps of one row: x 12..362 at most
constexpr int kRowLeft = 12;
constexpr int kFieldGap = 2;

int Saturate(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}

// count * step + base with count unbounded (size_t), step >= 1, base >= 0;
// INT_MAX when it would not fit. Places far past the window stay monotonic.
int PlaceAt(std::size_t count, int step, int base) {
  if (count > static_cast<std::size_t>((INT_MAX - base) / step)) return INT_MAX;
  return static_cast<int>(count) * step + base;
}

// Width of each of `count` fields sharing one row (count >= 1). From 117
// fields on there is no pixel left for each; the plain formula would go on to
// -1 (from 350 fields) and overflow 2 * count for huge counts, so a crowded
// row gets width 0 and keeps the 2-pixel step between fields.
int FieldWidth(std::size_t count) {
  if (count >= static_cast<std::size_t>(kRowSpan / 2)) return 0;
  const int c = static_cast<int>(count);
  return (kRowSpan - 2 * c) / c;
}

// floor(a / b) for b > 0, also for negative a.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}

LaidRect Lay(const PixelRect& logical, int dpi) {
  return {logical, ToPhysical(logical, dpi)};
}

// A size of `logical` pixels at `dpi`, at least 1.
int SizeAt(int logical, int dpi) {
  return std::max(1, ToPhysical(logical, dpi));
}

}  // namespace

int ToPhysical(int logical, int dpi) {
  return Saturate(FloorDiv(static_cast<std::int64_t>(logical) * dpi + kBaseDpi / 2, kBaseDpi));
}

PixelRect ToPhysical(const PixelRect& logical, int dpi) {
  const int x = ToPhysical(logical.x, dpi);
  const int y = ToPhysical(logical.y, dpi);
  const std::int64_t right = static_cast<std::int64_t>(logical.x) + logical.width;
  const std::int64_t bottom = static_cast<std::int64_t>(logical.y) + logical.height;
  return {x, y, Saturate(static_cast<std::int64_t>(ToPhysical(Saturate(right), dpi)) - x),
          Saturate(static_cast<std::int64_t>(ToPhysical(Saturate(bottom), dpi)) - y)};
}

int ToLogical(int physical, int dpi) {
  // ToPhysical(v) <= p  <=>  v * dpi + 48 < 96 (p + 1)  <=>  v * dpi <= 96 p + 47.
  const int d = std::max(dpi, 1);
  return Saturate(FloorDiv(static_cast<std::int64_t>(physical) * kBaseDpi + kBaseDpi / 2 - 1, d));
}

int LayoutDpi(int dpi) {
  return std::clamp(dpi, kBaseDpi, kMaxDpi);
}

int LineThickness(int dpi) {
  return std::max(1, LayoutDpi(dpi) / kBaseDpi);
}

int NearestImageDpi(int dpi) {
  int best = kImageDpis[0];
  for (int candidate : kImageDpis) {
    if (std::abs(candidate - dpi) <= std::abs(best - dpi)) best = candidate;
  }
  return best;
}

PixelRect TemplateFieldRect(int alpha_flag, std::size_t row, std::size_t column,
                            std::size_t columns) {
  const int first_row_y = kCanvasHeight + kAlphaExtra * (alpha_flag != 0 ? 1 : 0);
  const int width = FieldWidth(std::max<std::size_t>(columns, 1));
  return {PlaceAt(column, width + kFieldGap, kRowLeft), PlaceAt(row, kRowPitch, first_row_y), width,
          kTemplateFieldHeight};
}

int ClientHeight(int alpha_flag, int row_count) {
  const std::int64_t alpha = alpha_flag != 0 ? 1 : 0;
  std::int64_t height = kCanvasHeight + kAlphaExtra * alpha;
  if (row_count > 0) height += std::int64_t{kRowPitch} * row_count + kRowsMargin;
  return Saturate(height);
}

DialogLayout MakeDialogLayout(int alpha_flag, int row_count, int dpi_in,
                              std::span<const PixelRect> template_fields) {
  const int a = alpha_flag != 0 ? 1 : 0;
  const int dpi = LayoutDpi(dpi_in);
  DialogLayout l;
  l.dpi = dpi;
  l.alpha_flag = a;
  l.line = LineThickness(dpi);
  l.image_dpi = NearestImageDpi(dpi);

  const int canvas_height = kCanvasHeight + kAlphaExtra * a;
  l.client = Lay({0, 0, kClientWidth, ClientHeight(a, row_count)}, dpi);
  l.canvas = Lay({0, 0, kClientWidth, canvas_height}, dpi);
  l.hue_bar = Lay({kHueBar.x, kHueBar.y, kHueBar.width, kHueBar.height + kAlphaExtra * a}, dpi);
  l.field = Lay(kField, dpi);
  l.strip_count = 3 + a;
  for (int i = 0; i < 4; ++i) {
    l.strips[static_cast<std::size_t>(i)] =
        Lay({kField.x, kStripTop + kStripPitch * i, kField.width, kStripHeight}, dpi);
  }
  l.upper_swatch = Lay(kUpperSwatch, dpi);
  l.lower_swatch = Lay(kLowerSwatch, dpi);
  l.swatches = Lay(
      {kUpperSwatch.x, kUpperSwatch.y, kUpperSwatch.width, kLowerSwatch.bottom() - kUpperSwatch.y},
      dpi);

  l.background_count = 0;
  auto background = [&](const PixelRect& r) {
    l.background[static_cast<std::size_t>(l.background_count++)] = Lay(r, dpi);
  };
  background(kBackgroundAroundField);
  background({kBackgroundLeft.x, kBackgroundLeft.y, kBackgroundLeft.width, canvas_height});
  background(kBackgroundRight);
  for (int i = 0; i < l.strip_count; ++i) {
    background({kBackgroundStrip.x, kBackgroundStrip.y + kStripPitch * i, kBackgroundStrip.width,
                kBackgroundStrip.height});
  }

  l.outlined_count = 0;
  auto outline = [&](const LaidRect& r) {
    l.outlined[static_cast<std::size_t>(l.outlined_count++)] = r;
  };
  outline(l.field);
  outline(l.hue_bar);
  outline(l.swatches);
  for (int i = 0; i < l.strip_count; ++i) outline(l.strips[static_cast<std::size_t>(i)]);

  l.press_area_count = 0;
  auto press = [&](Drag drag, const LaidRect& r) {
    l.press_areas[static_cast<std::size_t>(l.press_area_count++)] = {drag, r};
  };
  press(Drag::kField, l.field);
  press(Drag::kRed, l.strips[0]);
  press(Drag::kGreen, l.strips[1]);
  press(Drag::kBlue, l.strips[2]);
  if (a != 0) press(Drag::kAlpha, l.strips[3]);
  press(Drag::kHueBar, l.hue_bar);

  const int image_dpi = l.image_dpi;
  l.field_marker_size = SizeAt(kFieldMarkerSize, image_dpi);
  l.arrow_size = SizeAt(kArrowSize, image_dpi);
  l.arrow_centre_x = ToPhysical(kUpperSwatch.x + kUpperSwatch.width / 2, dpi);
  l.arrow_centre_y = ToPhysical(kLowerSwatch.y, dpi);
  const int block = SizeAt(1, dpi);
  l.strip_marker = {2 * l.line + block, SizeAt(kStripMarkerLength, dpi)};
  l.hue_marker = {SizeAt(kHueMarkerLength, dpi), 2 * l.line + block};
  l.strip_marker_reach = ToPhysical(kMarkerReach, dpi);
  l.hue_marker_reach = ToPhysical(kMarkerReach, dpi);
  l.swatch_check = SizeAt(kSwatchCheck, dpi);
  l.strip_check = SizeAt(kStripCheck, dpi);

  l.preset_combo = Lay(kPresetCombo, dpi);
  l.preset_list_width = SizeAt(kPresetListWidth, dpi);
  l.preset_list_height = SizeAt(kPresetListHeight, dpi);
  l.preset_selection_height =
      l.preset_combo.physical.height - 2 * ToPhysical(kPresetComboBorder, dpi);
  for (int i = 0; i < 4; ++i) {
    l.channel_fields[static_cast<std::size_t>(i)] =
        Lay({kChannelField.x, kChannelField.y + kChannelFieldPitch * i, kChannelField.width,
             kChannelField.height},
            dpi);
  }
  l.ok_button = Lay(kOkButton, dpi);
  l.cancel_button = Lay(kCancelButton, dpi);
  l.eyedropper_button = Lay(kEyedropperButton, dpi);
  l.button_face_size = SizeAt(kButtonFaceSize, image_dpi);
  l.cancel_face_size = SizeAt(kCancelFaceSize, image_dpi);
  l.preset_swatch_size = SizeAt(kPresetSwatchSize, dpi);
  l.template_fields.reserve(template_fields.size());
  for (const PixelRect& r : template_fields) l.template_fields.push_back(Lay(r, l.dpi));
  return l;
}

const DialogLayout& LogicalLayout(int alpha_flag) {
  static const DialogLayout layouts[2] = {MakeDialogLayout(0, 0, kBaseDpi),
                                          MakeDialogLayout(1, 0, kBaseDpi)};
  return layouts[alpha_flag != 0 ? 1 : 0];
}

PhysicalSpan SpanOf(int v, int dpi) {
  return {ToPhysical(v, dpi), ToPhysical(Saturate(static_cast<std::int64_t>(v) + 1), dpi)};
}

PixelRect FieldMarkerRect(const DialogLayout& l, int field_x, int field_y) {
  const PhysicalSpan x = SpanOf(l.field.logical.x + field_x, l.dpi);
  const PhysicalSpan y = SpanOf(l.field.logical.y + field_y, l.dpi);
  const int m = l.field_marker_size;
  // Centred on the position's block; at 96 DPI 7 pixels each way.
  return {x.first + static_cast<int>(FloorDiv(x.last - x.first - m, 2)),
          y.first + static_cast<int>(FloorDiv(y.last - y.first - m, 2)), m, m};
}

PixelRect StripMarkerRect(const DialogLayout& l, int strip, int value) {
  const LaidRect& s = l.strips[static_cast<std::size_t>(std::clamp(strip, 0, 3))];
  const PhysicalSpan x = SpanOf(s.logical.x + value, l.dpi);
  return {x.first - l.line, s.physical.y - l.strip_marker_reach, l.strip_marker.width,
          l.strip_marker.height};
}

PixelRect HueMarkerRect(const DialogLayout& l, int marker_row) {
  const PhysicalSpan y = SpanOf(l.hue_bar.logical.y + marker_row, l.dpi);
  return {l.hue_bar.physical.x - l.hue_marker_reach, y.first - l.line, l.hue_marker.width,
          l.hue_marker.height};
}

}  // namespace tintra
