// EditColorInPicker on Win32: a tool window over the portable picker session.
// The window procedure and the event loop only translate messages into the
// session's handlers and carry out the requests those handlers record; all
// state and drawing live in the session (picker/picker_session.h).
//
// Ownership: everything the dialog makes lives in one Dialog record on the
// stack of EditColorInPicker; the holders release it, window first, on every
// path out of the call.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "picker/bitmaps_win32.h"
#include "picker/color_picker.h"
#include "picker/dialog_widgets_win32.h"
#include "picker/display_dpi_win32.h"
#include "picker/eyedropper_win32.h"
#include "picker/handles_win32.h"
#include "picker/interaction.h"
#include "picker/message_loop_win32.h"
#include "picker/picker_session.h"
#include "picker/session_observer.h"
#include "picker/top_window_win32.h"

namespace tintra {

namespace {

constexpr char kWindowClass[] = "TintraColorPicker";
// Small caption with a close box only; the border cannot be dragged to resize.
constexpr DWORD kWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;

struct Dialog {
  PickerSession session;
  WidgetImages widget_images;  // released after the window
  HWND window = nullptr;
  DialogWidgets widgets;
  PointerGuard pointer;
  bool ended = false;    // the session asked to end the dialog
  int setting_text = 0;  // > 0 while the dialog sets a field's text: no change event
  // > 0 while the dialog gives up its own capture: that change is no loss.
  int releasing_capture = 0;

