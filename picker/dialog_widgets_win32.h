// The widgets of the picker dialog: the preset combo, the channel fields, the
// three image buttons and the template fields, created in Tab order on the
// dialog window; and the images they show.
#pragma once

#include <windows.h>

#include <array>
#include <vector>

#include "picker/image.h"
#include "picker/picker_session.h"
#include "picker/win32_handles.h"

namespace tintra {

// Widget rectangles, client pixels (x, y, width, height).
struct WidgetRect {
  int x, y, width, height;
};
constexpr WidgetRect kPresetComboRect{312, 78, 48, 28};  // height of the closed box
constexpr WidgetRect kOkButtonRect{312, 188, 48, 40};
constexpr WidgetRect kCancelButtonRect{312, 228, 48, 40};
constexpr WidgetRect kEyedropperButtonRect{312, 136, 48, 40};
constexpr int kChannelFieldX = 312;
constexpr int kChannelFieldTop = 275;  // red; green, blue, alpha follow 22 apart
constexpr int kChannelFieldStep = 22;
constexpr int kChannelFieldWidth = 32;
constexpr int kChannelFieldHeight = 20;

// What the widgets show; made before the window and released after it (the
// controls do not own them).
struct WidgetImages {
  OwnedImageList preset_swatches;  // 93 entries of 16 x 16, 24-bit, palette order
  OwnedIcon ok_face;
  OwnedIcon cancel_face;
  OwnedIcon eyedropper_face;
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
};

// Loads the button faces and builds the preset swatches.
void BuildWidgetImages(WidgetImages& images);

// Creates every widget on `dialog` in Tab order, with the default GUI font.
// Output fields and channel fields start empty; captions show their text.
void CreateDialogWidgets(HWND dialog, const PickerSession& session, const WidgetImages& images,
                         DialogWidgets& widgets);

// An icon with per-pixel alpha from a 32-bit image (alpha not premultiplied);
// nullptr for an image that cannot be drawn.
HICON MakeIconFromImage(const Image& image);

// A 24-bit device-independent bitmap of the image (alpha dropped); nullptr
// for an image that cannot be drawn. The caller deletes it.
HBITMAP MakeBitmap24(const Image& image);

// Whether `window` is an edit control (the channel and output fields).
bool IsEditWidget(HWND window);

}  // namespace tintra
