// The format chooser window: a top-level window with a column of push
// buttons, and its own wait loop.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

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

// --- The list chooser ---------------------------------------------------------

namespace tintra {

namespace {

// Lives on ChooseFromList's stack; the window procedure reaches it through
// GWLP_USERDATA.
struct ListState {
  const ChooserList* list = nullptr;
  ListChooserState keys;
  ListChooserLayout layout;
  GuiFont font;               // the default GUI font at layout.dpi
  std::vector<HWND> buttons;  // by label, top to bottom; children of the window
};

constexpr DWORD kListStyle = WS_CAPTION | WS_SYSMENU;
constexpr DWORD kListExStyle = WS_EX_TOPMOST;

// Width of `text` in `font` (physical pixels), "&" drawn as written.
int TextWidth(HDC dc, HFONT font, const std::string& text) {
  const SelectedObject selected(dc, font);
  RECT r{0, 0, 0, 0};
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  return static_cast<int>(r.right - r.left);
}

// The least client width at `dpi` that shows the whole title: its text in
// the caption font, the window icon and the close box beside it.
int TitleWidth(HDC dc, const std::string& title, int dpi) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return 0;
  const int system = SystemDpi();
  metrics.lfCaptionFont.lfHeight = MulDiv(metrics.lfCaptionFont.lfHeight, dpi, system);
  const OwnedGdiObject caption(CreateFontIndirectA(&metrics.lfCaptionFont));
  if (caption.get() == nullptr) return 0;
  constexpr int kCaptionGaps = 24;  // before the icon, between it, the text and the box
  const int beside = GetSystemMetrics(SM_CXSIZE) + GetSystemMetrics(SM_CXSMICON) + kCaptionGaps;
  return TextWidth(dc, static_cast<HFONT>(caption.get()), title) + MulDiv(beside, dpi, system);
}

// Measures the labels and the title at `dpi` and lays the chooser out there.
void MeasureList(ListState& state, int dpi) {
  GuiFont font;
  MakeGuiFont(font, LayoutDpi(dpi));
  std::vector<int> widths;
  widths.reserve(state.list->labels.size());
  int title = 0;
  {
    WindowDc dc(nullptr);
    if (dc.get() != nullptr) {
      for (const std::string& label : state.list->labels) {
        widths.push_back(TextWidth(dc.get(), font.font, label));
      }
      title = TitleWidth(dc.get(), state.list->title, LayoutDpi(dpi));
    }
  }
  widths.resize(state.list->labels.size(), 0);
  state.layout = LayoutListChooser(widths, title, dpi);
  std::swap(state.font, font);  // the old font goes once no button shows it
}

void PlaceListButtons(const ListState& state) {
  const auto font = reinterpret_cast<WPARAM>(state.font.font);
  for (std::size_t i = 0; i < state.buttons.size() && i < state.layout.buttons.size(); ++i) {
    const ChooserButton& b = state.layout.buttons[i];
    SendMessageA(state.buttons[i], WM_SETFONT, font, TRUE);
    SetWindowPos(state.buttons[i], nullptr, b.x, b.y, b.width, b.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

SIZE ListOuterSize(const ListChooserLayout& layout) {
  return OuterSizeForClient(layout.client_width, layout.client_height, kListStyle, kListExStyle,
                            layout.dpi);
}

// Laid out again at `dpi`, in `outer` when the system suggests a rectangle,
// else centred where it was.
void RelayoutList(HWND window, ListState& state, int dpi, const RECT* outer) {
  MeasureList(state, dpi);
  PlaceListButtons(state);
  RECT frame{};
  GetWindowRect(window, &frame);
  if (outer != nullptr) frame = *outer;
  const SIZE size = ListOuterSize(state.layout);
  const int left = outer != nullptr ? frame.left : (frame.left + frame.right - size.cx) / 2;
  const int top = outer != nullptr ? frame.top : (frame.top + frame.bottom - size.cy) / 2;
  SetWindowPos(window, nullptr, left, top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  FitClientSize(window, state.layout.client_width, state.layout.client_height);
}

// The index of `control` among the buttons, or -1.
int ButtonIndex(const ListState& state, HWND control) {
  for (std::size_t i = 0; i < state.buttons.size(); ++i) {
    if (state.buttons[i] == control) return static_cast<int>(i);
  }
  return -1;
}

LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* state = reinterpret_cast<ListState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (state != nullptr) {
    switch (message) {
      case WM_COMMAND:
        // A press (pointer or Space) of one of our buttons, known by its
        // window: the identifiers of a long list do not fit 16 bits.
        if (HIWORD(wparam) == BN_CLICKED) {
          OnListButton(state->keys, ButtonIndex(*state, reinterpret_cast<HWND>(lparam)) + 1);
        }
        return 0;
      case WM_CLOSE:
        OnListClose(state->keys);
        return 0;
      case WM_DPICHANGED:
        RelayoutList(window, *state, HIWORD(wparam), reinterpret_cast<const RECT*>(lparam));
        return 0;
      default:
        break;
    }
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

// The chooser's keys, from a key-down on the window or a button; false
// for any other key or with Ctrl or Alt held.
bool ListKeyOf(WPARAM key, ListKey& out) {
  if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
  switch (key) {
    case VK_UP:
      out = ListKey::kUp;
      return true;
    case VK_DOWN:
      out = ListKey::kDown;
      return true;
    case VK_TAB:
      out = GetKeyState(VK_SHIFT) < 0 ? ListKey::kShiftTab : ListKey::kTab;
      return true;
    case VK_RETURN:
      out = ListKey::kEnter;
      return true;
    case VK_ESCAPE:
      out = ListKey::kEscape;
      return true;
    default:
      return false;
  }
}

// Runs until a button, a key or a close request ends the chooser. The keys
// of ListKey go to the core's rule and no further; the focus then follows
// the rule's. Blocks in GetMessage: nothing is to be done until the user acts.
void WaitForListChoice(HWND window, ListState& state) {
  MSG msg;
  while (!state.keys.done) {
    if (!WaitForNextMessage(msg)) return;  // a quit is handed on to the caller
    ListKey key;
    if (msg.message == WM_KEYDOWN && (msg.hwnd == window || IsChild(window, msg.hwnd)) &&
        ListKeyOf(msg.wParam, key)) {
      OnListFocus(state.keys, ButtonIndex(state, GetFocus()));  // a click may have moved it
      OnListKey(state.keys, key);
      if (!state.keys.done) SetFocus(state.buttons[static_cast<std::size_t>(state.keys.focus)]);
      continue;
    }
    if (msg.message == WM_CHAR &&
        (msg.wParam == '\r' || msg.wParam == '\x1b' || msg.wParam == '\t')) {
      continue;  // taken at its key-down
    }
    DeliverMessage(msg);
  }
}

}  // namespace

int ChooseFromList(const ChooserList& list) {
  if (list.labels.empty()) return 0;
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  ListState state;
  state.list = &list;
  state.keys = StartListChooser(static_cast<int>(list.labels.size()));
  MeasureList(state, SystemDpi());
  const RegisteredClass window_class(
      ShellWindowClass(kListChooserClass, ListProc,
                       reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1))));
  if (!window_class.usable) return 0;
  const WindowPlacement place = CenterWindow(nullptr, ListOuterSize(state.layout));
  const OwnedWindow window(CreateWindowExA(kListExStyle, kListChooserClass, list.title.c_str(),
                                           kListStyle, place.left, place.top, place.width,
                                           place.height, nullptr, nullptr, instance, &state));
  const HWND chooser = window.get();
  if (chooser == nullptr) return 0;
  const auto font = reinterpret_cast<WPARAM>(state.font.font);
  for (std::size_t i = 0; i < list.labels.size(); ++i) {
    const ChooserButton& b = state.layout.buttons[i];
    HWND button = CreateWindowExA(
        0, "BUTTON", ButtonLabel(list.labels[i]).c_str(),
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, b.x, b.y, b.width, b.height, chooser,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(b.id & 0xFFFF)), instance, nullptr);
    if (button == nullptr) return 0;  // a list with a button missing cannot be answered
    SendMessageA(button, WM_SETFONT, font, TRUE);
    state.buttons.push_back(button);
  }
  if (LayoutDpi(WindowDpi(chooser)) != state.layout.dpi) {
    RelayoutList(chooser, state, WindowDpi(chooser), nullptr);
  } else {
    FitClientSize(chooser, state.layout.client_width, state.layout.client_height);
  }
  ShowWindow(chooser, SW_SHOW);
  SetForegroundWindow(chooser);
  // The focus rectangle shown from the start: the keys are the way to use it.
  SendMessageA(chooser, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  SetFocus(state.buttons.front());
  UpdateWindow(chooser);
  WaitForListChoice(chooser, state);
  return state.keys.done ? state.keys.choice : 0;
}

}  // namespace tintra