  std::vector<ColorValue> composite;      // the canvas over the window colour
  std::vector<std::uint32_t> dib_pixels;  // the same, BGRA for the blit
};

InteractionState& Ui(Dialog& d) {
  return d.session.ui;
}

// --- Requests ---------------------------------------------------------------

void SetWidgetText(Dialog& d, HWND widget, const std::string& text) {
  if (widget == nullptr) return;
  ++d.setting_text;
  SetWindowTextA(widget, text.c_str());
  --d.setting_text;
  // Painted now: a widget redrawn for the dialog's own text asks for no
  // second blit of a canvas that has not changed.
  UpdateWindow(widget);
}

void PaintCanvas(Dialog& d);

void CarryOut(Dialog& d, const PlatformRequest& r) {
  switch (r.kind) {
    case RequestKind::kHidePointer:
      d.pointer.Hide();
      return;
    case RequestKind::kShowPointer:
      d.pointer.Show();
      return;
    case RequestKind::kSaveAndConfinePointer: {
      const PixelRect p = ConfinementPixels(d.session, r.rect);
      POINT origin{p.x, p.y};
      ClientToScreen(d.window, &origin);
      d.pointer.Confine(RECT{origin.x, origin.y, origin.x + p.width, origin.y + p.height});
      return;
    }
    case RequestKind::kRestoreConfinement:
      d.pointer.Restore();
      return;
    case RequestKind::kCapturePointer:
      SetCapture(d.window);
      return;
    case RequestKind::kReleasePointerCapture:
      // The capture change this causes is no loss (see WM_CAPTURECHANGED).
      if (GetCapture() == d.window) {
        ++d.releasing_capture;
        ReleaseCapture();
        --d.releasing_capture;
      }
      return;
    case RequestKind::kFocusOkButton:
      if (d.widgets.ok_button != nullptr) SetFocus(d.widgets.ok_button);
      return;
    case RequestKind::kSetChannelText:
    case RequestKind::kSetFieldText:
      SetWidgetText(d, TextWidgetOf(d.widgets, r), r.text);
      return;
    case RequestKind::kSelectPreset:
      if (d.widgets.preset_combo != nullptr) {
        // Raises no selection event.
        SendMessageA(d.widgets.preset_combo, CB_SETCURSEL, static_cast<WPARAM>(r.preset_index), 0);
      }
      return;
    case RequestKind::kRunEyedropper: {
      // Its windows carry the dialog's title.
      ColorValue color = r.color;
      const bool got = RunEyedropper(d.window, WindowText(d.window), color);
      OnEyedropperResult(Ui(d), got, color);
      return;
    }
    case RequestKind::kPaint:
      PaintCanvas(d);
      return;
    case RequestKind::kRelayout:
      RelayoutDialogWidgets(d.session, d.widget_images, d.widgets);
      return;
    case RequestKind::kEndDialog:
      d.ended = true;
      return;
  }
}

void CarryOutRequests(Dialog& d) {
  DrainRequests(Ui(d), [&d](const PlatformRequest& r) { CarryOut(d, r); });
}

// --- Refresh and paint ------------------------------------------------------

void PaintCanvas(Dialog& d) {
  const Image& canvas = d.session.images.canvas;
  CompositeOver(canvas, d.session.background, d.composite);
  if (d.composite.empty()) return;
  d.dib_pixels.resize(d.composite.size());
  std::transform(d.composite.begin(), d.composite.end(), d.dib_pixels.begin(), SwapRedBlue);
  const BITMAPINFO info = TopDownBitmapInfo(canvas.width, canvas.height, 32);
  WindowDc dc(d.window);
  if (dc.get() == nullptr) return;
  SetDIBitsToDevice(dc.get(), 0, 0, static_cast<DWORD>(canvas.width),
                    static_cast<DWORD>(canvas.height), 0, 0, 0, static_cast<UINT>(canvas.height),
                    d.dib_pixels.data(), &info, DIB_RGB_COLORS);
  // The template rows below the canvas: the window colour between the fields.
  if (d.session.client_physical_height > canvas.height) {
    const RECT below{0, canvas.height, d.session.layout.client.physical.width,
                     d.session.client_physical_height};
    FillRect(dc.get(), &below, GetSysColorBrush(COLOR_BTNFACE));
  }
  ReportPaint(d.session, d.window);
}

// Once no event is pending: the refresh stages, then what they ask of the
// widgets, then the paint.
void Refresh(Dialog& d) {
  RefreshSession(d.session);
  CarryOutRequests(d);
}

// --- Events -----------------------------------------------------------------

bool IsDialogWindow(const Dialog& d, HWND w) {
  return w != nullptr && (w == d.window || IsChild(d.window, w));
}

// A pointer event for the session, at the pointer's client pixel now (the
// message's own position is cut to 16 bits and relative to the widget).
void OnPointer(Dialog& d, RawPointerKind kind) {
  POINT p{-1, -1};
  const bool known = GetCursorPos(&p) && ScreenToClient(d.window, &p);
  OnRawPointer(d.session, RawPointerEvent{kind, true, known, p.x, p.y});
  CarryOutRequests(d);
}

// A widget's notification, for the session; the codes of the three kinds of
// widget do not overlap.
void OnWidgetCommand(Dialog& d, int id, int code, HWND control) {
  WidgetEventKind kind;
  switch (code) {
    case EN_CHANGE:
      if (d.setting_text > 0) return;  // the dialog's own text is no input
      kind = WidgetEventKind::kTextEdited;
      break;
    case EN_SETFOCUS:
    case CBN_SETFOCUS:
      kind = WidgetEventKind::kFocusIn;
      break;
    case EN_KILLFOCUS:
    case CBN_KILLFOCUS:
      kind = WidgetEventKind::kFocusOut;
      break;
    case CBN_SELCHANGE:
      kind = WidgetEventKind::kSelected;
      break;
    case BN_CLICKED:
      kind = WidgetEventKind::kClicked;
      break;
    default:
      return;
  }
  const auto widget = static_cast<WidgetId>(id);
  const int selected = widget == WidgetId::kPresetCombo
                           ? static_cast<int>(SendMessageA(control, CB_GETCURSEL, 0, 0))
                           : -1;
  OnWidgetEvent(Ui(d), widget, kind,
                kind == WidgetEventKind::kTextEdited ? WindowText(control) : std::string(),
                selected);
  CarryOutRequests(d);
}

// Makes the client area exactly the layout's, whatever the system's frame
// metrics.
void FitClientArea(const Dialog& d) {
  FitClientSize(d.window, d.session.layout.client.physical.width, d.session.client_physical_height);
}

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* d = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (d == nullptr) return DefWindowProcA(window, message, wparam, lparam);
  switch (message) {
    case WM_CLOSE:  // the close box, Alt+F4, or anyone asking the window to close
      OnCloseRequest(Ui(*d));
      CarryOutRequests(*d);
      return 0;
    case WM_PAINT: {
      // Validate only: the canvas is put on the window once no event is pending.
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      OnRepaintRequest(Ui(*d));
      return 0;
    }
    case WM_ERASEBKGND:
      OnRepaintRequest(Ui(*d));
      return 1;  // erased by the paint: nothing in between, no flicker
    case WM_COMMAND:
      OnWidgetCommand(*d, LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      return 0;
    case WM_CAPTURECHANGED:
      // Lost to another window, or cancelled by the system; not when the
      // dialog captures again or gives its capture up itself.
      if (d->releasing_capture == 0 && reinterpret_cast<HWND>(lparam) != window) {
        OnPointerCaptureLost(Ui(*d));
        CarryOutRequests(*d);
      }
      return 0;
    case WM_DPICHANGED: {
      // The window moved to a monitor of another DPI: into the rectangle the
      // system suggests, laid out again there, the client area made exact.
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      OnDpiChange(d->session, HIWORD(wparam));
      CarryOutRequests(*d);
      FitClientArea(*d);
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      // Channel and output fields are white, also read-only ones (which the
      // system would draw in the window colour); captions keep the default.
      if (message == WM_CTLCOLOREDIT || IsEditWidget(reinterpret_cast<HWND>(lparam))) {
        const auto dc = reinterpret_cast<HDC>(wparam);
        SetBkColor(dc, RGB(255, 255, 255));
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// Handles one message taken from the queue. Pointer messages of the dialog
// and of its widgets go to the session first (the widget still gets them);
// Tab moves the focus and goes no further, nor do Enter and Escape when the
// dialog keys take them.
void HandleMessage(Dialog& d, MSG& msg) {
  InteractionState& ui = Ui(d);
  if (msg.message == WM_QUIT) {
    // Someone ends the thread's loop: close (the quit is handed on to the
    // caller's own loop by TakePendingMessage).
    OnCloseRequest(ui);
    CarryOutRequests(d);
    return;
  }
  if (IsDialogWindow(d, msg.hwnd)) {
    switch (msg.message) {
      case WM_LBUTTONDOWN:
        OnPointer(d, RawPointerKind::kPress);
        break;
      case WM_LBUTTONDBLCLK:  // widgets turn a second press into a double click
        OnPointer(d, RawPointerKind::kDoubleClick);
        break;
      case WM_LBUTTONUP:
        OnPointer(d, RawPointerKind::kRelease);
        break;
      case WM_MOUSEMOVE:
        OnPointer(d, RawPointerKind::kMove);
        break;
      case WM_PAINT:
        if (msg.hwnd != d.window) OnRepaintRequest(ui);  // a widget repaints itself
        break;
      case WM_KEYDOWN: {
        const WPARAM k = msg.wParam;
        const KeyCode key = k == VK_TAB      ? KeyCode::kTab
                            : k == VK_RETURN ? KeyCode::kEnter
                            : k == VK_ESCAPE ? KeyCode::kEscape
                                             : KeyCode::kOther;
        const bool command = GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
        const KeyAction action = OnKey(ui, key, GetKeyState(VK_SHIFT) < 0, command,
                                       key != KeyCode::kOther && PresetListOpen(d.widgets));
        if (action == KeyAction::kPass) break;
        if (action != KeyAction::kTaken) {
          MoveWidgetFocus(d.window, d.widgets, action == KeyAction::kFocusPrevious);
        }
        CarryOutRequests(d);
        return;  // the key goes no further, so no widget acts on it too
      }
      case WM_CHAR:
        if (msg.wParam == '\t') return;  // Tab was handled at its key-down
        break;
      default:
        break;
    }
  }
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

// What an observer is told of the window and the pointer.
ShellState ShellStateOf(const Dialog& d) {
  return ShellState{d.window, d.pointer.hidden, d.pointer.confined};
}

// The event loop: every pending message is handled, then the session is
// refreshed and painted once, then the loop waits.
void RunEventLoop(Dialog& d) {
  MSG msg;
  for (;;) {
    // Waits only once nothing is pending and the dialog is drawn: a burst of
    // events costs one refresh.
    while (!d.ended && TakePendingMessage(msg)) HandleMessage(d, msg);
    Refresh(d);
    if (d.ended) return;
    ReportIdle(d.session, ShellStateOf(d));
    WaitMessage();
  }
}

// --- Window -----------------------------------------------------------------

WNDCLASSEXA DialogClass() {
  return ShellWindowClass(kWindowClass, DialogProc,
                          reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
}

// Window rectangle for the client size at the layout's DPI, centred over
// the owner or on the primary screen. The dialog keeps its whole size also
// on a smaller screen: its client area is exact.
RECT PlaceWindow(const Dialog& d, HWND owner) {
  const SIZE outer =
      OuterSizeForClient(d.session.layout.client.physical.width, d.session.client_physical_height,
                         kWindowStyle, kWindowExStyle, d.session.layout.dpi);
  const WindowPlacement place = CenterWindow(owner, outer);
  return RECT{place.left, place.top, place.left + outer.cx, place.top + outer.cy};
}

}  // namespace

PickerAnswer EditColorInPicker(ColorValue initial, std::string_view descriptor, int alpha_flag,
                               OwnerWindow owner, const PickerOptions& options) {
  const PickerAnswer declined{initial, false};
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  // ICC_TAB_CLASSES: the tooltip control.
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_STANDARD_CLASSES | ICC_USEREX_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);

  // Set-up that needs no window: images, hue table, descriptor, colour state,
  // at the DPI the window is likely to get (the owner's, or the system's).
  Dialog d;
  const HWND owner_window = static_cast<HWND>(owner);
  const int dpi = IsWindow(owner_window) ? WindowDpi(owner_window) : SystemDpi();
  const ColorValue window_color = ColorOfColorRef(GetSysColor(COLOR_BTNFACE));
  OpenSession(d.session, initial, descriptor, alpha_flag, window_color, dpi,
              InstalledSessionObserver(), options);
  BuildWidgetImages(d.widget_images, d.session);
  const RegisteredClass window_class(DialogClass());
  if (!window_class.usable) return declined;

  {
    // Declared in this order so that they end in the reverse one: window
    // destroyed, then the owner enabled; the images go with `d` after both.
    DisabledOwner disabled(owner_window);  // no owner when it is not a window
    const RECT place = PlaceWindow(d, disabled.owner);
    OwnedWindow window(
        CreateWindowExA(kWindowExStyle, kWindowClass, d.session.descriptor.title.c_str(),
                        kWindowStyle, place.left, place.top, place.right - place.left,
                        place.bottom - place.top, disabled.owner, nullptr, instance, &d));
    if (window.get() == nullptr) return declined;
    d.window = window.get();
    // On a monitor of another DPI than foreseen: laid out for that one, and
    // placed again for the new size.
    if (OnDpiChange(d.session, WindowDpi(d.window))) {
      CarryOutRequests(d);
      const RECT again = PlaceWindow(d, disabled.owner);
      SetWindowPos(d.window, nullptr, again.left, again.top, again.right - again.left,
                   again.bottom - again.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    FitClientArea(d);
    CreateDialogWidgets(d.window, d.session, d.widget_images, d.widgets);
    ReportWindowCreated(d.session, d.window);

    ShowWindow(d.window, SW_SHOW);
    // With dialog keys the focus rectangle is drawn from the start, not only
    // once the keyboard was used.
    if (d.session.ui.dialog_keys) {
      SendMessageA(d.window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    }
    if (HWND first = FirstFocusWidget(d.widgets, FirstFocus(d.session.ui))) SetFocus(first);
    CarryOutRequests(d);

    RunEventLoop(d);

    // A drag still in progress ends here: pointer shown, confinement back.
    EndDragForClose(Ui(d));
    CarryOutRequests(d);
    ReportEnd(d.session, ShellStateOf(d));
    d.pointer.Restore();
    while (d.pointer.hidden > 0) d.pointer.Show();
    // The window goes without reaching the session any more.
    SetWindowLongPtrA(d.window, GWLP_USERDATA, 0);
    window.reset();
    d.window = nullptr;
  }
  return SessionAnswer(d.session);
}

}  // namespace tintra
