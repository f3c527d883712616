// Real input for Windows tests: the pointer is moved with SetCursorPos and
// the buttons and keys go through SendInput, so the windows under test get
// the same messages a user's hand would give them (hardware messages routed
// by the system to the window under the pointer or with the focus).
//
// Coordinates are screen pixels. These calls only queue input: wait for its
// effect (wintest_wait.h) before checking it.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

namespace tintra::wintest {

// Puts the pointer at `screen` and makes the system deliver a pointer move
// there (a zero relative move through SendInput).
void MovePointer(POINT screen);

// MovePointer made by the thread that owns `window` (a window of this
// process), for windows whose thread must see the move as its own. Under
// Wine a thread moves the pointer through its own connection to the X
// display; the thread that owns the window under the pointer takes the X
// motion that results as a real move, and one that arrives late puts the
// pointer back where an earlier move left it (for good, when nothing moves
// it after). A move made by the window's own thread is known to it and
// causes nothing of the kind. So within one test, make every pointer move
// this way (buttons and keys do not move the pointer and can come from any
// thread).
void MovePointerOnThreadOf(HWND window, POINT screen);

void PressLeftButton();    // at the pointer's present position
void ReleaseLeftButton();  // at the pointer's present position

// Move there, press, release.
void ClickAt(POINT screen);

// A click in the middle of the format chooser's button `id` (1..4).
void PressChooserButton(HWND chooser, int id);

// Presses at `from`, moves in `steps` (at least 1) straight-line steps to
// `to`, and releases there. `between` (may be empty) runs after the press
// and after every step, e.g. to wait for the window under test to catch up.
template <typename Between>
void DragAlong(POINT from, POINT to, int steps, Between between) {
  MovePointer(from);
  PressLeftButton();
  between();
  if (steps < 1) steps = 1;
  for (int i = 1; i <= steps; ++i) {
    const POINT p{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps};
    MovePointer(p);
    between();
  }
  ReleaseLeftButton();
}

// Moves the pointer through every point of `screen_path` in one SendInput
// call: a burst of pointer moves as fast as the system takes them. The
// points are absolute screen positions (scaled to the system's 0..65535
// range, so each may land a pixel off).
void SendPointerPath(const std::vector<POINT>& screen_path);

// SendPointerPath made by the thread that owns `window` (see
// MovePointerOnThreadOf).
void SendPointerPathOnThreadOf(HWND window, const std::vector<POINT>& screen_path);

// Presses and releases a virtual key (VK_TAB, VK_RETURN...).
void PressKey(WORD virtual_key);

// The same as a key of the keyboard's extended set: VK_RETURN is then the
// numeric keypad's Enter.
void PressExtendedKey(WORD virtual_key);

// Presses or releases one key alone, e.g. to hold a modifier until its
// effect has been seen, as a hand does (pressed and released at once, it may
// be up again by the time the program reads it).
void HoldKey(WORD virtual_key);
void ReleaseKey(WORD virtual_key);

// The same with a modifier held (VK_SHIFT, VK_CONTROL, VK_MENU).
void PressKeyWith(WORD modifier, WORD virtual_key);

// Types the characters of `text` (printable ASCII) as Unicode key strokes,
// the way an input method delivers them; the focused control gets WM_CHAR.
void TypeText(std::string_view text);

}  // namespace tintra::wintest
