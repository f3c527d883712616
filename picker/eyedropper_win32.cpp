// The screen eyedropper on Win32: the shell of the portable run
// (picker/eyedropper_run.h), which says what happens when; this file carries
// its requests out with system calls. Each monitor is captured into a 24-bit
// DIB section shown by a full-screen top-most window; the run reads the
// captures in place and fills the magnifier's pixels.
//
// Ownership: everything lives in one Eyedropper record on the stack of
// RunEyedropper; kCloseWindows releases it in order and the holders repeat
// that on any other path.

#include "picker/eyedropper_win32.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "picker/bitmaps_win32.h"
#include "picker/display_dpi_win32.h"
#include "picker/eyedropper_run.h"
#include "picker/handles_win32.h"
#include "picker/message_loop_win32.h"
#include "picker/top_window_win32.h"

namespace tintra {

namespace {

constexpr char kWindowClass[] = "TintraEyedropper";
constexpr DWORD kCaptureRop = SRCPAINT;   // 0xEE0086: screen ORed into black copies it
constexpr int kMaxDroppedEvents = 10000;  // bound of the drain after hiding the dialog
constexpr UINT_PTR kReleaseTimer = 1;     // on the magnifier, while a pick waits for the release

// The run's keys as virtual keys, in the order of EyedropperKey: both Enter
// keys give VK_RETURN, and the keypad's arrows (Num Lock off) the arrows.
constexpr WORD kVirtualKeys[] = {VK_ESCAPE, VK_RETURN, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN};

// --- State ------------------------------------------------------------------

// What the shell holds for one monitor of the run (same index).
struct MonitorWindow {
  OwnedBitmap capture;   // 24-bit top-down DIB section; null when not made
  OwnedBitmap shown;     // a copy the image control made of `capture`, if it made one
  OwnedWindow window;    // full-screen copy over the monitor; null when not opened
  HWND image = nullptr;  // the image control in `window`
};

struct Eyedropper {
  EyedropperRun run;
  HWND dialog = nullptr;
  std::string title;                      // of the run's windows: the dialog's
  HWND focus_before = nullptr;            // the dialog's focused widget when the run began
  std::optional<ThreadDpiAwareness> dpi;  // physical pixels while the screens are frozen
  std::optional<RegisteredClass> window_class;
  std::vector<std::unique_ptr<MonitorWindow>> monitors;  // one per run.monitors entry
  // One accelerator table on the magnifier, built from kEyedropperShortcuts
  // (the command number is the index). Modifiers must match exactly.
  OwnedAccelerators shortcuts;
  OwnedWindow magnifier;
};

// The run in progress on this thread: how the window procedure and the hook
// reach it (the host link reaches its state the same way).
thread_local Eyedropper* g_active = nullptr;

// The run knows its windows by these.
std::uintptr_t Handle(HWND w) {
  return reinterpret_cast<std::uintptr_t>(w);
}
HWND WindowOf(std::uintptr_t handle) {
  return reinterpret_cast<HWND>(handle);
}

bool IsInputMessage(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) ||
         (message >= WM_NCMOUSEHOVER && message <= WM_MOUSELEAVE);
}

std::optional<ScreenPoint> PointerPosition() {
  POINT p;
  if (!GetCursorPos(&p)) return std::nullopt;
  return ScreenPoint{static_cast<int>(p.x), static_cast<int>(p.y)};
}

// --- Requests ---------------------------------------------------------------

// The run's magnifier pixels onto `dc` at (0, 0).
void PutMagnifier(HDC dc, const Image& pixels) {
  if (!IsDrawable(pixels)) return;
  std::vector<std::uint32_t> bgra(pixels.pixels.size());
  std::transform(pixels.pixels.begin(), pixels.pixels.end(), bgra.begin(), SwapRedBlue);
  const BITMAPINFO info = TopDownBitmapInfo(pixels.width, pixels.height, 32);
  SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(pixels.width), static_cast<DWORD>(pixels.height),
                    0, 0, 0, static_cast<UINT>(pixels.height), bgra.data(), &info, DIB_RGB_COLORS);
}

// Takes out a release that came while the poll did not see it, so that it
// cannot reach the dialog once it is shown again.
void DropQueuedRelease(EyedropperInput input) {
  MSG msg;
  if (input == EyedropperInput::kLeftButton) {
    while (PeekMessageA(&msg, nullptr, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE)) {
    }
    return;
  }
  while (PeekMessageA(&msg, nullptr, WM_KEYUP, WM_KEYUP, PM_NOREMOVE) && msg.wParam == VK_RETURN) {
    PeekMessageA(&msg, nullptr, WM_KEYUP, WM_KEYUP, PM_REMOVE);
  }
}

bool CarryOut(void* context, const EyedropperRequest& r);

