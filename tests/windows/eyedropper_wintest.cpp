// The screen eyedropper of the picker dialog under real input. A window of
// the test covers the whole virtual screen with a pattern in which every
// pixel has its own colour, so a picked colour names the exact pixel. The
// dialog runs on a thread of its own; the main thread presses the dialog's
// eyedropper button, moves the pointer, clicks and presses keys
// (SetCursorPos, SendInput), reads the eyedropper's windows and the screen,
// and checks the colour the dialog ends up with and returns. Every wait is
// bounded and polls.
//
//   eyedropper_wintest [--soak RUNS] [section]
//                                  runs the sections whose name contains
//                                  `section`; the soak makes RUNS runs (200)
//   eyedropper_wintest --dpi-child 144
//                                  the scaled-display part, run by the "dpi"
//                                  section with the prefix's DPI set to 144

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "picker/bitmaps_win32.h"
#include "picker/eyedropper.h"
#include "picker/eyedropper_win32.h"
#include "tests/rgba.h"
#include "tests/windows/support/wintest_dialog.h"
#include "tests/windows/support/wintest_input.h"
#include "tests/windows/support/wintest_report.h"
#include "tests/windows/support/wintest_screen.h"
#include "tests/windows/support/wintest_usage.h"
#include "tests/windows/support/wintest_wait.h"
#include "tests/windows/support/wintest_windows.h"
#include "tests/windows/support/wintest_wine.h"

namespace {

using namespace tintra;
using namespace tintra::wintest;

TestReport g_report;

// Dialog client points (pixels).
constexpr POINT kEyedropperButton{336, 156};
constexpr POINT kOkButton{336, 208};
constexpr POINT kUpperSwatch{336, 28};
constexpr POINT kLowerSwatch{336, 60};

// Magnifier client size, pixels: scaled with the display in the child run
// at another DPI.
int g_magnifier = kMagnifierSize;
int g_dpi_child = 96;

std::string PointText(POINT p) {
  return "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")";
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// --- Monitors ----------------------------------------------------------------

BOOL CALLBACK AddMonitorRect(HMONITOR, HDC, LPRECT rect, LPARAM list) {
  reinterpret_cast<std::vector<RECT>*>(list)->push_back(*rect);
  return TRUE;
}

// Monitor rectangles in enumeration order (physical pixels: Wine runs
// programs per-monitor DPI-aware unless they say otherwise).
std::vector<RECT> Monitors() {
  std::vector<RECT> list;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitorRect, reinterpret_cast<LPARAM>(&list));
  return list;
}

RECT PrimaryMonitor() {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
  return info.rcMonitor;
}

bool OnMonitor(const RECT& m, int x, int y) {
  return x >= m.left && x < m.right && y >= m.top && y < m.bottom;
}

// --- The pattern -------------------------------------------------------------

// Covers the virtual screen; pixel (x, y) has a colour of its own.
struct PatternWindow {
  RECT screen{};  // virtual screen
  HWND window = nullptr;
  std::vector<std::uint32_t> bgra;  // top row first
};

PatternWindow g_pattern;

// The pattern's colour at screen pixel (x, y), red in the low byte: red and
// green are the low 8 bits of the column and row (counted from the virtual
// screen's corner), blue holds their next 4 bits each.
ColorValue PatternAt(int x, int y) {
  const int ux = x - g_pattern.screen.left;
  const int uy = y - g_pattern.screen.top;
  return Rgba(ux & 0xFF, uy & 0xFF, ((ux >> 8) & 0xF) | (((uy >> 8) & 0xF) << 4), 0);
}

LRESULT CALLBACK PatternProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      const int width = g_pattern.screen.right - g_pattern.screen.left;
      const int height = g_pattern.screen.bottom - g_pattern.screen.top;
      const BITMAPINFO info = TopDownBitmapInfo(width, height, 32);
      SetDIBitsToDevice(dc, 0, 0, width, height, 0, 0, 0, height, g_pattern.bgra.data(), &info,
                        DIB_RGB_COLORS);
      EndPaint(window, &paint);
      return 0;
    }
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

bool ShowPattern() {
  RECT& s = g_pattern.screen;
  s.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  s.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  s.right = s.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  s.bottom = s.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  const int width = s.right - s.left;
  const int height = s.bottom - s.top;
  g_pattern.bgra.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const ColorValue c = PatternAt(x + s.left, y + s.top);
      g_pattern.bgra[static_cast<size_t>(y) * width + x] = SwapRedBlue(c);
    }
  }
  WNDCLASSA wc{};
  wc.lpfnWndProc = PatternProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = "EyedropperTestPattern";
  RegisterClassA(&wc);
  g_pattern.window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName,
                                     "Pattern", WS_POPUP | WS_VISIBLE, s.left, s.top, width, height,
                                     nullptr, nullptr, wc.hInstance, nullptr);
  if (!Check(g_report, g_pattern.window != nullptr, "pattern window", "created", "not created")) {
    return false;
  }
  const RECT primary = PrimaryMonitor();
  const POINT probes[] = {{primary.left, primary.top}, {primary.right - 1, primary.bottom - 1}};
  for (const POINT& p : probes) {
    std::vector<std::uint32_t> got;
    const bool shown = WaitUntil([&] {
      got = CaptureScreen(RECT{p.x, p.y, p.x + 1, p.y + 1});
      return got.size() == 1 && (got[0] & 0xFFFFFFu) == PatternAt(p.x, p.y);
    });
    if (!Check(g_report, shown, "pattern on the screen at " + PointText(p),
               Hex32(PatternAt(p.x, p.y)), got.empty() ? "no capture" : Hex32(got[0] & 0xFFFFFF))) {
      return false;
    }
  }
  return true;
}

// --- The dialog on its own thread ----------------------------------------------

