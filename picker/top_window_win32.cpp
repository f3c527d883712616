#include "picker/top_window_win32.h"

#include "picker/display_dpi_win32.h"

namespace tintra {

WNDCLASSEXA ShellWindowClass(const char* name, WNDPROC procedure, HBRUSH background) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  return wc;
}

SIZE OuterSizeForClient(int client_width, int client_height, DWORD style, DWORD ex_style, int dpi) {
  RECT r{0, 0, client_width, client_height};
  AdjustWindowRectForDpi(r, style, ex_style, dpi);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

WindowPlacement CenterWindow(HWND owner, SIZE outer) {
  const int width = static_cast<int>(outer.cx);
  const int height = static_cast<int>(outer.cy);
  RECT r;
  if (owner != nullptr && GetWindowRect(owner, &r)) {
    const WindowPlacement area{static_cast<int>(r.left), static_cast<int>(r.top),
                               static_cast<int>(r.right - r.left),
                               static_cast<int>(r.bottom - r.top)};
    return CenterOverOwner(width, height, area);
  }
  return CenterOnScreen(width, height, GetSystemMetrics(SM_CXSCREEN),
                        GetSystemMetrics(SM_CYSCREEN));
}

void FitClientSize(HWND window, int client_width, int client_height) {
  RECT client;
  RECT frame;
  if (!GetClientRect(window, &client) || !GetWindowRect(window, &frame)) return;
  const int dw = client_width - static_cast<int>(client.right - client.left);
  const int dh = client_height - static_cast<int>(client.bottom - client.top);
  if (dw == 0 && dh == 0) return;
  SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + dw, frame.bottom - frame.top + dh,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tintra
