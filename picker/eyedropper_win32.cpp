// The screen eyedropper on Win32. One run: hide the dialog, capture every
// monitor into a 24-bit bitmap shown by a full-screen top-most window, show
// the magnifier, run a nested message loop until a click or Enter, Escape or
// a close request, then close and free everything and show the dialog again.
// The arrow keys move the pointer (a pointer move like the mouse's). The
// geometry (monitor hit test, magnifier placement, zoom source, crosshair,
// the arrow keys' moves) is the portable picker/eyedropper.h.
//
// Ownership: everything lives in one Eyedropper record on the stack of
// RunEyedropper; End() releases it in order and the holders repeat that on
// any other path.

#include "picker/eyedropper_win32.h"

#include <initializer_list>
#include <iterator>
#include <memory>
#include <vector>

#include "picker/bitmaps_win32.h"
#include "picker/display_dpi_win32.h"
#include "picker/eyedropper.h"
#include "picker/handles_win32.h"

namespace tintra {

namespace {

constexpr char kWindowClass[] = "TintraEyedropper";
constexpr DWORD kCaptureRop = SRCPAINT;   // 0xEE0086: screen ORed into black copies it
constexpr DWORD kHideWaitMs = 50;         // lets the windows under the dialog repaint
constexpr int kMaxDroppedEvents = 10000;  // bound of the drain after hiding the dialog
constexpr UINT_PTR kReleaseTimer = 1;     // on the magnifier, while a pick waits for the release
constexpr UINT kReleasePollMs = 20;

// The keyboard shortcuts, one accelerator table on the magnifier; the
// command number is the index. Modifiers must match exactly, so Ctrl or Alt
// with these keys is ignored like every other key.
struct Shortcut {
  BYTE flags;
  WORD key;  // both Enter keys give VK_RETURN, and the keypad's arrows (Num Lock off) the arrows
  int dx;    // pointer move, pixels
  int dy;
};
constexpr Shortcut kShortcuts[] = {
    {FVIRTKEY, VK_ESCAPE, 0, 0},  // end without a pick
    {FVIRTKEY, VK_RETURN, 0, 0},  // take the pixel, as a click
    {FVIRTKEY, VK_LEFT, -kNudgeStep, 0},
    {FVIRTKEY, VK_RIGHT, kNudgeStep, 0},
    {FVIRTKEY, VK_UP, 0, -kNudgeStep},
    {FVIRTKEY, VK_DOWN, 0, kNudgeStep},
    {FVIRTKEY | FSHIFT, VK_LEFT, -kNudgeLongStep, 0},
    {FVIRTKEY | FSHIFT, VK_RIGHT, kNudgeLongStep, 0},
    {FVIRTKEY | FSHIFT, VK_UP, 0, -kNudgeLongStep},
    {FVIRTKEY | FSHIFT, VK_DOWN, 0, kNudgeLongStep},
};
constexpr WORD kEscapeShortcut = 0;
constexpr WORD kTakeShortcut = 1;

// Largest capture made, bytes: a monitor whose copy would be larger gets no
// window, as when the bitmap cannot be made.
constexpr long long kMaxCaptureBytes = 1LL << 30;

// --- State ------------------------------------------------------------------

struct MonitorEntry {
  MonitorRect rect;      // virtual-screen pixels
  OwnedBitmap capture;   // 24-bit, rect.width x rect.height; null when not made
  OwnedBitmap shown;     // a copy the image control made of `capture`, if it made one
  OwnedWindow window;    // full-screen copy over the monitor; null when not opened
  HWND image = nullptr;  // the image control in `window`
};

struct Eyedropper {
  HWND dialog = nullptr;
  std::vector<MonitorRect> rects;                       // enumeration order
  std::vector<std::unique_ptr<MonitorEntry>> monitors;  // one per rect
  OwnedAccelerators shortcuts;
  OwnedBitmap view;  // 121 x 121, 24-bit: what the magnifier shows
  OwnedWindow magnifier;
  bool done = false;
  bool picked = false;
  // Picked on the press of the left button or Enter: the run ends when it
  // comes up, so that its release cannot reach the dialog once it is shown
  // again.
  enum class Release { kNone, kLeftButton, kEnter } awaiting = Release::kNone;
  bool closing = false;  // End() is destroying the windows
  ColorValue color = 0;  // 24 bits, alpha byte 0
};

// The run in progress on this thread: how the window procedure and the hook
// reach it (the host link reaches its state the same way).
thread_local Eyedropper* g_active = nullptr;

// Wakes the nested loop after a handler ended the run from inside a sent
// message (GetMessage would go on waiting otherwise).
// Wake-ups left in the queue are taken out when the loop ends.
void EndRun(Eyedropper& e) {
  if (e.done) return;
  e.done = true;
  PostMessageA(nullptr, WM_NULL, 0, 0);
}

// Takes out the wake-ups of EndRun (thread messages, no window), so that the
// dialog's loop does not get them.
void DropWakeUps() {
  MSG msg;
  while (PeekMessageA(&msg, reinterpret_cast<HWND>(-1), WM_NULL, WM_NULL, PM_REMOVE)) {
  }
}

HINSTANCE ModuleInstance() {
  return GetModuleHandleA(nullptr);
}

// A black 24-bit top-down bitmap; empty when it cannot be made.
OwnedBitmap CreateBitmap24(int width, int height) {
  if (width <= 0 || height <= 0) return OwnedBitmap();
  if (static_cast<long long>(DibStride(width, 24)) * height > kMaxCaptureBytes) {
    return OwnedBitmap();
  }
  void* bits = nullptr;
  OwnedBitmap bitmap = CreateTopDownDib(width, height, 24, bits);
  if (bitmap.get() == nullptr) return bitmap;
  const MemoryDc dc(CreateCompatibleDC(nullptr));
  if (dc.get() != nullptr) {
    SelectedObject hold(dc.get(), bitmap.get());
    PatBlt(dc.get(), 0, 0, width, height, BLACKNESS);
  }
  return bitmap;
}

bool IsImageControl(const Eyedropper& e, HWND w) {
  if (w == nullptr) return false;
  for (const auto& m : e.monitors) {
    if (m->image == w) return true;
  }
  return false;
}

bool IsOwnWindow(const Eyedropper& e, HWND w) {
  if (w == nullptr) return false;
  if (w == e.magnifier.get()) return true;
  for (const auto& m : e.monitors) {
    if (m->window.get() == w || m->image == w) return true;
  }
  return false;
}

bool IsInputMessage(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) ||
         (message >= WM_NCMOUSEHOVER && message <= WM_MOUSELEAVE);
}

// --- Window procedure and hook ----------------------------------------------

void PaintMagnifier(Eyedropper& e, HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (dc != nullptr && e.view.get() != nullptr) {
    const MemoryDc source(CreateCompatibleDC(dc));
    if (source.get() != nullptr) {
      SelectedObject hold(source.get(), e.view.get());
      BitBlt(dc, 0, 0, kMagnifierSize, kMagnifierSize, source.get(), 0, 0, SRCCOPY);
    }
  }
  EndPaint(window, &paint);
}

void OnShortcut(Eyedropper& e, WORD command);

LRESULT CALLBACK EyedropperWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Eyedropper* e = g_active;
  if (e == nullptr) return DefWindowProcA(window, message, wparam, lparam);
  switch (message) {
    case WM_COMMAND:
      // From TranslateAccelerator: high word 1, low word the command number.
      if (HIWORD(wparam) == 1 && LOWORD(wparam) < std::size(kShortcuts)) {
        OnShortcut(*e, LOWORD(wparam));
        return 0;
      }
      break;
    case WM_CLOSE:  // any close request ends the run; End() closes the windows
      EndRun(*e);
      return 0;
    case WM_PAINT:
      if (window == e->magnifier.get()) {
        PaintMagnifier(*e, window);
        return 0;
      }
      break;
    case WM_DESTROY:
      // Destroyed from outside (the dialog went away): nothing left to pick on.
      if (!e->closing) EndRun(*e);
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// Sees the messages sent to every window of the thread: a close request sent
// to the hidden dialog ends the run as well (the dialog still gets it).
LRESULT CALLBACK SentMessageHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION && g_active != nullptr) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (sent->message == WM_CLOSE) EndRun(*g_active);
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

// For the length of the run: `e` is the thread's run in progress, and the
// hook is installed.
struct ActiveRun {
  OwnedHook hook;

