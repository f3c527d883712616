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
// Window coordinates are 16-bit on some systems: a descriptor with thousands
// of rows gets a client area cut at this height (physical pixels).
constexpr int kMaxClientHeight = 32000;

struct Dialog {
  PickerSession session;
  WidgetImages widget_images;  // released after the window
  HWND window = nullptr;
  DialogWidgets widgets;
  PointerGuard pointer;
  ClientRect confined_area;  // logical: the press area the pointer is held to
  int client_height = 0;     // physical pixels, what the window really got
  int setting_text = 0;      // > 0 while the dialog sets a field's text: no change event
  // > 0 while the dialog gives up its own capture: that change is no loss.
  int releasing_capture = 0;

  std::vector<ColorValue> composite;      // the canvas over the window colour
  std::vector<std::uint32_t> dib_pixels;  // the same, BGRA for the blit
  // The eyedropper's colour (alpha 0) from one run to the next while this
  // dialog is open; black at first.
  ColorValue eyedropper_color = 0;
};

InteractionState& Ui(Dialog& d) {
  return d.session.ui;
}

// --- Requests ---------------------------------------------------------------

// The screen eyedropper over the dialog; its windows carry the dialog's
// title. A pick becomes the current colour.
void RunEyedropperRequest(Dialog& d) {
  const bool got = RunEyedropper(d.window, WindowText(d.window), d.eyedropper_color);
  OnEyedropperResult(Ui(d), got, d.eyedropper_color);
}

void SetWidgetText(Dialog& d, HWND widget, const std::string& text) {
  if (widget == nullptr) return;
  ++d.setting_text;
  SetWindowTextA(widget, text.c_str());
  --d.setting_text;
  // Painted now: a widget redrawn for the dialog's own text asks for no
  // second blit of a canvas that has not changed.
  UpdateWindow(widget);
}

void CarryOutRequests(Dialog& d);
void OnDpiChanged(Dialog& d, int dpi, const RECT* suggested);

