// Drawing of the picker's colour area: the images the dialog builds when it
// opens, the refresh stages that redraw the hue bar and the canvas, and the
// read-back of the colour under the field marker. Portable: the platform
// shell only puts the finished canvas on the window.
//
// Canvas coordinates equal the dialog's physical client coordinates; the
// places come from the DialogLayout the images were built for. The colour
// state stays logical: the read-back and the hue-bar drag read the 96-DPI
// field and bar, whatever the scale, so a position gives the same colour at
// every scale. a is the alpha flag (0 or 1).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "picker/color_model.h"
#include "picker/dialog_layout.h"
#include "picker/image.h"
#include "picker/picker_state.h"

namespace tintra {

// Every image of one open dialog, built once when it opens. Sizes are given
// at 96 DPI; the drawn images (strips, checkerboards, markers, overlays, the
// canvas) have their physical sizes at layout.dpi. The three overlays are
// plain values so that a caller (or a test) may put others in.
struct DialogImages {
  int alpha_flag = 0;         // 0 or 1: decides the sizes below
  DialogLayout layout;        // where everything is drawn; no template fields
  Image field_overlay;        // 256 x 256, 32-bit: white fading right, black fading down
  Image red_strip;            // 256 x 10, 32-bit, column i = (i, 0, 0)
  Image green_strip;          // 256 x 10, 32-bit
  Image blue_strip;           // 256 x 10, 32-bit
  Image alpha_strip;          // 256 x 10, 32-bit; alpha flag only, else empty
  Image swatch_checkerboard;  // 48 x 64, 32-bit; alpha flag only, else empty
  Image canvas;               // 372 x (346 + 22a), 32-bit, starts transparent
  Image strip_marker;         // 3 x 16, 32-bit
  Image hue_marker;           // 26 x 3, 32-bit
  Image hue_bar;              // 20 x (322 + 22a), 32-bit, drawn by the hue-bar stage
  HueTable hue_table;
  Image field_marker;   // 15 x 15, 32-bit ring
  Image store_arrow;    // 24 x 24, 32-bit, shown over the upper swatch
  Image restore_arrow;  // 24 x 24, 32-bit, shown over the lower swatch

  // Away from 96 DPI only (else empty): the hue bar drawn row by physical row
  // (the logical hue_bar above keeps the colours a drag reads), and the
  // colour field's weights per physical column and row, in 1/65536: white's
  // opacity from its continuous logical x, black's transparency from its y.
  Image drawn_hue_bar;
  std::vector<std::uint32_t> field_white;    // 0..65536 per physical column
  std::vector<std::uint32_t> field_light;    // 0..65536 per physical row
  std::vector<std::uint16_t> field_columns;  // scratch of the field drawing

  // At 96 DPI only (else none): field_overlay in the form the field drawing
  // reads, made from it when the images are built; whoever puts another
  // overlay in clears it, and the overlay itself is drawn.
  GreyOverlay field_mix;
  // The layout's background boxes less the field, without overlaps.
  std::vector<PixelRect> background_rects;

  // Retained drawing. The base is the canvas without the swatches, the
  // arrow and the markers; it is redrawn in the canvas when the background
  // colour differs, after a hue-bar redraw, or when base_valid is cleared
  // (which whoever changes one of the images above after the first canvas
  // stage must do); its field alone when the hue differs. marker_rects:
  // where the last canvas stage drew its markers, clipped to the canvas;
  // under_markers: the canvas pixels they covered, rectangle after
  // rectangle, row by row. overdrawn: a stage drawn in order may have left
  // overlay pixels outside the base, so the next base starts from a clear
  // canvas.
  ColorValue base_background = 0;
  ColorValue base_hue = 0;
  bool base_valid = false;
  bool overdrawn = false;
  std::array<PixelRect, 6> marker_rects{};
  int marker_rect_count = 0;  // 0..6
  std::vector<ColorValue> under_markers;
};

// Builds every image above for `layout` (loading the three overlays from the
// program's embedded data, at the sizes drawn for its DPI) and fills the hue
// table. The first form builds the 96-DPI layout; any non-zero alpha_flag
// counts as 1.
void BuildDialogImages(DialogImages& images, int alpha_flag);
void BuildDialogImages(DialogImages& images, const DialogLayout& layout);

// A preset's combo item image, `size` pixels square, 24-bit, filled with
// `color`.
Image MakePresetSwatch(ColorValue color, int size = 16);

// Grey of row or column i of a marker: 255 * (4t - 4t^2), t = i / (count - 1),
// rounded half to even. 0..255.
int MarkerGrey(int i, int count);

// The refresh stages. Each runs unconditionally; RunRefreshStages runs each
// only when its flag is set and clears the flag. Field position and marker
// row are first brought into range, so no stage reads outside an image.
// Sizes and places follow images.alpha_flag, the flag the images were
// built with.
void RunRederiveStage(PickerState& state);
void RunHueBarStage(PickerState& state, DialogImages& images);
// Draws both hue bars (logical and, away from 96 DPI, the drawn one) around
// hue offset 0..1530, as the hue-bar stage does once it has found the hue.
void RedrawHueBars(DialogImages& images, int hue_offset);
// Ends by setting flags.paint. `background` is the window colour (alpha
// ignored, drawn opaque). RunCanvasStage redraws only what changed since
// the last canvas stage (see DialogImages::base); RunCanvasStageFull draws
// everything in the drawing order, and gives the same pixels.
void RunCanvasStage(PickerState& state, DialogImages& images, ColorValue background);
void RunCanvasStageFull(PickerState& state, DialogImages& images, ColorValue background);
void RunRefreshStages(PickerState& state, DialogImages& images, ColorValue background);

// What reaches the screen: `canvas` laid by the blend rule over the opaque
// window colour. width * height pixels, same layout as Image, alpha 255.
// `out` is resized; the second form allocates.
void CompositeOver(const Image& canvas, ColorValue window_color, std::vector<ColorValue>& out);
std::vector<ColorValue> CompositeOver(const Image& canvas, ColorValue window_color);

}  // namespace tintra