  explicit ActiveRun(Eyedropper& e) {
    g_active = &e;
    hook.reset(SetWindowsHookExA(WH_CALLWNDPROC, SentMessageHook, nullptr, GetCurrentThreadId()));
  }
  ActiveRun(const ActiveRun&) = delete;
  ActiveRun& operator=(const ActiveRun&) = delete;
  ~ActiveRun() {
    hook.reset();
    g_active = nullptr;
  }
};

WNDCLASSEXA EyedropperClass() {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = EyedropperWindowProc;
  wc.hInstance = ModuleInstance();
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);  // the pointer keeps its normal shape
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kWindowClass;
  return wc;
}

// --- Start ------------------------------------------------------------------

// Drops the events that came before the run (a stray click must not reach
// the hidden dialog's handlers); other messages are dispatched so that the
// windows stay painted, and a quit request is kept for the outer loop.
void DropPendingEvents() {
  MSG msg;
  bool quit = false;
  WPARAM quit_code = 0;
  for (int i = 0; i < kMaxDroppedEvents && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (msg.message == WM_QUIT) {
      quit = true;
      quit_code = msg.wParam;
      continue;
    }
    if (IsInputMessage(msg.message)) continue;
    DispatchMessageA(&msg);
  }
  if (quit) PostQuitMessage(static_cast<int>(quit_code));
}

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM list) {
  auto* rects = reinterpret_cast<std::vector<MonitorRect>*>(list);
  rects->push_back({static_cast<int>(rect->left), static_cast<int>(rect->top),
                    static_cast<int>(rect->right - rect->left),
                    static_cast<int>(rect->bottom - rect->top)});
  return TRUE;
}