void CarryOut(Dialog& d, const PlatformRequest& r) {
  switch (r.kind) {
    case RequestKind::kHidePointer:
      d.pointer.Hide();
      return;
    case RequestKind::kShowPointer:
      d.pointer.Show();
      return;
    case RequestKind::kSaveAndConfinePointer: {
      // The handlers' rectangle is logical; the pointer is held to its
      // physical pixels, all of which map back into it.
      POINT origin{0, 0};
      ClientToScreen(d.window, &origin);
      const int dpi = d.session.layout.dpi;
      const RECT screen{
          ToPhysical(r.rect.left, dpi) + origin.x, ToPhysical(r.rect.top, dpi) + origin.y,
          ToPhysical(r.rect.right, dpi) + origin.x, ToPhysical(r.rect.bottom, dpi) + origin.y};
      d.pointer.Confine(screen);
      d.confined_area = r.rect;
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
    case RequestKind::kSetChannelText: {
      const auto c = static_cast<std::size_t>(r.channel);
      if (c < d.widgets.channel_fields.size()) {
        SetWidgetText(d, d.widgets.channel_fields[c], r.text);
      }
      return;
    }
    case RequestKind::kSelectPreset:
      if (d.widgets.preset_combo != nullptr) {
        // Raises no selection event.
        SendMessageA(d.widgets.preset_combo, CB_SETCURSEL, static_cast<WPARAM>(r.preset_index), 0);
      }
      return;
    case RequestKind::kRunEyedropper:
      RunEyedropperRequest(d);
      return;
  }
}

// Carries out the recorded requests, oldest first. A request may make the
// system send an event whose handler records more (moving the focus makes a
// field lose it); those are carried out at once by the nested call, so the
// list is taken out before it is walked.
void CarryOutRequests(Dialog& d) {
  while (!Ui(d).requests.empty()) {
    std::vector<PlatformRequest> batch;
    batch.swap(Ui(d).requests);
    for (const PlatformRequest& r : batch) CarryOut(d, r);
  }
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
  if (d.client_height > canvas.height) {
    const RECT below{0, canvas.height, d.session.layout.client.physical.width, d.client_height};
    FillRect(dc.get(), &below, GetSysColorBrush(COLOR_BTNFACE));
  }
  ReportPaint(d.session, d.window);
}

// Once no event is pending: the refresh stages, then what they ask of the
// widgets, then the paint.
void Refresh(Dialog& d) {
  RefreshSession(d.session);
  CarryOutRequests(d);
  if (d.session.field_texts_changed) {
    d.session.field_texts_changed = false;
    const std::vector<TemplateField>& fields = d.session.descriptor.fields;
    for (std::size_t i = 0; i < fields.size() && i < d.widgets.template_fields.size(); ++i) {
      if (fields[i].placeholder_count > 0) {
        SetWidgetText(d, d.widgets.template_fields[i], d.session.field_texts[i]);
      }
    }
  }
  if (Ui(d).picker.flags.paint) {
    Ui(d).picker.flags.paint = false;
    PaintCanvas(d);
  }
}

// --- Events -----------------------------------------------------------------

bool IsDialogWindow(const Dialog& d, HWND w) {
  return w != nullptr && (w == d.window || IsChild(d.window, w));
}

// The pointer in logical client pixels (the logical position under its
// physical pixel), or -1, -1 outside the client area. During a drag, which
// holds the capture, its real position wherever it is: the drag holds it to
// the area's nearest edge.
POINT PointerInClient(Dialog& d) {
  POINT p{-1, -1};
  const bool dragging = Ui(d).picker.drag != Drag::kNone;
  if (!GetCursorPos(&p) || !ScreenToClient(d.window, &p)) {
    p = POINT{-1, -1};
  } else if (!dragging && (p.x < 0 || p.y < 0 || p.x >= d.session.layout.client.physical.width ||
                           p.y >= d.client_height)) {
    p = POINT{-1, -1};
  } else {
    p = POINT{ToLogical(p.x, d.session.layout.dpi), ToLogical(p.y, d.session.layout.dpi)};
  }
  return p;
}

// The dialog's own widget that holds or contains `w` (the preset combo's
// inner box belongs to the combo), or nullptr.
HWND OwningWidget(const Dialog& d, HWND w) {
  while (w != nullptr && GetParent(w) != d.window) w = GetParent(w);
  return w;
}

// Tab and Shift+Tab: the next (previous) widget that takes the focus, in
// creation order, wrapping around.
void MoveFocus(Dialog& d, bool backwards) {
  const std::vector<HWND>& order = d.widgets.focus_order;
  const int count = static_cast<int>(order.size());
  if (count == 0) return;
  const HWND current = OwningWidget(d, GetFocus());
  const auto found = std::find(order.begin(), order.end(), current);
  int index =
      found == order.end() ? (backwards ? count : -1) : static_cast<int>(found - order.begin());
  for (int step = 0; step < count; ++step) {
    index = (index + (backwards ? count - 1 : 1)) % count;
    HWND candidate = order[static_cast<std::size_t>(index)];
    if (IsWindowEnabled(candidate) && IsWindowVisible(candidate)) {
      SetFocus(candidate);
      // As in dialogs: a field reached by Tab has its text selected.
      if (IsEditWidget(candidate)) SendMessageA(candidate, EM_SETSEL, 0, -1);
      return;
    }
  }
}

void OnWidgetCommand(Dialog& d, int id, int code, HWND /*control*/) {
  InteractionState& ui = Ui(d);
  const auto widget = static_cast<WidgetId>(id);
  switch (widget) {
    case WidgetId::kRedField:
    case WidgetId::kGreenField:
    case WidgetId::kBlueField:
    case WidgetId::kAlphaField: {
      const auto channel = static_cast<Channel>(id - static_cast<int>(WidgetId::kRedField));
      HWND field = d.widgets.channel_fields[static_cast<std::size_t>(channel)];
      if (field == nullptr) return;
      if (code == EN_CHANGE && d.setting_text == 0) {
        OnChannelTextChanged(ui, channel, WindowText(field));
      } else if (code == EN_KILLFOCUS) {
        OnChannelFocusLost(ui, channel);
      } else if (code == EN_SETFOCUS) {
        OnFocusGained(ui, widget);
      }
      break;
    }
    case WidgetId::kPresetCombo: {
      PresetEventKind kind;
      if (code == CBN_SELCHANGE) {
        kind = PresetEventKind::kSelectionChanged;
      } else if (code == CBN_SETFOCUS) {
        kind = PresetEventKind::kFocusGained;
      } else if (code == CBN_KILLFOCUS) {
        kind = PresetEventKind::kFocusLost;
      } else {
        return;
      }
      const auto selected =
          static_cast<int>(SendMessageA(d.widgets.preset_combo, CB_GETCURSEL, 0, 0));
      OnPresetEvent(ui, kind, selected);
      break;
    }
    case WidgetId::kOkButton:
    case WidgetId::kCancelButton:
    case WidgetId::kEyedropperButton:
      if (code == BN_CLICKED) OnButton(ui, widget);
      break;
    default:
      return;  // template fields and captions: nothing
  }
  CarryOutRequests(d);
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
    case WM_DPICHANGED:
      OnDpiChanged(*d, HIWORD(wparam), reinterpret_cast<const RECT*>(lparam));
      return 0;
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

// Whether the preset combo's list is dropped (it takes Enter and Escape).
bool PresetListOpen(const Dialog& d) {
  if (d.widgets.preset_combo == nullptr) return false;
  const auto inner =
      reinterpret_cast<HWND>(SendMessageA(d.widgets.preset_combo, CBEM_GETCOMBOCONTROL, 0, 0));
  return inner != nullptr && SendMessageA(inner, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

// Enter and Escape on any widget, for the session's key rule; true when the
// rule took the key (it goes no further, so no widget acts on it too).
bool HandleDialogKey(Dialog& d, WPARAM key) {
  if (key != VK_RETURN && key != VK_ESCAPE) return false;
  if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
  const DialogKey which = key == VK_RETURN ? DialogKey::kEnter : DialogKey::kEscape;
  if (!OnDialogKey(Ui(d), which, PresetListOpen(d))) return false;
  CarryOutRequests(d);
  return true;
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
      case WM_LBUTTONDBLCLK: {  // widgets turn a second press into a double click
        const POINT p = PointerInClient(d);
        ReportPointerEvent(d.session, PointerEventKind::kButtonDown, p.x, p.y);
        OnButtonDown(ui, p.x, p.y);
        CarryOutRequests(d);
        break;
      }
      case WM_LBUTTONUP: {
        const POINT p = PointerInClient(d);
        ReportPointerEvent(d.session, PointerEventKind::kButtonUp, p.x, p.y);
        OnButtonUp(ui, p.x, p.y);
        CarryOutRequests(d);
        break;
      }
      case WM_MOUSEMOVE: {
        const POINT p = PointerInClient(d);
        ReportPointerEvent(d.session, PointerEventKind::kMove, p.x, p.y);
        OnPointerMove(ui, p.x, p.y);
        CarryOutRequests(d);
        break;
      }
      case WM_PAINT:
        if (msg.hwnd != d.window) OnRepaintRequest(ui);  // a widget repaints itself
        break;
      case WM_KEYDOWN:
        if (msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0) {
          MoveFocus(d, GetKeyState(VK_SHIFT) < 0);
          return;
        }
        if (HandleDialogKey(d, msg.wParam)) return;
        break;
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
    while (!Ui(d).quit && TakePendingMessage(msg)) HandleMessage(d, msg);
    Refresh(d);
    if (Ui(d).quit) return;
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
  const SIZE outer = OuterSizeForClient(d.session.layout.client.physical.width, d.client_height,
                                        kWindowStyle, kWindowExStyle, d.session.layout.dpi);
  const WindowPlacement place = CenterWindow(owner, outer);
  return RECT{place.left, place.top, place.left + outer.cx, place.top + outer.cy};
}

// Makes the client area exactly the layout's, whatever the system's frame
// metrics.
void FitClientArea(const Dialog& d) {
  FitClientSize(d.window, d.session.layout.client.physical.width, d.client_height);
}

// Lays the dialog out again at `dpi`: the session (its colour state kept),
// the widget images, the widgets and a confinement in force. The window's
// own size is the caller's.
void Rescale(Dialog& d, int dpi) {
  if (LayoutDpi(dpi) == d.session.layout.dpi) return;
  RescaleSession(d.session, dpi);
  d.client_height = std::min(d.session.layout.client.physical.height, kMaxClientHeight);
  WidgetImages images;
  BuildWidgetImages(images, d.session.layout);
  PlaceDialogWidgets(d.session, images, d.widgets);
  std::swap(d.widget_images, images);  // the old ones go once nothing shows them
  if (d.pointer.confined) {
    PlatformRequest confine;
    confine.kind = RequestKind::kSaveAndConfinePointer;
    confine.rect = d.confined_area;
    CarryOut(d, confine);
  }
  Ui(d).picker.flags.paint = true;
}

// The window moved to a monitor of another DPI: laid out again there, in the
// rectangle the system suggests, with the client area made exact.
void OnDpiChanged(Dialog& d, int dpi, const RECT* suggested) {
  Rescale(d, dpi);
  if (suggested != nullptr) {
    SetWindowPos(d.window, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  FitClientArea(d);
  InvalidateRect(d.window, nullptr, TRUE);
}

// The widget the session gives the first focus to. The classic dialog's
// first focus is the first widget that takes one.
HWND FirstFocusWidget(const Dialog& d) {
  if (FirstFocus(d.session.ui) == WidgetId::kOkButton && d.widgets.ok_button != nullptr) {
    return d.widgets.ok_button;
  }
  return d.widgets.focus_order.empty() ? nullptr : d.widgets.focus_order.front();
}

// Shows the first focus: with dialog keys the focus rectangle is drawn from
// the start, not only once the keyboard was used.
void ShowFirstFocus(Dialog& d) {
  HWND first = FirstFocusWidget(d);
  if (first == nullptr) return;
  if (d.session.ui.dialog_keys) {
    SendMessageA(d.window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  }
  SetFocus(first);
}

}  // namespace

ColorValue OpenColorPicker(ColorValue initial, std::string_view descriptor, int alpha_flag,
                           OwnerWindow owner) {
  return EditColorInPicker(initial, descriptor, alpha_flag, owner, PickerOptions{}).color;
}

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
  d.client_height = std::min(d.session.layout.client.physical.height, kMaxClientHeight);
  BuildWidgetImages(d.widget_images, d.session.layout);
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
    if (LayoutDpi(WindowDpi(d.window)) != d.session.layout.dpi) {
      Rescale(d, WindowDpi(d.window));
      const RECT again = PlaceWindow(d, disabled.owner);
      SetWindowPos(d.window, nullptr, again.left, again.top, again.right - again.left,
                   again.bottom - again.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    FitClientArea(d);
    CreateDialogWidgets(d.window, d.session, d.widget_images, d.widgets);
    ReportWindowCreated(d.session, d.window);

    ShowWindow(d.window, SW_SHOW);
    ShowFirstFocus(d);
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
