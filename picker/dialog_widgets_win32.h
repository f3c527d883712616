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
  std::array<OwnedIcon, 3> faces;  // OK, Cancel, eyedropper (ButtonIndex)
  GuiFont font;                    // the default GUI font at the layout's DPI
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
  std::vector<PlannedWidget> plan;    // the session's widget plan, in creation order
  std::vector<HWND> planned;          // per entry of `plan`
  // The image buttons' tips: a popup owned by the dialog, destroyed with it.
  HWND tooltip = nullptr;
};

// Loads the button faces and builds the preset swatches and the font, at
// the sizes drawn for the session layout's DPI.
void BuildWidgetImages(WidgetImages& images, const PickerSession& session);

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

// After the session was laid out at another DPI: the images built anew,
// every widget to its new place; the old images go once nothing shows them.
void RelayoutDialogWidgets(const PickerSession& session, WidgetImages& images,
                           const DialogWidgets& widgets);

// Tab and Shift+Tab: the focus to the next (previous) widget of the plan
// after the one that holds it, as in dialogs with a field's text selected.
void MoveWidgetFocus(HWND dialog, const DialogWidgets& widgets, bool backwards);

// The widget the first focus goes to: `first` when it is the OK button,
// else the first widget that takes one; nullptr when there is none.
HWND FirstFocusWidget(const DialogWidgets& widgets, WidgetId first);

// The field a kSetChannelText or kSetFieldText request is for, or nullptr.
HWND TextWidgetOf(const DialogWidgets& widgets, const PlatformRequest& request);

// Whether the preset combo's list is dropped (it takes Enter and Escape).
bool PresetListOpen(const DialogWidgets& widgets);

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
