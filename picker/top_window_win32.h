// The shell's top-level windows on Win32: their window class, the outer
// size for an exact client area, where they go, and the client area made
// exact once they exist. The dialog, the format chooser, the eyedropper and
// the editor link all make their windows this way.
#pragma once

#include <windows.h>

#include "picker/window_placement.h"

namespace tintra {

// A window class of this module with the arrow pointer and `background`
// (nullptr: none), for a RegisteredClass (picker/handles_win32.h).
WNDCLASSEXA ShellWindowClass(const char* name, WNDPROC procedure, HBRUSH background);

// The outer size of a window of `style` and `ex_style` whose client area is
// client_width x client_height at `dpi`.
SIZE OuterSizeForClient(int client_width, int client_height, DWORD style, DWORD ex_style, int dpi);

// An outer window of `outer` size centred over `owner` (CenterOverOwner),
// or with no owner (nullptr, or one whose rectangle cannot be read) on the
// primary screen (CenterOnScreen, which limits the size to the screen's).
WindowPlacement CenterWindow(HWND owner, SIZE outer);

// Makes the client area of `window` exactly client_width x client_height,
// whatever the system's frame metrics; the window keeps its top-left corner.
void FitClientSize(HWND window, int client_width, int client_height);

}  // namespace tintra
