// The format chooser window: a top-level window with a column of push
// buttons, and its own wait loop.
#include <windows.h>

#include "colortext/format_chooser.h"

namespace tintra {

namespace {

// Lives on FormatChooser's stack; the window procedure reaches it through
// GWLP_USERDATA.
struct ChooserState {
  int result = 0;  // 0..4
  bool done = false;
};

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
      default:
        break;
    }
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// Registers the window class for the length of one chooser.
struct ChooserClass {
  HINSTANCE instance;
  bool registered;
  explicit ChooserClass(HINSTANCE inst) : instance(inst) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ChooserProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kFormatChooserClass;
    registered = RegisterClassExA(&wc) != 0;
  }
  ~ChooserClass() {
    if (registered) UnregisterClassA(kFormatChooserClass, instance);
  }
  ChooserClass(const ChooserClass&) = delete;
  ChooserClass& operator=(const ChooserClass&) = delete;
};

struct WindowHolder {
  HWND window;
  explicit WindowHolder(HWND w) : window(w) {}
  ~WindowHolder() {
    if (window != nullptr) DestroyWindow(window);
  }
  WindowHolder(const WindowHolder&) = delete;
  WindowHolder& operator=(const WindowHolder&) = delete;
};

HWND CreateChooserWindow(HINSTANCE instance, const char* title, const ChooserLayout& layout,
                         ChooserState* state) {
  constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU;
  RECT outer{0, 0, layout.client_width, layout.client_height};
  AdjustWindowRectEx(&outer, kStyle, FALSE, 0);
  const WindowPlacement place =
      CenterOnScreen(outer.right - outer.left, outer.bottom - outer.top,
                     GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  return CreateWindowExA(0, kFormatChooserClass, title != nullptr ? title : "", kStyle, place.left,
                         place.top, place.width, place.height, nullptr, nullptr, instance, state);
}

void CreateButtons(HWND window, HINSTANCE instance, const FormatChooserTexts& texts,
                   const ChooserLayout& layout) {
  const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
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
void WaitForChoice(HWND window, const ChooserState& state) {
  MSG msg;
  while (!state.done) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // leave WM_QUIT for the caller
      return;
    }
    if (got == -1) return;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && IsDialogMessageA(window, &msg)) {
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace

// The window is destroyed before returning rather than left on screen until
// the program ends: nothing would serve its messages any more, so it would
// look hung while the front-end delivers the result (the clipboard write may
// wait for the clipboard), and every resource goes with the call that made it.
int FormatChooser(const FormatChooserTexts& texts, int alpha_flag) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  const ChooserLayout layout = LayoutFormatChooser(alpha_flag);
  ChooserState state;
  const ChooserClass window_class(instance);
  const WindowHolder chooser(CreateChooserWindow(instance, texts.title, layout, &state));
  if (chooser.window == nullptr) return 0;
  CreateButtons(chooser.window, instance, texts, layout);
  ShowWindow(chooser.window, SW_SHOW);
  UpdateWindow(chooser.window);
  WaitForChoice(chooser.window, state);
  return state.result;
}

}  // namespace tintra