// The dialog of an eyedropper test: a row of captions and a row of
// templates under its title.
void Prepare(RunningDialog& run, const char* title, ColorValue initial, int alpha_flag) {
  run.job.descriptor = std::string(title) + "\nRGB\nRGB(?r, ?g, ?b)";
  run.job.initial = initial;
  run.job.alpha_flag = alpha_flag;
}

POINT Screen(const RunningDialog& run, POINT client) {
  return ClientPointOnScreen(run.window, client.x, client.y);
}

void ConfirmExpecting(RunningDialog& run, ColorValue expected, std::string_view what) {
  ClickAt(Screen(run, kOkButton));
  CheckEqual(g_report, what, Hex32(expected), Hex32(WaitForResult(g_report, run)));
}

// --- The eyedropper's windows ---------------------------------------------------

struct EyedropperWindows {
  HWND magnifier = nullptr;
  std::vector<HWND> full_screen;
};

// Visible top-level windows of this process titled like the dialog, other
// than the dialog: the 121 x 121 one is the magnifier.
EyedropperWindows FindEyedropperWindows(const RunningDialog& run) {
  EyedropperWindows found;
  for (HWND w : FindTopWindows(GetCurrentProcessId(), run.title)) {
    if (w == run.window) continue;
    RECT r;
    GetWindowRect(w, &r);
    if (r.right - r.left == g_magnifier && r.bottom - r.top == g_magnifier) {
      found.magnifier = w;
    } else {
      found.full_screen.push_back(w);
    }
  }
  return found;
}

POINT MagnifierAt(HWND magnifier) {
  RECT r{};
  GetWindowRect(magnifier, &r);
  return {r.left, r.top};
}

// A running eyedropper as the test sees it.
struct Picking {
  EyedropperWindows windows;
  long idle_mark = 0;  // the dialog's idle count while the eyedropper runs
  long canvas_mark = 0;
};

// Starts the eyedropper with the button (by a click, or with the Space key
// when the button has the focus) and waits for the magnifier.
// Where the last magnifier stood: the next capture must not find it there.
RECT g_last_magnifier{};

// Waits until the windows under the last magnifier have repainted (the
// pattern is back outside the dialog), so that a new capture sees the pattern
// rather than what the old magnifier left on the screen.
bool WaitForScreenSettled(const RunningDialog& run) {
  RECT area{};
  if (!IntersectRect(&area, &g_last_magnifier, &g_pattern.screen)) return true;
  RECT dialog{};
  GetWindowRect(run.window, &dialog);
  POINT stale{};
  const bool settled = WaitUntil([&] {
    const std::vector<std::uint32_t> got = CaptureScreen(area);
    if (got.empty()) return false;
    const int width = area.right - area.left;
    for (size_t i = 0; i < got.size(); ++i) {
      const POINT p{area.left + static_cast<int>(i % width),
                    area.top + static_cast<int>(i / width)};
      if (PtInRect(&dialog, p)) continue;
      if ((got[i] & 0xFFFFFFu) != PatternAt(p.x, p.y)) {
        stale = p;
        return false;
      }
    }
    return true;
  });
  return Check(g_report, settled, "screen under the last magnifier " + RectText(area),
               "the pattern again", "other pixels at " + PointText(stale));
}

bool StartEyedropper(const RunningDialog& run, Picking& picking, bool by_key = false) {
  WaitForScreenSettled(run);
  picking = {};
  picking.canvas_mark = GetDialogProbe().canvas_redraws.load();
  if (by_key) {
    PressKey(VK_SPACE);
  } else {
    ClickAt(Screen(run, kEyedropperButton));
  }
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const bool up = WaitUntil([&] {
    picking.windows = FindEyedropperWindows(run);
    return picking.windows.magnifier != nullptr && !IsWindowVisible(run.window) &&
           GetGUIThreadInfo(run.thread_id, &info) && info.hwndFocus == picking.windows.magnifier;
  });
  picking.idle_mark = Snapshot().idle_count;
  return Check(g_report, up, "eyedropper", "magnifier shown with the focus, dialog hidden",
               picking.windows.magnifier == nullptr ? "no magnifier"
               : IsWindowVisible(run.window)        ? "dialog still visible"
                                                    : "focus elsewhere");
}

// Waits until the eyedropper has ended and the dialog is back and idle.
bool WaitForDialogBack(const RunningDialog& run, const Picking& picking, std::string_view what) {
  std::string got = "eyedropper windows still open";
  const bool back = WaitUntil([&] {
    const EyedropperWindows left = FindEyedropperWindows(run);
    if (left.magnifier != nullptr || !left.full_screen.empty()) return false;
    got = "dialog hidden";
    if (!IsWindowVisible(run.window)) return false;
    got = "dialog not idle again";
    return Snapshot().idle_count > picking.idle_mark;
  });
  return Check(g_report, back, what, "dialog shown again, eyedropper windows gone", got);
}

// Moves the pointer and waits until the magnifier sits at `expected`. The
// move is made by the eyedropper's thread, so that it cannot come back late
// and undo a move of the arrow keys.
bool MoveExpecting(const Picking& picking, POINT pointer, POINT expected) {
  MovePointerOnThreadOf(picking.windows.magnifier, pointer);
  POINT got{};
  const bool ok = WaitUntil([&] {
    got = MagnifierAt(picking.windows.magnifier);
    return got.x == expected.x && got.y == expected.y;
  });
  if (ok) g_last_magnifier = RECT{got.x, got.y, got.x + g_magnifier, got.y + g_magnifier};
  return Check(g_report, ok, "magnifier for the pointer at " + PointText(pointer),
               PointText(expected), PointText(got));
}