// The monitor's capture and, when it was made, its full-screen window with
// the image control.
void OpenMonitor(Eyedropper& e, HDC screen, MonitorEntry& m, const std::string& title) {
  const MonitorRect& r = m.rect;
  m.capture = CreateBitmap24(r.width, r.height);
  if (m.capture.get() == nullptr) return;
  {
    const MemoryDc dc(CreateCompatibleDC(screen));
    if (dc.get() == nullptr) return;
    SelectedObject hold(dc.get(), m.capture.get());
    BitBlt(dc.get(), 0, 0, r.width, r.height, screen, r.left, r.top, kCaptureRop);
  }
  m.window.reset(CreateWindowExA(WS_EX_TOPMOST, kWindowClass, title.c_str(), WS_POPUP, r.left,
                                 r.top, r.width, r.height, e.dialog, nullptr, ModuleInstance(),
                                 nullptr));
  if (m.window.get() == nullptr) return;
  SetWindowPos(m.window.get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // SS_NOTIFY: the control takes the clicks instead of letting them through.
  m.image =
      CreateWindowExA(0, "STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_NOTIFY, 0, 0,
                      r.width, r.height, m.window.get(), nullptr, ModuleInstance(), nullptr);
  if (m.image != nullptr) {
    SendMessageA(m.image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m.capture.get()));
    // Some versions of the control show a copy of the bitmap; it is ours to free.
    const auto shown =
        reinterpret_cast<HBITMAP>(SendMessageA(m.image, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (shown != nullptr && shown != m.capture.get()) m.shown.reset(shown);
  }
  ShowWindow(m.window.get(), SW_SHOWNOACTIVATE);
  UpdateWindow(m.window.get());
}

bool OpenMagnifier(Eyedropper& e, const std::string& title) {
  e.view = CreateBitmap24(kMagnifierSize, kMagnifierSize);
  e.magnifier.reset(CreateWindowExA(WS_EX_TOPMOST, kWindowClass, title.c_str(), WS_POPUP, 0, 0,
                                    kMagnifierSize, kMagnifierSize, e.dialog, nullptr,
                                    ModuleInstance(), nullptr));
  if (e.magnifier.get() == nullptr) return false;
  SetWindowPos(e.magnifier.get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ACCEL table[std::size(kShortcuts)];
  for (WORD i = 0; i < std::size(kShortcuts); ++i) {
    table[i] = {kShortcuts[i].flags, kShortcuts[i].key, i};
  }
  e.shortcuts.reset(CreateAcceleratorTableA(table, static_cast<int>(std::size(table))));
  // Shown active, so that the keys reach the thread's key messages.
  ShowWindow(e.magnifier.get(), SW_SHOW);
  SetForegroundWindow(e.magnifier.get());
  UpdateWindow(e.magnifier.get());
  return true;
}

// --- Picking ----------------------------------------------------------------

// Zoom around (x, y) on monitor `m`: sets the picked colour and redraws the
// magnifier's image.
void UpdateZoom(Eyedropper& e, const MonitorEntry& m, int x, int y) {
  const MemoryDc zoom_dc(CreateCompatibleDC(nullptr));
  const OwnedBitmap zoom = CreateBitmap24(kZoomSize, kZoomSize);
  if (zoom_dc.get() == nullptr || zoom.get() == nullptr) return;
  SelectedObject hold_zoom(zoom_dc.get(), zoom.get());
  const ZoomCopy copy = ZoomSource(m.rect, x, y);
  if (m.capture.get() != nullptr && copy.width > 0 && copy.height > 0) {
    const MemoryDc capture_dc(CreateCompatibleDC(nullptr));
    if (capture_dc.get() != nullptr) {
      SelectedObject hold_capture(capture_dc.get(), m.capture.get());
      BitBlt(zoom_dc.get(), copy.dest_x, copy.dest_y, copy.width, copy.height, capture_dc.get(),
             copy.src_x, copy.src_y, SRCCOPY);
    }
  }
  const COLORREF centre = GetPixel(zoom_dc.get(), kZoomCentre, kZoomCentre);
  if (centre != CLR_INVALID) e.color = ColorOfColorRef(centre);

  if (e.view.get() == nullptr) return;
  const MemoryDc view_dc(CreateCompatibleDC(nullptr));
  if (view_dc.get() == nullptr) return;
  SelectedObject hold_view(view_dc.get(), e.view.get());
  PatBlt(view_dc.get(), 0, 0, kMagnifierSize, kMagnifierSize, BLACKNESS);
  SetStretchBltMode(view_dc.get(), COLORONCOLOR);  // pixel replication, no smoothing
  StretchBlt(view_dc.get(), kEnlargedOrigin, kEnlargedOrigin, kEnlargedSize, kEnlargedSize,
             zoom_dc.get(), 0, 0, kZoomSize, kZoomSize, SRCCOPY);
  for (const PixelRect& line : {kCrosshairVertical, kCrosshairHorizontal}) {
    PatBlt(view_dc.get(), line.x, line.y, line.width, line.height, DSTINVERT);
  }
  WindowDc window_dc(e.magnifier.get());
  if (window_dc.get() != nullptr) {
    BitBlt(window_dc.get(), 0, 0, kMagnifierSize, kMagnifierSize, view_dc.get(), 0, 0, SRCCOPY);
  }
}

void OnPointerMoved(Eyedropper& e) {
  POINT p;
  if (!GetCursorPos(&p)) return;
  const int index = FindMonitorAt(e.rects, p.x, p.y);
  if (index < 0) return;
  const MonitorEntry& m = *e.monitors[static_cast<size_t>(index)];
  const ScreenPoint at = PlaceMagnifier(m.rect, p.x, p.y);
  SetWindowPos(e.magnifier.get(), nullptr, at.x, at.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateZoom(e, m, p.x, p.y);
}

// The picked colour is that of the last magnifier update. The run ends when
// the button or key comes up again; a timer watches it in case its release
// does not come to us (the capture brings the button's wherever the pointer
// goes, should the system grant it).
void OnPicked(Eyedropper& e, Eyedropper::Release release) {
  e.picked = true;
  e.awaiting = release;
  SetTimer(e.magnifier.get(), kReleaseTimer, kReleasePollMs, nullptr);
}

void OnImagePressed(Eyedropper& e, HWND image) {
  SetCapture(image);
  OnPicked(e, Eyedropper::Release::kLeftButton);
}

// Moves the pointer as the key says and handles that as a pointer move.
void OnNudge(Eyedropper& e, int dx, int dy) {
  POINT p;
  if (!GetCursorPos(&p)) return;
  const ScreenPoint to = NudgePointer(e.rects, {p.x, p.y}, dx, dy);
  SetCursorPos(to.x, to.y);
  OnPointerMoved(e);
}

void OnShortcut(Eyedropper& e, WORD command) {
  if (command == kEscapeShortcut) return EndRun(e);
  if (e.awaiting != Eyedropper::Release::kNone) return;  // picked already: key repeats
  if (command == kTakeShortcut) return OnPicked(e, Eyedropper::Release::kEnter);
  OnNudge(e, kShortcuts[command].dx, kShortcuts[command].dy);
}

bool Held(int key) {
  return (GetAsyncKeyState(key) & 0x8000) != 0;
}

void OnReleasePoll(Eyedropper& e) {
  MSG msg;
  if (e.awaiting == Eyedropper::Release::kLeftButton) {
    // The physical button that gives the left click.
    if (Held(GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON)) return;
    // Released where we did not see it: a release still queued is ours too.
    while (PeekMessageA(&msg, nullptr, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE)) {
    }
  } else {
    if (Held(VK_RETURN)) return;
    while (PeekMessageA(&msg, nullptr, WM_KEYUP, WM_KEYUP, PM_NOREMOVE) &&
           msg.wParam == VK_RETURN) {
      PeekMessageA(&msg, nullptr, WM_KEYUP, WM_KEYUP, PM_REMOVE);
    }
  }
  e.done = true;
}

void RunNestedLoop(Eyedropper& e) {
  MSG msg;
  while (!e.done) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The program is quitting: end like Escape and leave the quit request
      // to the outer loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0) break;
    const bool own = IsOwnWindow(e, msg.hwnd);
    if (own && e.shortcuts.get() != nullptr &&
        TranslateAcceleratorA(e.magnifier.get(), e.shortcuts.get(), &msg)) {
      continue;
    }
    switch (msg.message) {
      case WM_MOUSEMOVE:
        if (own && e.awaiting == Eyedropper::Release::kNone) OnPointerMoved(e);
        break;
      case WM_LBUTTONDOWN:
        if (e.awaiting == Eyedropper::Release::kNone && IsImageControl(e, msg.hwnd)) {
          OnImagePressed(e, msg.hwnd);
          continue;
        }
        break;
      case WM_LBUTTONUP:
        if (e.awaiting == Eyedropper::Release::kLeftButton) {
          e.done = true;
          ReleaseCapture();
          continue;
        }
        break;
      case WM_KEYUP:
        if (e.awaiting == Eyedropper::Release::kEnter && msg.wParam == VK_RETURN) {
          e.done = true;
          continue;
        }
        break;
      case WM_TIMER:
        if (e.awaiting != Eyedropper::Release::kNone && msg.hwnd == e.magnifier.get() &&
            msg.wParam == kReleaseTimer) {
          OnReleasePoll(e);
          continue;
        }
        break;
      case WM_CLOSE:
        // A posted close request: ours ends the run; the dialog's also
        // reaches the dialog.
        e.done = true;
        if (own) continue;
        break;
      default:
        break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// --- End --------------------------------------------------------------------

void End(Eyedropper& e) {
  e.closing = true;
  if (IsImageControl(e, GetCapture())) ReleaseCapture();
  e.shortcuts.reset();
  if (e.magnifier.get() != nullptr) KillTimer(e.magnifier.get(), kReleaseTimer);
  e.magnifier.reset();
  e.view.reset();
  for (auto& m : e.monitors) {
    m->window.reset();  // with its image control
    m->image = nullptr;
    m->shown.reset();
    m->capture.reset();
  }
  e.monitors.clear();
  e.rects.clear();
}

}  // namespace

bool RunEyedropper(HWND dialog, const std::string& title, ColorValue& picked_color) {
  Eyedropper e;
  e.dialog = dialog;
  e.color = picked_color & kRgbMask;
  const HWND focus_before = GetFocus();

  ShowWindow(dialog, SW_HIDE);
  Sleep(kHideWaitMs);
  DropPendingEvents();
  {
    ThreadDpiAwareness dpi;
    const RegisteredClass window_class(EyedropperClass());
    const ActiveRun active(e);

    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&e.rects));
    if (!e.rects.empty()) {
      {
        WindowDc screen(nullptr);
        for (const MonitorRect& r : e.rects) {
          e.monitors.push_back(std::make_unique<MonitorEntry>());
          e.monitors.back()->rect = r;
          if (screen.get() != nullptr) OpenMonitor(e, screen.get(), *e.monitors.back(), title);
        }
      }
      if (OpenMagnifier(e, title)) RunNestedLoop(e);
    }
    End(e);
    DropWakeUps();
    dpi.Restore();
  }
  picked_color = e.color;

  ShowWindow(dialog, SW_SHOW);
  SetForegroundWindow(dialog);
  if (focus_before != nullptr && IsWindow(focus_before) && IsChild(dialog, focus_before)) {
    SetFocus(focus_before);
  }
  return e.picked;
}

}  // namespace tintra
