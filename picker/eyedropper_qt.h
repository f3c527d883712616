// The screen eyedropper of the picker dialog on Linux: on X11 every screen is
// frozen in a full-screen copy with a magnifier that follows the pointer; on a
// Wayland session the desktop portal picks the colour.
#pragma once

#include "picker/color_model.h"

class QWidget;

namespace tintra {

// Runs the eyedropper over the picker dialog `dialog` (hidden for the run and
// shown again at its end) and blocks until a pick (true) or a cancel (false).
// `picked_color` (alpha byte 0) is the colour kept from one run to the next
// while the dialog is open, black at first; on a pick it is the picked one.
bool RunEyedropper(QWidget* dialog, ColorValue& picked_color);

}  // namespace tintra
