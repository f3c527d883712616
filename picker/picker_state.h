// The colour state and refresh flags of one open picker dialog, shared by
// the renderer and the interaction handlers. Portable: no platform types.
#pragma once

#include "picker/color_model.h"

namespace tintra {

// Which press area holds the left button; at most one at a time.
enum class Drag { kNone, kField, kHueBar, kRed, kGreen, kBlue, kAlpha };

// Which swatch the pointer is over; decides which arrow is drawn.
enum class Hover { kNone = 0, kUpper = 1, kLower = 2 };

struct RefreshFlags {
  bool rederive = false;  // derive hue colour and field position from the colour
  bool hue_bar = false;   // redraw the hue bar around the current hue
  bool canvas = false;    // redraw the canvas, then update the widgets
  bool paint = false;     // put the canvas on the window
};

struct PickerState {
  int alpha_flag = 0;                 // 0 or 1
  ColorValue current = 0;             // authoritative, all 32 bits
  ColorValue initial = 0;             // never changes
  ColorValue stored = 0;              // the lower swatch
  ColorValue hue = kDefaultHueColor;  // pure hue, alpha 0
  int field_x = 0;                    // 0..255
  int field_y = 0;                    // 0..255
  int hue_offset = 0;                 // 0..1530; 0 until a hue is found
  int marker_row = 0;                 // 0..321 + 22 * alpha_flag
  Drag drag = Drag::kNone;
  Hover hover = Hover::kNone;
  RefreshFlags flags;
  // A press or move in the field or on the hue bar that no refresh has read
  // back yet. The next refresh honours it even when the release came first
  // (a quick tap hands both over together); a colour set directly since
  // drops it.
  bool field_pick_pending = false;  // the field pixel under the marker becomes the colour
  bool hue_pick_pending = false;    // the bar pixel at the marker row becomes the hue
};

}  // namespace tintra
