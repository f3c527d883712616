// Geometry of the colour-picker dialog at one display scale: every press
// area, drawn rectangle, outline, marker anchor, widget and template field,
// and the client size. The renderer, the interaction, the widgets and the
// tests read it; no rectangle of the dialog is written anywhere else.
//
// Logical pixels are the dialog's pixels at 96 DPI; the colour model works
// in them alone (field 0..255, marker row, channel values). Physical pixels
// are the display's at the layout's DPI. One rounding turns one into the
// other (ToPhysical): edges are scaled and sizes follow from them, so
// neighbours neither overlap nor leave a gap, and at 96 DPI physical equals
// logical. Portable: no platform types.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

#include "picker/picker_state.h"
#include "picker/pixel_rect.h"

namespace tintra {

constexpr int kBaseDpi = 96;  // the scale is dpi / 96
constexpr int kMaxDpi = 8 * kBaseDpi;

// The DPIs for which the dialog's images are drawn (resources/*.svg and the
// field marker's pixel map): a layout takes the nearest, never a stretch.
constexpr std::array<int, 6> kImageDpis = {96, 120, 144, 192, 240, 288};

// Logical to physical at `dpi`: v * dpi / 96, rounded to the nearest with
// halves up; saturates at the int range.
int ToPhysical(int logical, int dpi);
PixelRect ToPhysical(const PixelRect& logical, int dpi);  // edges scaled

// The logical position under a physical one: the largest v with
// ToPhysical(v) <= physical. At 96 DPI and above every physical pixel maps
// to one logical position and every logical position has a physical pixel.
int ToLogical(int physical, int dpi);

// The DPI a layout is made for: below 96 counts as 96 (the dialog is never
// drawn smaller than it was designed), above kMaxDpi as kMaxDpi.
int LayoutDpi(int dpi);

// Physical thickness of a one-pixel line or outline: 1 up to 191 DPI, then
// dpi / 96 whole pixels, so lines stay sharp at fractional scales.
int LineThickness(int dpi);

// The entry of kImageDpis nearest to `dpi` (the larger on a tie).
int NearestImageDpi(int dpi);

// Template rows below the colour controls: row r (0-based) of c fields.
constexpr int kTemplateFieldHeight = 20;
// The place of field `column` (0-based) of `columns` in row `row` (0-based),
// logical; a crowded row gets width 0 and keeps the 2-pixel step, and places
// far past the window saturate at the int range instead of wrapping.
PixelRect TemplateFieldRect(int alpha_flag, std::size_t row, std::size_t column,
                            std::size_t columns);

// Logical client height for the alpha flag and the number of template rows:
// the canvas, then 22 per row and a 12-pixel margin when there are rows.
// Saturates at the int range.
int ClientHeight(int alpha_flag, int row_count);

// An element: where it lies at 96 DPI and on the display.
struct LaidRect {
  PixelRect logical;   // client pixels at 96 DPI
  PixelRect physical;  // client pixels at the layout's DPI
};

struct PressArea {
  Drag drag = Drag::kNone;
  LaidRect rect;
};

// Markers centred on a logical position or value (physical client pixels).
struct MarkerGeometry {
  int width = 0;   // physical pixels
  int height = 0;  // physical pixels
};

struct DialogLayout {
  int dpi = kBaseDpi;  // 96..kMaxDpi
  int alpha_flag = 0;  // 0 or 1
  int line = 1;        // physical thickness of a one-pixel line
  int image_dpi = kBaseDpi;

  LaidRect client;  // the whole client area
  LaidRect canvas;  // the drawn area, from (0, 0); the template rows follow it

  // Drawn elements.
  LaidRect hue_bar;
  LaidRect field;
  std::array<LaidRect, 4> strips;  // red, green, blue, alpha
  int strip_count = 3;             // 4 with the alpha flag
  LaidRect upper_swatch;           // the current colour
  LaidRect lower_swatch;           // the stored colour
  LaidRect swatches;               // both, and the checkerboard under them
  // Background repainted by every canvas stage around and under the
  // elements; what it leaves out stays clear and shows the window.
  std::array<LaidRect, 7> background;
  int background_count = 0;
  // Elements with an outline `line` pixels wide just outside them.
  std::array<LaidRect, 7> outlined;
  int outlined_count = 0;

  // Press areas, in the order they are tested.
  std::array<PressArea, 6> press_areas;
  int press_area_count = 5;  // 6 with the alpha flag

  // Overlays, at the sizes drawn for image_dpi (physical pixels).
  int field_marker_size = 15;   // square, centred on the field position
  int arrow_size = 24;          // square, centred on `arrow_centre`
  int arrow_centre_x = 336;     // where the two swatches meet: the arrow
  int arrow_centre_y = 44;      // straddles their border
  MarkerGeometry strip_marker;  // two lines beside the value's column
  MarkerGeometry hue_marker;    // two lines above and below the marker row
  int strip_marker_reach = 3;   // physical rows above the strip
  int hue_marker_reach = 3;     // physical columns left of the bar
  // Squares of the checkerboards: under the swatches, on the alpha strip.
  int swatch_check = 6;
  int strip_check = 5;

  // Widgets.
  LaidRect preset_combo;             // the closed box
  int preset_list_width = 64;        // the dropped list: room for swatch, mark and scroll bar
  int preset_list_height = 260;      // the combo with its list dropped: about twelve items
  int preset_selection_height = 22;  // inside the closed box's 3-pixel border
  std::array<LaidRect, 4> channel_fields;
  LaidRect ok_button;
  LaidRect cancel_button;
  LaidRect eyedropper_button;
  int button_face_size = 32;  // the OK and eyedropper images
  int cancel_face_size = 24;
  int preset_swatch_size = 16;
  std::vector<LaidRect> template_fields;  // per descriptor field, in its order
};

// The layout for the alpha flag (any non-zero value counts as 1), the number
// of template rows (the client height) and the DPI (through LayoutDpi), with
// the template fields at their logical places.
DialogLayout MakeDialogLayout(int alpha_flag, int row_count, int dpi,
                              std::span<const PixelRect> template_fields = {});

// The 96-DPI layout without template rows, for what works in logical
// pixels alone (the interaction).
const DialogLayout& LogicalLayout(int alpha_flag);

// Where the markers go on the display (physical client pixels), for field
// position (x, y), a channel value or the hue-bar marker row, all logical.
PixelRect FieldMarkerRect(const DialogLayout& layout, int field_x, int field_y);
PixelRect StripMarkerRect(const DialogLayout& layout, int strip, int value);
PixelRect HueMarkerRect(const DialogLayout& layout, int marker_row);

// The physical span [first, last) of logical position `v` along an axis.
struct PhysicalSpan {
  int first = 0;
  int last = 0;  // excluded
};
PhysicalSpan SpanOf(int v, int dpi);

}  // namespace tintra
