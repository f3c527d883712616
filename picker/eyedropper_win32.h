// The screen eyedropper of the picker dialog on Win32: freezes every monitor
// in a full-screen copy, shows a magnifier that follows the pointer, and
// takes the pixel under the pointer on a left click or Enter. The arrow keys
// move the pointer by a pixel (with Shift by ten) for a pixel-exact aim. The
// run's rules and the magnifier's pixels are the portable
// picker/eyedropper_run.h; this is its shell.
#pragma once

#include <windows.h>

#include <string>

#include "picker/color_model.h"

namespace tintra {

// Runs the eyedropper over the picker dialog `dialog`, which is hidden for
// the run and shown again at its end; its windows carry `title`. Blocks in a
// nested message loop on the calling thread until a left click on the frozen
// screen or Enter (result true), Escape, or a close request (result false).
// The run ends when the button or Enter comes up again, so that its release
// does not reach the dialog.
//
// `picked_colour` (alpha byte 0) is the colour of the pixel under the
// pointer at the last magnifier update. The caller keeps it from one run to
// the next while its dialog is open (black at first): a click without any
// pointer move since the start (a click or Enter) takes the value it had on
// entry.
//
// The pointer positions and captures are physical pixels, also when the
// program is not DPI-aware and the display is scaled (where the system lets
// a thread change its DPI awareness). Everything the run makes is released
// before it returns, on every path.
bool RunEyedropper(HWND dialog, const std::string& title, ColorValue& picked_color);

}  // namespace tintra