// What the magnifier shows for the pointer at `pointer` on monitor `m`, from
// the portable pixel map (tested natively): the zoom's pixels come from the
// pattern, black beyond the monitor's edges.
std::vector<std::uint32_t> ExpectedMagnifier(POINT pointer, const RECT& m) {
  std::vector<std::uint32_t> pixels(g_magnifier * g_magnifier, 0);
  for (int v = 0; v < g_magnifier; ++v) {
    for (int u = 0; u < g_magnifier; ++u) {
      const MagnifierPixel shown = ScaledMagnifierPixelAt(u, v, g_magnifier);
      std::uint32_t c = 0;
      if (!shown.frame) {
        const int x = pointer.x - kZoomCentre + shown.zoom_x;
        const int y = pointer.y - kZoomCentre + shown.zoom_y;
        if (OnMonitor(m, x, y)) c = PatternAt(x, y);
      }
      if (shown.inverted) c ^= 0xFFFFFFu;
      pixels[static_cast<size_t>(v) * g_magnifier + u] = c;
    }
  }
  return pixels;
}

// Waits until the screen shows the expected magnifier (its drawing reaches
// the screen a little after the move).
bool CheckMagnifierPixels(const Picking& picking, POINT pointer, const RECT& monitor) {
  const std::vector<std::uint32_t> want = ExpectedMagnifier(pointer, monitor);
  const POINT at = MagnifierAt(picking.windows.magnifier);
  int wrong = 0;
  size_t first = 0;
  std::vector<std::uint32_t> got;
  WaitUntil(
      [&] {
        got = CaptureScreen(RECT{at.x, at.y, at.x + g_magnifier, at.y + g_magnifier});
        if (got.size() != want.size()) return false;
        wrong = 0;
        for (size_t i = 0; i < got.size(); ++i) {
          if ((got[i] & 0xFFFFFFu) != want[i] && wrong++ == 0) first = i;
        }
        return wrong == 0;
      },
      3000);
  if (got.size() != want.size()) {
    return Check(g_report, false, "magnifier pixels", "a capture", "none");
  }
  const int u = static_cast<int>(first % g_magnifier);
  const int v = static_cast<int>(first / g_magnifier);
  return Check(g_report, wrong == 0, "magnifier pixels for the pointer at " + PointText(pointer),
               "all " + std::to_string(g_magnifier) + " square as drawn from the pattern",
               std::to_string(wrong) + " differ, first at (" + std::to_string(u) + ", " +
                   std::to_string(v) + "): " + Hex32(want[first]) + " vs " +
                   Hex32(got[first] & 0xFFFFFF));
}

// Clicks the frozen screen where the pointer is and waits for the dialog.
bool ClickToPick(const RunningDialog& run, const Picking& picking) {
  PressLeftButton();
  ReleaseLeftButton();
  return WaitForDialogBack(run, picking, "after the click");
}

bool EscapeAndWait(const RunningDialog& run, const Picking& picking) {
  PressKey(VK_ESCAPE);
  return WaitForDialogBack(run, picking, "after Escape");
}

// Runs the eyedropper once: move to `pointer`, click; the dialog's colour
// becomes the pattern there with the alpha byte kept.
bool PickAt(RunningDialog& run, POINT pointer, POINT magnifier) {
  Picking picking;
  if (!StartEyedropper(run, picking)) return false;
  if (!MoveExpecting(picking, pointer, magnifier)) return false;
  const ColorValue alpha = Snapshot().picker.current & 0xFF000000u;
  if (!ClickToPick(run, picking)) return false;
  const ColorValue want = PatternAt(pointer.x, pointer.y) | alpha;
  return WaitForState(g_report, run,
                      "current colour " + Hex32(want) + " picked at " + PointText(pointer),
                      [&](const DialogSnapshot& s) { return s.picker.current == want; });
}

// The colour, the stored colour and the drawing are as before the run.
void CheckUntouched(const Picking& picking, const DialogSnapshot& before, std::string_view how) {
  const DialogSnapshot after = Snapshot();
  CheckEqual(g_report, std::string(how) + ": current colour", Hex32(before.picker.current),
             Hex32(after.picker.current));
  CheckEqual(g_report, std::string(how) + ": stored colour", Hex32(before.picker.stored),
             Hex32(after.picker.stored));
  CheckEqual(g_report, std::string(how) + ": canvas redraws", picking.canvas_mark,
             GetDialogProbe().canvas_redraws.load());
}

// Presses an arrow key (with Shift held when `shift`) and waits until the
// pointer is at `expected` on monitor `m` and the magnifier placed and drawn
// for it. Where the key should not move the pointer the wait cannot tell
// whether the key was handled yet: follow such a key with one that moves it
// (keys are handled in order) before anything else.
bool NudgeExpecting(const Picking& picking, WORD key, bool shift, POINT expected, const RECT& m) {
  if (shift) HoldKey(VK_SHIFT);
  PressKey(key);
  const ScreenPoint place =
      PlaceMagnifier({m.left, m.top, m.right - m.left, m.bottom - m.top}, expected.x, expected.y);
  POINT pointer{};
  POINT at{};
  const bool ok = WaitUntil([&] {
    GetCursorPos(&pointer);
    at = MagnifierAt(picking.windows.magnifier);
    return pointer.x == expected.x && pointer.y == expected.y && at.x == place.x && at.y == place.y;
  });
  if (shift) ReleaseKey(VK_SHIFT);
  if (ok) g_last_magnifier = RECT{at.x, at.y, at.x + g_magnifier, at.y + g_magnifier};
  const char* name = key == VK_LEFT    ? "Left"
                     : key == VK_RIGHT ? "Right"
                     : key == VK_UP    ? "Up"
                                       : "Down";
  return Check(g_report, ok, std::string(shift ? "Shift+" : "") + name + ": pointer and magnifier",
               PointText(expected) + ", " + PointText(POINT{place.x, place.y}),
               PointText(pointer) + ", " + PointText(at)) &&
         CheckMagnifierPixels(picking, expected, m);
}

