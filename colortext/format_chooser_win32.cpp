// The format chooser window: a top-level window with a column of push
// buttons, and its own wait loop.
#include <windows.h>

#include <utility>

#include "colortext/format_chooser.h"
#include "picker/dialog_layout.h"
#include "picker/display_dpi_win32.h"
#include "picker/handles_win32.h"
#include "picker/message_loop_win32.h"
#include "picker/top_window_win32.h"

namespace tintra {

namespace {

// Lives on FormatChooser's stack; the window procedure reaches it through
// GWLP_USERDATA.
struct ChooserState {
  int result = 0;  // 0..4
  bool done = false;
  int alpha_flag = 0;
  ChooserLayout layout{};
  GuiFont font;  // the default GUI font at layout.dpi
};

constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU;

// The outer size for the layout's client area at its DPI.
SIZE OuterSize(const ChooserLayout& layout) {
  return OuterSizeForClient(layout.client_width, layout.client_height, kStyle, 0, layout.dpi);
}

// The buttons to their places in the state's layout, in its font.
void PlaceButtons(HWND window, const ChooserState& state) {
  const auto font = reinterpret_cast<WPARAM>(state.font.font);
  for (int i = 0; i < state.layout.button_count; ++i) {
    const ChooserButton& b = state.layout.buttons[i];
    HWND button = GetDlgItem(window, b.id);
    if (button == nullptr) continue;
    SendMessageA(button, WM_SETFONT, font, TRUE);
    SetWindowPos(button, nullptr, b.x, b.y, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// Laid out again at `dpi` (the window is on a monitor of that DPI), the
// window in `outer` when the system suggests a rectangle, else centred where
// it was; then the client area made exact.
void Relayout(HWND window, ChooserState& state, int dpi, const RECT* outer) {
  state.layout = LayoutFormatChooser(state.alpha_flag, dpi);
  GuiFont font;
  MakeGuiFont(font, state.layout.dpi);
  std::swap(state.font, font);  // the old font goes once no button shows it
  PlaceButtons(window, state);
  RECT frame{};
  GetWindowRect(window, &frame);
  if (outer != nullptr) frame = *outer;
  const SIZE size = OuterSize(state.layout);
  const int left = outer != nullptr ? frame.left : (frame.left + frame.right - size.cx) / 2;
  const int top = outer != nullptr ? frame.top : (frame.top + frame.bottom - size.cy) / 2;
  SetWindowPos(window, nullptr, left, top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  FitClientSize(window, state.layout.client_width, state.layout.client_height);
}

// A button press: its identifier is the format code. Only our own buttons
// count (lParam is the sending control).
void OnCommand(HWND window, ChooserState& state, int id, int notification, HWND control) {
  if (notification != BN_CLICKED || id < 1 || id > 4) return;
  if (control == nullptr || GetDlgItem(window, id) != control) return;
  state.result = id;
  state.done = true;
}

// Close box, system menu or Alt+F4: no choice. The window itself is
// destroyed by FormatChooser.
void OnClose(ChooserState& state) {
  state.done = true;
}

LRESULT CALLBACK ChooserProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* state = reinterpret_cast<ChooserState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (state != nullptr) {
    switch (message) {
      case WM_COMMAND:
        OnCommand(window, *state, LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
        return 0;
      case WM_CLOSE:
        OnClose(*state);
        return 0;
      case WM_DPICHANGED:
        Relayout(window, *state, HIWORD(wparam), reinterpret_cast<const RECT*>(lparam));
        return 0;
      default:
        break;
    }
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

WNDCLASSEXA ChooserClass() {
  return ShellWindowClass(kFormatChooserClass, ChooserProc,
                          reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
}

// Centred on the primary screen (no owner), no larger than it.
OwnedWindow CreateChooserWindow(HINSTANCE instance, const char* title, ChooserState* state) {
  const WindowPlacement place = CenterWindow(nullptr, OuterSize(state->layout));
  return OwnedWindow(CreateWindowExA(0, kFormatChooserClass, title != nullptr ? title : "", kStyle,
                                     place.left, place.top, place.width, place.height, nullptr,
                                     nullptr, instance, state));
}

void CreateButtons(HWND window, HINSTANCE instance, const FormatChooserTexts& texts,
                   const ChooserState& state) {
  const ChooserLayout& layout = state.layout;
  const auto font = reinterpret_cast<WPARAM>(state.font.font);
  for (int i = 0; i < layout.button_count; ++i) {
    const ChooserButton& b = layout.buttons[i];
    const char* text = ChooserButtonText(texts, b.id);
    HWND button = CreateWindowExA(
        0, "BUTTON", text != nullptr ? text : "",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, b.x, b.y, b.width, b.height, window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(b.id)), instance, nullptr);
    if (button != nullptr) SendMessageA(button, WM_SETFONT, font, TRUE);
  }
}

// Runs until a button or a close request ends the chooser. Tab moves among
// the buttons and Space presses the focused one; Enter and Escape are left
// out of the dialog-key handling because it would turn them into the
// commands IDOK (1) and IDCANCEL (2), which are format codes here.
// Blocks in GetMessage: nothing is to be done until the user acts.
void WaitForChoice(HWND window, const ChooserState& state) {
  MSG msg;
  while (!state.done) {
    if (!WaitForNextMessage(msg)) return;  // a quit is handed on to the caller
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && IsDialogMessageA(window, &msg)) {
      continue;
    }
    DeliverMessage(msg);
  }
}

}  // namespace

// The window is destroyed before returning rather than left on screen until
// the program ends: nothing would serve its messages any more, so it would
// look hung while the front-end delivers the result (the clipboard write may
// wait for the clipboard), and every resource goes with the call that made it.
int FormatChooser(const FormatChooserTexts& texts, int alpha_flag) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  // Laid out at the system's DPI, then again at the DPI of the monitor the
  // window landed on, before it is shown.
  ChooserState state;
  state.alpha_flag = alpha_flag;
  state.layout = LayoutFormatChooser(alpha_flag, SystemDpi());
  MakeGuiFont(state.font, state.layout.dpi);
  const RegisteredClass window_class(ChooserClass());
  const OwnedWindow window(CreateChooserWindow(instance, texts.title, &state));
  const HWND chooser = window.get();
  if (chooser == nullptr) return 0;
  CreateButtons(chooser, instance, texts, state);
  if (LayoutDpi(WindowDpi(chooser)) != state.layout.dpi) {
    Relayout(chooser, state, WindowDpi(chooser), nullptr);
  }
  ShowWindow(chooser, SW_SHOW);
  UpdateWindow(chooser);
  WaitForChoice(chooser, state);
  return state.result;
}

}  // namespace tintra
