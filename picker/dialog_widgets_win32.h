// The widgets of the picker dialog: the preset combo, the channel fields, the
// three image buttons and the template fields, created in Tab order on the
// dialog window; and the images they show.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "picker/display_dpi_win32.h"
#include "picker/handles_win32.h"
#include "picker/image.h"
#include "picker/picker_session.h"

namespace tintra {

// What the widgets show; made before the window and released after it (the
// controls do not own them).
struct WidgetImages {
  OwnedImageList preset_swatches;  // 93 entries, square, 24-bit, palette order
  OwnedIcon ok_face;
  OwnedIcon cancel_face;
  OwnedIcon eyedropper_face;
  GuiFont font;  // the default GUI font at the layout's DPI
};

// The widget windows; children of the dialog, destroyed with it. Any handle
// may be nullptr when its creation failed.
struct DialogWidgets {
  HWND preset_combo = nullptr;
  std::array<HWND, 4> channel_fields{};  // by Channel; alpha only with the alpha flag
  HWND ok_button = nullptr;
  HWND cancel_button = nullptr;
  HWND eyedropper_button = nullptr;
  std::vector<HWND> template_fields;  // per descriptor field, descriptor order
  std::vector<HWND> focus_order;      // creation order, captions excluded
  // The image buttons' tips: a popup owned by the dialog, destroyed with it.
  HWND tooltip = nullptr;
};

// Loads the button faces and builds the preset swatches and the font, at
// the sizes drawn for the layout's DPI.
void BuildWidgetImages(WidgetImages& images, const DialogLayout& layout);

// Creates every widget on `dialog` in Tab order at its place in the
// session's layout, with the default GUI font at its DPI. Output fields and
// channel fields start empty; captions show their text. The image buttons
// carry the session's tips as their (undrawn) text, which names them to
// assistive tools, and in a tooltip.
void CreateDialogWidgets(HWND dialog, const PickerSession& session, const WidgetImages& images,
                         DialogWidgets& widgets);

// After the session was laid out at another DPI: every widget to its new
// place, with `images` (built for the new layout) shown; the images shown
// before may be released once this returns.
void PlaceDialogWidgets(const PickerSession& session, const WidgetImages& images,
                        const DialogWidgets& widgets);

// An icon with per-pixel alpha from a 32-bit image (alpha not premultiplied);
// empty for an image that cannot be drawn.
OwnedIcon MakeIconFromImage(const Image& image);

// A 24-bit device-independent bitmap of the image (alpha dropped); empty for
// an image that cannot be drawn.
OwnedBitmap MakeBitmap24(const Image& image);

// Whether `window` is an edit control (the channel and output fields).
bool IsEditWidget(HWND window);

// The text of a window or widget, ANSI; empty when it has none.
std::string WindowText(HWND window);

}  // namespace tintra
