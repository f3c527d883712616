// The floor for the dialog's start-up time: the least a Win32 program does to
// show one window of the dialog's size. Prints "first-paint-ms T" (milliseconds
// since the process was created) when its first WM_PAINT has been painted,
// and exits.

#include <windows.h>

#include <cstdio>

#include "tests/windows/support/wintest_wine.h"

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    FillRect(dc, &paint.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
    EndPaint(window, &paint);
    GdiFlush();
    std::printf("first-paint-ms %.1f\n", tintra::wintest::MillisecondsSinceProcessStart());
    std::fflush(stdout);
    ExitProcess(0);
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int main() {
  // The same Wine set-up as the dialog's demo tool, so that both pay the same.
  if (const int code = tintra::wintest::RunWithUnmanagedWindowsUnderWine(); code >= 0) return code;
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = "TintraMinimalWindow";
  RegisterClassA(&wc);
  RECT r{0, 0, 372, 402};  // the front-ends' dialog client area
  AdjustWindowRectEx(&r, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_TOOLWINDOW);
  HWND window =
      CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "Minimal",
                      WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 100, 100, r.right - r.left,
                      r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
  if (window == nullptr) return 1;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