void CarryOutRequests(Eyedropper& e) {
  CarryOutEyedropperRequests(e.run, EyedropperShell{CarryOut, &e});
}

// --- Window procedure and hook ----------------------------------------------

void OnCloseRequest(Eyedropper& e) {
  OnEyedropperCloseRequest(e.run);
  CarryOutRequests(e);
}

LRESULT CALLBACK EyedropperWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Eyedropper* e = g_active;
  if (e == nullptr) return DefWindowProcA(window, message, wparam, lparam);
  switch (message) {
    case WM_COMMAND:
      // From TranslateAccelerator: high word 1, low word the command number.
      if (HIWORD(wparam) == 1 && LOWORD(wparam) < kEyedropperShortcutCount) {
        OnEyedropperShortcut(e->run, LOWORD(wparam), PointerPosition());
        CarryOutRequests(*e);
        return 0;
      }
      break;
    case WM_CLOSE:    // any close request ends the run; kCloseWindows closes the windows
    case WM_DESTROY:  // from outside (the dialog went away); nothing once the run has ended
      OnCloseRequest(*e);
      if (message == WM_CLOSE) return 0;
      break;
    case WM_PAINT:
      if (window == e->magnifier.get()) {
        PAINTSTRUCT paint;
        if (HDC dc = BeginPaint(window, &paint)) PutMagnifier(dc, e->run.magnifier);
        EndPaint(window, &paint);
        return 0;
      }
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
    if (sent->message == WM_CLOSE) OnCloseRequest(*g_active);
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

// For the length of the run: `e` is the thread's run in progress, and the
// hook is installed. Not copied: the hook is not.
struct ActiveRun {
  OwnedHook hook;

  explicit ActiveRun(Eyedropper& e) {
    g_active = &e;
    hook.reset(SetWindowsHookExA(WH_CALLWNDPROC, SentMessageHook, nullptr, GetCurrentThreadId()));
  }
  ~ActiveRun() {
    hook.reset();
    g_active = nullptr;
  }
};

// --- Start ------------------------------------------------------------------

BOOL CALLBACK AddMonitorRect(HMONITOR, HDC, LPRECT rect, LPARAM list) {
  auto* rects = reinterpret_cast<std::vector<MonitorRect>*>(list);
  rects->push_back({static_cast<int>(rect->left), static_cast<int>(rect->top),
                    static_cast<int>(rect->right - rect->left),
                    static_cast<int>(rect->bottom - rect->top)});
  return TRUE;
}

// A popup of the run at `r`, owned by the dialog and titled as it.
HWND CreateTopWindow(const Eyedropper& e, const MonitorRect& r) {
  return CreateWindowExA(WS_EX_TOPMOST, kWindowClass, e.title.c_str(), WS_POPUP, r.left, r.top,
                         r.width, r.height, e.dialog, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// Shows `w` above every other window; `active`: with the keys.
void ShowOnTop(HWND w, bool active) {
  SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | (active ? 0 : SWP_NOACTIVATE));
  ShowWindow(w, active ? SW_SHOW : SW_SHOWNOACTIVATE);
  if (active) SetForegroundWindow(w);
  UpdateWindow(w);
}

// The monitor's capture (its pixels for the run) and, when it was made, its
// full-screen window with the image control.
PixelView OpenMonitor(Eyedropper& e, HDC screen, const MonitorRect& r, int index) {
  MonitorWindow& m = *e.monitors[static_cast<std::size_t>(index)];
  void* bits = nullptr;
  if (CaptureFits(r.width, r.height)) m.capture = CreateTopDownDib(r.width, r.height, 24, bits);
  if (m.capture.get() == nullptr || bits == nullptr) return {};
  std::memset(bits, 0, DibStride(r.width, 24) * static_cast<std::size_t>(r.height));  // black
  {
    const MemoryDc dc(CreateCompatibleDC(screen));
    if (dc.get() == nullptr) return {};
    SelectedObject hold(dc.get(), m.capture.get());
    BitBlt(dc.get(), 0, 0, r.width, r.height, screen, r.left, r.top, kCaptureRop);
  }
  GdiFlush();  // the copy is in the bits before the run reads them
  const PixelView view{static_cast<const std::uint8_t*>(bits), r.width, r.height,
                       static_cast<std::ptrdiff_t>(DibStride(r.width, 24)), PixelLayout::kBgr24};
  m.window.reset(CreateTopWindow(e, r));
  if (m.window.get() == nullptr) return view;
  AddEyedropperWindow(e.run, Handle(m.window.get()), index, true);
  // SS_NOTIFY: the control takes the clicks instead of letting them through.
  m.image = CreateWindowExA(0, "STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_NOTIFY, 0,
                            0, r.width, r.height, m.window.get(), nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  if (m.image != nullptr) {
    AddEyedropperWindow(e.run, Handle(m.image), index);
    SendMessageA(m.image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m.capture.get()));
    // Some versions of the control show a copy of the bitmap; it is ours to free.
    const auto shown =
        reinterpret_cast<HBITMAP>(SendMessageA(m.image, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (shown != nullptr && shown != m.capture.get()) m.shown.reset(shown);
  }
  // The first frozen screen shown takes the keys (the hidden dialog had
  // them) until the magnifier is up.
  ShowOnTop(m.window.get(), !FindEyedropperWindow(e.run, Handle(GetForegroundWindow())));
  return view;
}

// Built before the first window shows: a key that comes once the screen is
// frozen is the run's, even before the magnifier is up.
void MakeShortcuts(Eyedropper& e) {
  ACCEL table[kEyedropperShortcutCount];
  for (int i = 0; i < kEyedropperShortcutCount; ++i) {
    const EyedropperShortcut& s = kEyedropperShortcuts[i];
    table[i] = {static_cast<BYTE>(FVIRTKEY | (s.shift ? FSHIFT : 0)),
                kVirtualKeys[static_cast<int>(s.key)], static_cast<WORD>(i)};
  }
  e.shortcuts.reset(CreateAcceleratorTableA(table, kEyedropperShortcutCount));
}

bool OpenMagnifier(Eyedropper& e, int side) {
  e.magnifier.reset(CreateTopWindow(e, MonitorRect{0, 0, side, side}));
  if (e.magnifier.get() == nullptr) return false;
  AddEyedropperWindow(e.run, Handle(e.magnifier.get()), kMagnifierWindow);
  ShowOnTop(e.magnifier.get(), true);  // active: the keys come to the thread
  return true;
}

// --- Picking ----------------------------------------------------------------

// The nested loop's message as the run's event.
EyedropperEvent EventOf(const MSG& msg) {
  using K = EyedropperEventKind;
  EyedropperEvent event;
  event.window = Handle(msg.hwnd);
  if (msg.message == WM_MOUSEMOVE) {
    event.kind = K::kPointerMove;
    event.pointer = PointerPosition();  // where it is now, not where the message says it was
  } else if (msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONUP) {
    event.kind = msg.message == WM_LBUTTONDOWN ? K::kButtonDown : K::kButtonUp;
  } else if (msg.message == WM_KEYUP) {  // key-downs are the shortcuts'
    event.kind = K::kKeyUp;
    if (msg.wParam == VK_RETURN) event.key = EyedropperKey::kEnter;
  } else if (msg.message == WM_CLOSE) {  // posted: the dialog's also reaches the dialog
    event.kind = K::kClose;
  } else if (IsInputMessage(msg.message)) {
    event.kind = K::kOtherInput;
  }
  return event;
}

// The release watch: the physical button that gives the left click, and Enter.
void PollRelease(Eyedropper& e) {
  const auto held = [](int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; };
  const int button = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  OnEyedropperReleasePoll(e.run, HeldInputs{held(button), held(VK_RETURN)});
}

// One message while the run goes on: the run's keys, its release watch,
// then its rule for events; what the run leaves goes on to its window.
void HandleRunMessage(Eyedropper& e, MSG& msg) {
  // Every key of the thread is the run's, whichever window had the focus
  // when it came (the hidden dialog's before the screen froze).
  if (e.shortcuts.get() != nullptr &&
      TranslateAcceleratorA(e.magnifier.get(), e.shortcuts.get(), &msg)) {
    return;
  }
  const bool poll =
      msg.message == WM_TIMER && msg.hwnd == e.magnifier.get() && msg.wParam == kReleaseTimer;
  if (poll) PollRelease(e);
  const bool taken = poll || OnEyedropperEvent(e.run, EventOf(msg));
  CarryOutRequests(e);
  if (!taken) DeliverMessage(msg);
}

// Until the run ends: kPick blocks in GetMessage; kDropInput takes only what
// is pending (a bounded drain), so that input that came before the run goes
// nowhere while the other messages keep the windows painted. The program
// quitting (the quit is handed on to the outer loop) or a failed queue ends
// the run like Escape.
void RunNestedLoop(Eyedropper& e, bool wait) {
  MSG msg;
  for (int i = 0; e.run.phase != EyedropperPhase::kEnded; ++i) {
    if (!wait && (i == kMaxDroppedEvents || !TakePendingMessage(msg))) return;
    if (wait ? !WaitForNextMessage(msg) : msg.message == WM_QUIT) return OnCloseRequest(e);
    HandleRunMessage(e, msg);
  }
}

// --- End --------------------------------------------------------------------

// The run has given back the capture and the timer (kReleasePointer,
// kStopWatching) before this.
void CloseWindows(Eyedropper& e) {
  e.shortcuts.reset();
  e.magnifier.reset();
  for (auto& m : e.monitors) {
    m->window.reset();  // with its image control
    m->image = nullptr;
    m->shown.reset();
    m->capture.reset();
  }
  e.monitors.clear();
  // The wake-ups of kEndRun (thread messages): not for the dialog's loop.
  MSG msg;
  while (PeekMessageA(&msg, reinterpret_cast<HWND>(-1), WM_NULL, WM_NULL, PM_REMOVE)) {
  }
  e.window_class.reset();
  e.dpi.reset();  // the dialog is shown again at its own awareness
}

void FreezeScreens(Eyedropper& e) {
  e.dpi.emplace();
  e.window_class.emplace(ShellWindowClass(kWindowClass, EyedropperWindowProc,
                                          static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
  MakeShortcuts(e);
  std::vector<MonitorRect> rects;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitorRect, reinterpret_cast<LPARAM>(&rects));
  WindowDc screen(nullptr);
  for (MonitorRect r : rects) {
    e.monitors.push_back(std::make_unique<MonitorWindow>());
    const int index = static_cast<int>(e.monitors.size()) - 1;
    const PixelView capture =
        screen.get() != nullptr ? OpenMonitor(e, screen.get(), r, index) : PixelView{};
    if (HWND w = e.monitors.back()->window.get()) r.dpi = WindowDpi(w);
    AddEyedropperMonitor(e.run, r, capture);
  }
}

bool CarryOut(void* context, const EyedropperRequest& r) {
  Eyedropper& e = *static_cast<Eyedropper*>(context);
  switch (r.kind) {
    case EyedropperRequestKind::kMoveMagnifier:
      SetWindowPos(e.magnifier.get(), nullptr, r.at.x, r.at.y, r.side, r.side,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    case EyedropperRequestKind::kShowMagnifier: {
      WindowDc dc(e.magnifier.get());
      if (dc.get() != nullptr) PutMagnifier(dc.get(), e.run.magnifier);
      break;
    }
    case EyedropperRequestKind::kMovePointer:
      SetCursorPos(r.at.x, r.at.y);
      break;
    case EyedropperRequestKind::kCapturePointer:
      // The button's release then comes to us wherever the pointer goes,
      // should the system grant it; the release watch covers the rest.
      SetCapture(WindowOf(r.window));
      break;
    case EyedropperRequestKind::kReleasePointer:
      if (GetCapture() == WindowOf(r.window)) ReleaseCapture();
      break;
    case EyedropperRequestKind::kWatchRelease:
      SetTimer(e.magnifier.get(), kReleaseTimer, static_cast<UINT>(r.ms), nullptr);
      break;
    case EyedropperRequestKind::kStopWatching:
      if (e.magnifier.get() != nullptr) KillTimer(e.magnifier.get(), kReleaseTimer);
      break;
    case EyedropperRequestKind::kDropQueuedRelease:
      DropQueuedRelease(r.input);
      break;
    case EyedropperRequestKind::kEndRun:
      // Wakes the nested loop when a handler ended the run from inside a
      // sent message (GetMessage would go on waiting otherwise). Wake-ups
      // left in the queue are taken out when the windows close.
      PostMessageA(nullptr, WM_NULL, 0, 0);
      break;
    case EyedropperRequestKind::kHideDialog:
      e.focus_before = GetFocus();
      ShowWindow(e.dialog, SW_HIDE);
      break;
    case EyedropperRequestKind::kWait:
      Sleep(static_cast<DWORD>(r.ms));
      break;
    case EyedropperRequestKind::kDropInput:
      RunNestedLoop(e, false);
      break;
    case EyedropperRequestKind::kFreezeScreens:
      FreezeScreens(e);
      break;
    case EyedropperRequestKind::kOpenMagnifier:
      return OpenMagnifier(e, r.side);
    case EyedropperRequestKind::kPick:
      RunNestedLoop(e, true);
      break;
    case EyedropperRequestKind::kCloseWindows:
      CloseWindows(e);
      break;
    case EyedropperRequestKind::kShowDialog:
      ShowWindow(e.dialog, SW_SHOW);
      SetForegroundWindow(e.dialog);
      break;
    case EyedropperRequestKind::kRestoreFocus:
      if (e.focus_before != nullptr && IsWindow(e.focus_before) &&
          IsChild(e.dialog, e.focus_before)) {
        SetFocus(e.focus_before);
      }
      break;
  }
  return true;
}

}  // namespace

bool RunEyedropper(HWND dialog, const std::string& title, ColorValue& picked_color) {
  Eyedropper e;
  e.dialog = dialog;
  e.title = title;
  const ActiveRun active(e);
  return RunEyedropperSequence(e.run, picked_color, EyedropperShell{CarryOut, &e});
}

}  // namespace tintra
