// The display's DPI on Win32, for the windows that lay themselves out at
// the DPI of their monitor: what a monitor or a window has, the frame for a
// client size at a DPI, and the default GUI font at a DPI. The newer calls
// are looked up at run time, so that older systems (without per-monitor
// DPI) still run the programs, at the system's DPI.
#pragma once

#include <windows.h>

#include "picker/handles_win32.h"

// Sent to a per-monitor aware window that moved to a monitor of another DPI;
// older headers lack it.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace tintra {

// The system's DPI: the primary monitor's when the session began.
int SystemDpi();

// The DPI a window is laid out at: its monitor's for a per-monitor aware
// program, the system's when the system does not say. A window knows its
// monitor once it exists, so the windows are made hidden at the system's
// DPI, then laid out again when their monitor has another.
int WindowDpi(HWND window);

// The outer window rectangle for the client rectangle `r` at `dpi`, as
// AdjustWindowRectEx does for the system's DPI.
void AdjustWindowRectForDpi(RECT& r, DWORD style, DWORD ex_style, int dpi);

// The system's default GUI font at `dpi`: the stock object itself at the
// system's DPI (nothing to release), a scaled copy of it otherwise.
struct GuiFont {
  HFONT font = nullptr;   // what the widgets get; never nullptr
  OwnedGdiObject scaled;  // set when `font` is a scaled copy
};
void MakeGuiFont(GuiFont& font, int dpi);

// Sets the calling thread's DPI awareness; gives the previous one, or
// nullptr when the system lacks the call or refuses the context.
DPI_AWARENESS_CONTEXT SetThreadDpiContext(DPI_AWARENESS_CONTEXT context);
// The same for per-monitor awareness, V2 else V1.
DPI_AWARENESS_CONTEXT SetThreadPerMonitorAware();

// Makes the calling thread per-monitor DPI-aware (V2, else V1) where the
// system offers it (Windows 10 1607 and later; V2 from 1703), so that
// monitor rectangles, captures, window positions and the pointer are
// physical pixels even when the program itself is not DPI-aware. The
// previous awareness is given back by Restore() or at the end.
struct ThreadDpiAwareness {
  DPI_AWARENESS_CONTEXT previous = nullptr;  // nullptr: nothing to give back

  ThreadDpiAwareness();
  ThreadDpiAwareness(const ThreadDpiAwareness&) = delete;
  ThreadDpiAwareness& operator=(const ThreadDpiAwareness&) = delete;
  ~ThreadDpiAwareness() { Restore(); }

  void Restore();
};

}  // namespace tintra