// Drops every pointer move of the dialog's thread while it is set: the system
// reports one when the eyedropper's windows appear under the pointer.
LRESULT CALLBACK DropMoves(int code, WPARAM wparam, LPARAM lparam) {
  auto* msg = reinterpret_cast<MSG*>(lparam);
  if (code == HC_ACTION && msg->message == WM_MOUSEMOVE) msg->message = WM_NULL;
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

// The dialog of `run` (opened twice) ended by OK: the first gave `first`, and
// the second, on the same thread and perhaps with the same window handle,
// picks black with no move at all (alpha kept), not the first one's colour.
void CheckSecondDialogStartsFromBlack(RunningDialog& run, ColorValue first) {
  const HWND first_window = run.window;
  if (!OpenAgain(g_report, run)) return CloseIfOpen(g_report, run);
  CheckEqual(g_report, "first dialog", Hex32(first), Hex32(run.job.first_result.load()));
  std::printf("   second dialog's window: %s handle\n",
              run.window == first_window ? "the same" : "another");
  const ColorValue black = first & kAlphaMask;
  HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, DropMoves, nullptr, run.thread_id);
  Check(g_report, hook != nullptr, "message hook on the dialog's thread", "set", "not set");
  Picking picking;
  if (hook != nullptr && StartEyedropper(run, picking)) {
    PressKey(VK_RETURN);
    WaitForDialogBack(run, picking, "after Enter");
    WaitForState(g_report, run, "second dialog's first pick without a move: " + Hex32(black),
                 [&](const DialogSnapshot& s) { return s.picker.current == black; });
  }
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  ConfirmExpecting(run, black, "second dialog");
}

// --- Sections ------------------------------------------------------------------

// The eyedropper's windows, a pick with the magnifier's pixels, Escape, a
// start from the keyboard that picks without a move, then the same dialog
// opened again; alpha flag 1.
void TestPickWithAlpha() {
  BeginSection(g_report, "pick with the alpha flag");
  RunningDialog run;
  Prepare(run, "Eyedropper alpha", Rgba(0x10, 0x20, 0x30, 0x80), 1);
  run.job.open_twice = true;
  if (!StartDialog(g_report, run)) return CloseIfOpen(g_report, run);
  const RECT dialog_rect = [&] {
    RECT r;
    GetWindowRect(run.window, &r);
    return r;
  }();

  Picking picking;
  if (!StartEyedropper(run, picking)) return CloseIfOpen(g_report, run);
  const std::vector<RECT> monitors = Monitors();
  CheckEqual(g_report, "full-screen windows", monitors.size(), picking.windows.full_screen.size());
  for (const RECT& m : monitors) {
    HWND over = nullptr;
    for (HWND w : picking.windows.full_screen) {
      RECT r;
      GetWindowRect(w, &r);
      if (SameRect(r, m)) over = w;
    }
    if (!Check(g_report, over != nullptr, "full-screen window over the monitor " + RectText(m),
               "one", "none")) {
      continue;
    }
    CheckEqual(g_report, "full-screen window's owner", run.window, GetWindow(over, GW_OWNER));
    CheckEqual(g_report, "full-screen window top-most", true,
               (GetWindowLongPtrA(over, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
    HWND image = GetWindow(over, GW_CHILD);
    CheckEqual(g_report, "image control class", std::string("Static"), ClassName(image));
    CheckEqual(g_report, "image control at natural size",
               RectText(RECT{0, 0, m.right - m.left, m.bottom - m.top}),
               RectText(RectInClient(image, over)));
  }
  HWND magnifier = picking.windows.magnifier;
  CheckEqual(g_report, "magnifier's owner", run.window, GetWindow(magnifier, GW_OWNER));
  CheckEqual(g_report, "magnifier top-most", true,
             (GetWindowLongPtrA(magnifier, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
  const SIZE client = ClientSize(magnifier);
  CheckEqual(g_report, "magnifier client size", std::string("121 x 121"),
             std::to_string(client.cx) + " x " + std::to_string(client.cy));

  const RECT primary = PrimaryMonitor();
  const POINT p{primary.left + 200, primary.top + 150};
  if (MoveExpecting(picking, p, POINT{p.x + 16, p.y + 16})) {
    CheckMagnifierPixels(picking, p, primary);
  }
  ClickToPick(run, picking);
  const ColorValue picked = PatternAt(p.x, p.y) | 0x80000000u;
  WaitForState(g_report, run, "picked " + Hex32(picked) + ", stored colour kept",
               [&](const DialogSnapshot& s) {
                 return s.picker.current == picked && s.picker.stored == run.job.initial;
               });
  RECT after;
  GetWindowRect(run.window, &after);
  CheckEqual(g_report, "dialog rectangle after the eyedropper", RectText(dialog_rect),
             RectText(after));

  // Escape after a move: nothing changes, nothing is redrawn.
  const POINT q{primary.left + 250, primary.top + 120};
  DialogSnapshot before = Snapshot();
  if (StartEyedropper(run, picking) && MoveExpecting(picking, q, POINT{q.x + 16, q.y + 16}) &&
      EscapeAndWait(run, picking)) {
    CheckUntouched(picking, before, "Escape");
  }

  // Started from the keyboard with the pointer left at q: a press without a
  // move takes the colour of the last magnifier update, the one at q.
  if (StartEyedropper(run, picking, true)) {
    const POINT at = MagnifierAt(picking.windows.magnifier);
    std::printf("   keyboard start: magnifier at %s before the press (%s)\n", PointText(at).c_str(),
                at.x == 0 && at.y == 0 ? "no move seen" : "the system reported a move");
    ClickToPick(run, picking);
    const ColorValue want = PatternAt(q.x, q.y) | 0x80000000u;
    WaitForState(g_report, run, "picked " + Hex32(want) + " without a move",
                 [&](const DialogSnapshot& s) { return s.picker.current == want; });
  }
  ClickAt(Screen(run, kOkButton));
  CheckSecondDialogStartsFromBlack(run, PatternAt(q.x, q.y) | 0x80000000u);
}

// Alpha flag 0; the outermost column and row; the magnifier's flip at the
// right and bottom edges and in the corner.
void TestEdges() {
  BeginSection(g_report, "edges without the alpha flag");
  RunningDialog run;
  Prepare(run, "Eyedropper edges", Rgba(1, 2, 3, 0x5A), 0);
  if (!StartDialog(g_report, run)) return CloseIfOpen(g_report, run);
  const RECT m = PrimaryMonitor();
  const int r = m.right - 1;   // outermost column
  const int b = m.bottom - 1;  // outermost row

  // Top-left pixel: black beyond the edges in the zoom.
  Picking picking;
  if (StartEyedropper(run, picking)) {
    const POINT corner{m.left, m.top};
    if (MoveExpecting(picking, corner, POINT{m.left + 16, m.top + 16})) {
      CheckMagnifierPixels(picking, corner, m);
    }
    ClickToPick(run, picking);
    const ColorValue want = PatternAt(corner.x, corner.y) | 0x5A000000u;
    WaitForState(g_report, run, "picked the top-left pixel " + Hex32(want),
                 [&](const DialogSnapshot& s) { return s.picker.current == want; });
  }

  // Placement: 16 right of / below the pointer, flipped when px + 120 passes
  // the edge; then a pick in the bottom-right corner.
  if (StartEyedropper(run, picking)) {
    struct Place {
      POINT pointer, magnifier;
      bool pixels;  // check what the magnifier shows too
    };
    const Place places[] = {
        {{r, m.top + 300}, {r + 16 - 153, m.top + 316}, true},            // right edge: to the left
        {{r - 135, m.top + 600}, {r - 119, m.top + 616}, false},          // px + 120 = right edge
        {{r - 134, m.top + 600}, {r - 118 - 153, m.top + 616}, false},    // one further: flipped
        {{m.left + 300, b}, {m.left + 316, b + 16 - 153}, true},          // bottom edge: above
        {{m.left + 600, b - 135}, {m.left + 616, b - 119}, false},        // py + 120 = bottom edge
        {{m.left + 600, b - 134}, {m.left + 616, b - 118 - 153}, false},  // flipped
        {{r, b}, {r + 16 - 153, b + 16 - 153}, true},  // corner: above and to the left
    };
    for (const Place& place : places) {
      if (MoveExpecting(picking, place.pointer, place.magnifier) && place.pixels) {
        CheckMagnifierPixels(picking, place.pointer, m);
      }
    }
    ClickToPick(run, picking);
    const ColorValue want = PatternAt(r, b) | 0x5A000000u;
    WaitForState(g_report, run, "picked the bottom-right pixel " + Hex32(want),
                 [&](const DialogSnapshot& s) { return s.picker.current == want; });
  }
  PickAt(run, POINT{r, m.top + 300}, POINT{r + 16 - 153, m.top + 316});    // outermost column
  PickAt(run, POINT{m.left + 300, b}, POINT{m.left + 316, b + 16 - 153});  // outermost row
  ConfirmExpecting(run, PatternAt(m.left + 300, b) | 0x5A000000u, "OK after the edge picks");
}

// Escape and every kind of close request end the eyedropper without a pick;
// a pick over the dialog's swatches is not undone by the button's release.
void TestEndings() {
  BeginSection(g_report, "Escape, close requests, release over the dialog");
  RunningDialog run;
  Prepare(run, "Eyedropper endings", Rgba(0x44, 0x55, 0x66, 0x77), 1);
  if (!StartDialog(g_report, run)) return CloseIfOpen(g_report, run);
  const RECT m = PrimaryMonitor();
  // A current colour that differs from the stored one.
  PickAt(run, POINT{m.left + 100, m.top + 80}, POINT{m.left + 116, m.top + 96});

  struct Ending {
    const char* name;
    std::function<void(const Picking&)> end;
  };
  const Ending endings[] = {
      {"Escape", [](const Picking&) { PressKey(VK_ESCAPE); }},
      {"close request posted to the magnifier",
       [](const Picking& p) { PostMessageA(p.windows.magnifier, WM_CLOSE, 0, 0); }},
      {"close request sent to a full-screen window",
       [](const Picking& p) {
         if (!p.windows.full_screen.empty()) {
           SendMessageA(p.windows.full_screen.front(), WM_CLOSE, 0, 0);
         }
       }},
      {"Alt+F4", [](const Picking&) { PressKeyWith(VK_MENU, VK_F4); }},
  };
  for (const Ending& ending : endings) {
    const DialogSnapshot before = Snapshot();
    Picking picking;
    if (!StartEyedropper(run, picking)) break;
    const POINT p{m.left + 150, m.top + 60};
    MoveExpecting(picking, p, POINT{p.x + 16, p.y + 16});
    ending.end(picking);
    if (WaitForDialogBack(run, picking, ending.name)) CheckUntouched(picking, before, ending.name);
  }

  // Press and release over the places where the swatches will be again: the
  // release must not reach the dialog (upper: store; lower: restore).
  for (const POINT swatch : {kUpperSwatch, kLowerSwatch}) {
    const DialogSnapshot before = Snapshot();
    const POINT p = Screen(run, swatch);
    Picking picking;
    if (!StartEyedropper(run, picking)) break;
    if (!MoveExpecting(picking, p, POINT{p.x + 16, p.y + 16})) break;
    // What lies there in the frozen copy depends on how fast the windows
    // under the dialog repainted; the magnifier's centre pixel shows it.
    std::uint32_t centre = 0;
    std::uint32_t frozen = 1;
    WaitUntil([&] {
      const POINT at = MagnifierAt(picking.windows.magnifier);
      const auto c = CaptureScreen(RECT{at.x + 60, at.y + 60, at.x + 61, at.y + 61});
      const auto f = CaptureScreen(RECT{p.x, p.y, p.x + 1, p.y + 1});
      if (c.size() != 1 || f.size() != 1) return false;
      centre = c[0] & 0xFFFFFFu;
      frozen = f[0] & 0xFFFFFFu;
      return centre == frozen;
    });
    Check(g_report, centre == frozen, "magnifier centre over the swatch", Hex32(frozen),
          Hex32(centre));
    // As a hand clicks: the button is held until the press has been taken
    // (the eyedropper holds the pointer, or the dialog is already back).
    PressLeftButton();
    WaitUntil([&] {
      GUITHREADINFO info{};
      info.cbSize = sizeof info;
      GetGUIThreadInfo(run.thread_id, &info);
      return info.hwndCapture != nullptr || IsWindowVisible(run.window);
    });
    ReleaseLeftButton();
    WaitForDialogBack(run, picking, "after the click over a swatch");
    const ColorValue want = centre | (before.picker.current & 0xFF000000u);
    WaitForState(
        g_report, run,
        "picked " + Hex32(want) + " over a swatch, stored " + Hex32(before.picker.stored) + " kept",
        [&](const DialogSnapshot& s) {
          return s.picker.current == want && s.picker.stored == before.picker.stored;
        });
  }

  // A close request for the hidden dialog ends the eyedropper and the dialog.
  Picking picking;
  if (StartEyedropper(run, picking)) {
    PostMessageA(run.window, WM_CLOSE, 0, 0);
    const bool gone = WaitUntil([&] {
      const EyedropperWindows left = FindEyedropperWindows(run);
      return left.magnifier == nullptr && left.full_screen.empty();
    });
    Check(g_report, gone, "close request to the dialog", "eyedropper windows gone", "still open");
    CheckEqual(g_report, "close request to the dialog: result", Hex32(run.job.initial),
               Hex32(WaitForResult(g_report, run)));
  }
  CloseIfOpen(g_report, run);
}

// The arrow keys move the pointer by a pixel, with Shift by ten, and are held
// at the screen's edges; Enter and the keypad's Enter take the pixel as a
// click does, with or without a move before; Escape after moves changes
// nothing. Alpha flag 1.
void TestKeys() {
  BeginSection(g_report, "arrow keys and Enter");
  RunningDialog run;
  Prepare(run, "Eyedropper keys", Rgba(0x21, 0x43, 0x65, 0xA7), 1);
  if (!StartDialog(g_report, run)) return CloseIfOpen(g_report, run);
  const RECT m = PrimaryMonitor();
  const int r = m.right - 1;
  const int b = m.bottom - 1;
  struct Nudge {
    WORD key;
    bool shift;
    POINT expected;
  };
  const POINT c{m.left + 400, m.top + 300};

  // Each direction by one and by ten, back to c; then Escape.
  const DialogSnapshot before = Snapshot();
  Picking picking;
  if (StartEyedropper(run, picking) && MoveExpecting(picking, c, POINT{c.x + 16, c.y + 16})) {
    const Nudge nudges[] = {
        {VK_RIGHT, false, {c.x + 1, c.y}}, {VK_DOWN, false, {c.x + 1, c.y + 1}},
        {VK_LEFT, false, {c.x, c.y + 1}},  {VK_UP, false, {c.x, c.y}},
        {VK_LEFT, true, {c.x - 10, c.y}},  {VK_UP, true, {c.x - 10, c.y - 10}},
        {VK_RIGHT, true, {c.x, c.y - 10}}, {VK_DOWN, true, {c.x, c.y}},
    };
    for (const Nudge& n : nudges) {
      if (!NudgeExpecting(picking, n.key, n.shift, n.expected, m)) break;
    }
    if (EscapeAndWait(run, picking)) CheckUntouched(picking, before, "Escape after the arrows");
  }

  // Started from the keyboard, Enter without a move takes the pixel at c.
  if (StartEyedropper(run, picking, true)) {
    PressKey(VK_RETURN);
    WaitForDialogBack(run, picking, "after Enter");
    const ColorValue want = PatternAt(c.x, c.y) | 0xA7000000u;
    WaitForState(g_report, run, "Enter without a move picked " + Hex32(want),
                 [&](const DialogSnapshot& s) { return s.picker.current == want; });
  }

  // Against the top-left and then the bottom-right edges, and the keypad's
  // Enter with the focus on a full-screen window.
  if (StartEyedropper(run, picking) &&
      MoveExpecting(picking, POINT{m.left + 4, m.top + 6}, POINT{m.left + 20, m.top + 22})) {
    const Nudge top_left[] = {
        {VK_LEFT, true, {m.left, m.top + 6}},
        {VK_LEFT, false, {m.left, m.top + 6}},  // held
        {VK_UP, true, {m.left, m.top}},
    };
    for (const Nudge& n : top_left) NudgeExpecting(picking, n.key, n.shift, n.expected, m);
    const POINT corner{r - 3, b - 4};
    MoveExpecting(picking, corner, POINT{corner.x + 16 - 153, corner.y + 16 - 153});
    const Nudge bottom_right[] = {
        {VK_RIGHT, true, {r, b - 4}},
        {VK_RIGHT, false, {r, b - 4}},  // held
        {VK_DOWN, true, {r, b}},
        {VK_UP, false, {r, b - 1}},
    };
    for (const Nudge& n : bottom_right) NudgeExpecting(picking, n.key, n.shift, n.expected, m);
    if (!picking.windows.full_screen.empty()) {
      const HWND w = picking.windows.full_screen.front();
      RunOnThreadOf(w, [w] { SetFocus(w); });
      GUITHREADINFO info{};
      info.cbSize = sizeof info;
      const bool moved =
          WaitUntil([&] { return GetGUIThreadInfo(run.thread_id, &info) && info.hwndFocus == w; });
      Check(g_report, moved, "focus", "on a full-screen window", "elsewhere");
    }
    // Typed at once: Enter takes the pixel the arrow moved to.
    PressKey(VK_DOWN);
    PressExtendedKey(VK_RETURN);
    WaitForDialogBack(run, picking, "after the keypad's Enter");
    const ColorValue want = PatternAt(r, b) | 0xA7000000u;
    WaitForState(g_report, run, "keypad's Enter picked the bottom-right pixel " + Hex32(want),
                 [&](const DialogSnapshot& s) { return s.picker.current == want; });
  }
  ConfirmExpecting(run, PatternAt(r, b) | 0xA7000000u, "OK after the keys");
}

// Private bytes may grow by less than this over the second half of the soak.
// Under Wine 8 they stay at 26.54 MiB from the 20th run to the 200th (0.01 MiB more at the end);
// one screen capture kept per run (5 MiB on the 1280 x 1024 display), or one
// magnifier image (121 x 121 pixels, 57 KiB; 5.6 MiB over 100 runs), exceeds it.
constexpr std::size_t kSoakGrowthLimit = 4u << 20;

// Runs in one dialog, alternating a pick and Escape, then OK; private bytes
// sampled after a tenth of the runs, half-way and at the end.
void TestSoak(int runs) {
  BeginSection(g_report, "soak: " + std::to_string(runs) + " eyedropper runs");
  RunningDialog run;
  Prepare(run, "Eyedropper soak", Rgba(9, 8, 7, 0xC3), 1);
  if (!StartDialog(g_report, run)) return CloseIfOpen(g_report, run);
  const RECT m = PrimaryMonitor();
  const double start = NowMs();
  ColorValue expected = run.job.initial;
  int done = 0;
  std::size_t warm = 0;
  std::size_t half = 0;
  for (int i = 0; i < runs; ++i) {
    if (i == runs / 10) warm = UsageOf(GetCurrentProcess()).private_bytes;
    if (i == runs / 2) half = UsageOf(GetCurrentProcess()).private_bytes;
    const POINT p{m.left + 20 + (i * 37) % 240, m.top + 20 + (i * 53) % 200};
    Picking picking;
    if (!StartEyedropper(run, picking)) break;
    if (!MoveExpecting(picking, p, POINT{p.x + 16, p.y + 16})) break;
    if (i % 2 == 0) {
      if (!ClickToPick(run, picking)) break;
      expected = PatternAt(p.x, p.y) | 0xC3000000u;
    } else {
      if (!EscapeAndWait(run, picking)) break;
    }
    if (!WaitForState(g_report, run, "run " + std::to_string(i) + ": current " + Hex32(expected),
                      [&](const DialogSnapshot& s) { return s.picker.current == expected; })) {
      break;
    }
    ++done;
  }
  const std::size_t end = UsageOf(GetCurrentProcess()).private_bytes;
  CheckEqual(g_report, "runs completed", runs, done);
  std::printf("   %d runs in %.1f s; private bytes after %d runs %s, after %d %s, at the end %s\n",
              done, (NowMs() - start) / 1000.0, runs / 10, MiBText(warm).c_str(), runs / 2,
              MiBText(half).c_str(), MiBText(end).c_str());
  if (done == runs &&
      Check(g_report, warm > 0 && half > 0 && end > 0, "private bytes", "read", "0")) {
    CheckGrowthBelow(g_report, "private bytes growth over the second half", half, end,
                     kSoakGrowthLimit);
  }
  ConfirmExpecting(run, expected, "OK after the soak");
}

// With several monitors: a full-screen window on each; the zoom and the flip
// follow the monitor under the pointer, black beyond its edges even where
// another monitor continues.
void TestMonitors() {
  BeginSection(g_report, "several monitors");
  const std::vector<RECT> monitors = Monitors();
  if (monitors.size() < 2) {
    std::printf("   one monitor only: the switch between monitors is not tested here\n");
    return;
  }
  RunningDialog run;
  Prepare(run, "Eyedropper monitors", Rgba(0, 0, 0, 0x33), 1);
  if (!StartDialog(g_report, run)) return CloseIfOpen(g_report, run);
  Picking picking;
  if (!StartEyedropper(run, picking)) return CloseIfOpen(g_report, run);
  for (const RECT& m : monitors) {
    const POINT inside{m.left + 50, m.top + 40};
    if (MoveExpecting(picking, inside, POINT{inside.x + 16, inside.y + 16})) {
      CheckMagnifierPixels(picking, inside, m);
    }
    const POINT corner{m.right - 1, m.bottom - 1};
    // The magnifier at the display's scale, flipped at the corner.
    const ScreenPoint flipped = PlaceMagnifier(
        {m.left, m.top, m.right - m.left, m.bottom - m.top, g_dpi_child}, corner.x, corner.y);
    if (MoveExpecting(picking, corner, POINT{flipped.x, flipped.y})) {
      CheckMagnifierPixels(picking, corner, m);
    }
  }
  // Pick on the last monitor, at its top-left pixel.
  const RECT& last = monitors.back();
  const POINT p{last.left, last.top};
  MoveExpecting(picking, p, POINT{p.x + 16, p.y + 16});
  CheckMagnifierPixels(picking, p, last);
  // Left arrow: onto the monitor that holds the pixel to the left, if any,
  // and back with the right arrow; with none there, the pointer stays.
  const RECT* beside = nullptr;
  for (const RECT& n : monitors) {
    if (beside == nullptr && OnMonitor(n, p.x - 1, p.y)) beside = &n;
  }
  if (beside == nullptr) {
    NudgeExpecting(picking, VK_LEFT, false, p, last);
  } else if (NudgeExpecting(picking, VK_LEFT, false, POINT{p.x - 1, p.y}, *beside)) {
    NudgeExpecting(picking, VK_RIGHT, false, p, last);
  }
  ClickToPick(run, picking);
  const ColorValue want = PatternAt(p.x, p.y) | 0x33000000u;
  WaitForState(g_report, run, "picked " + Hex32(want) + " on the last monitor",
               [&](const DialogSnapshot& s) { return s.picker.current == want; });
  ConfirmExpecting(run, want, "OK after the pick on another monitor");
}

// --- Scaled display ---------------------------------------------------------------

// In the child, with the prefix's DPI at 144: the eyedropper runs on a thread
// that is DPI-unaware, as Windows runs a program that does not declare DPI
// awareness on a scaled display, and still works in physical pixels. Wine
// draws such a thread's windows unscaled but scales its coordinates, so the
// dialog itself cannot be driven there; a plain window stands in for it and
// the eyedropper is run over it directly.
struct ScaledRun {
  std::string title = "Eyedropper scaled";
  HANDLE thread = nullptr;
  std::atomic<int> logical_width{0};        // screen width the thread sees before the run
  std::atomic<int> logical_width_after{0};  // ... and after it
  RECT before{};                            // the stand-in's rectangle, as the thread sees it
  RECT after{};
  std::atomic<bool> shown_after{false};
  std::atomic<bool> picked{false};
  std::atomic<ColorValue> color{0};
  std::atomic<bool> finished{false};
};

DWORD WINAPI ScaledThread(LPVOID parameter) {
  auto* run = static_cast<ScaledRun*>(parameter);
  // As Windows runs a program that does not declare DPI awareness.
  SetThreadDpiUnaware();
  run->logical_width = GetSystemMetrics(SM_CXSCREEN);
  HWND window =
      CreateWindowExA(WS_EX_TOPMOST, "STATIC", run->title.c_str(), WS_POPUP | WS_VISIBLE, 40, 40,
                      300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  GetWindowRect(window, &run->before);
  ColorValue color = 0;
  run->picked = RunEyedropper(window, run->title, color);
  run->color = color;
  GetWindowRect(window, &run->after);
  run->shown_after = IsWindowVisible(window) != FALSE;
  run->logical_width_after = GetSystemMetrics(SM_CXSCREEN);
  DestroyWindow(window);
  run->finished = true;
  return 0;
}

void TestScaledChild() {
  BeginSection(g_report, "scaled display (child)");
  ScaledRun run;
  run.thread = CreateThread(nullptr, 0, ScaledThread, &run, 0, nullptr);
  if (!Check(g_report, run.thread != nullptr, "eyedropper thread", "started", "not")) return;
  HWND magnifier = nullptr;
  std::vector<HWND> full_screen;
  WaitUntil([&] {
    full_screen.clear();
    for (HWND w : FindTopWindows(GetCurrentProcessId(), run.title)) {
      RECT r;
      GetWindowRect(w, &r);
      if (r.right - r.left == g_magnifier && r.bottom - r.top == g_magnifier) {
        magnifier = w;
      } else if (r.right - r.left > 400) {
        full_screen.push_back(w);
      }
    }
    return magnifier != nullptr;
  });
  const RECT m = PrimaryMonitor();
  const int physical = m.right - m.left;
  Check(g_report, run.logical_width.load() < physical, "screen width seen by the unaware thread",
        "less than the physical " + std::to_string(physical),
        std::to_string(run.logical_width.load()));
  if (Check(g_report, magnifier != nullptr, "magnifier", "shown", "not found")) {
    for (const RECT& monitor : Monitors()) {
      bool covered = false;
      for (HWND w : full_screen) {
        RECT r;
        GetWindowRect(w, &r);
        covered = covered || SameRect(r, monitor);
      }
      Check(g_report, covered, "full-screen window in physical pixels", RectText(monitor),
            "none of that size");
    }
    Picking picking;
    picking.windows.magnifier = magnifier;
    const POINT corner{m.right - 1, m.bottom - 1};
    // The magnifier at the display's scale, flipped at the corner.
    const ScreenPoint flipped = PlaceMagnifier(
        {m.left, m.top, m.right - m.left, m.bottom - m.top, g_dpi_child}, corner.x, corner.y);
    if (MoveExpecting(picking, corner, POINT{flipped.x, flipped.y})) {
      CheckMagnifierPixels(picking, corner, m);
    }
    PressLeftButton();
    ReleaseLeftButton();
  } else {
    PressKey(VK_ESCAPE);
  }
  const bool ended = WaitUntil([&] { return run.finished.load(); });
  if (!Check(g_report, ended, "RunEyedropper", "returned", "still running")) return;
  WaitForSingleObject(run.thread, INFINITE);
  CloseHandle(run.thread);
  CheckEqual(g_report, "picked", true, run.picked.load());
  CheckEqual(g_report, "colour of the physical bottom-right pixel",
             Hex32(PatternAt(m.right - 1, m.bottom - 1)), Hex32(run.color.load()));
  CheckEqual(g_report, "stand-in shown again", true, run.shown_after.load());
  CheckEqual(g_report, "stand-in rectangle after the run", RectText(run.before),
             RectText(run.after));
  CheckEqual(g_report, "thread's screen width after the run (awareness given back)",
             run.logical_width.load(), run.logical_width_after.load());
}

// Runs this program again with the prefix's DPI at 144 for the scaled part.
void TestScaled() {
  BeginSection(g_report, "scaled display");
  const int code = RunSelfAtDpi(144, "--dpi-child 144", 120000);
  if (code == -2) {
    std::printf("   not under Wine: the display's scale cannot be changed for one program\n");
    return;
  }
  CheckEqual(g_report, "scaled child's exit code", 0, code);
}

}  // namespace

int main(int argc, char** argv) {
  if (const int code = RunWithUnmanagedWindowsUnderWine(); code >= 0) return code;
  const TestSelection selection = ReadTestSelection(argc, argv, "--soak", 200, 10);
  if (!selection.valid) return 2;
  if (!ShowPattern()) return FinishReport(g_report);
  if (selection.dpi_child != 0) {
    g_dpi_child = selection.dpi_child;
    g_magnifier = MagnifierSide(g_dpi_child);
    TestScaledChild();
    return FinishReport(g_report);
  }
  const auto wanted = [&](std::string_view name) { return Wanted(selection, name); };
  if (wanted("pick")) TestPickWithAlpha();
  if (wanted("edges")) TestEdges();
  if (wanted("endings")) TestEndings();
  if (wanted("keys")) TestKeys();
  if (wanted("monitors")) TestMonitors();
  if (wanted("soak")) TestSoak(selection.size);
  if (wanted("dpi")) TestScaled();
  return FinishReport(g_report);
}
