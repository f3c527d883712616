#include "tests/windows/support/wintest_wait.h"

#include <windows.h>

namespace tintra::wintest {

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the caller's loop
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

double NowMs() {
  static const double ticks_per_ms = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / ticks_per_ms;
}

bool WaitUntil(const std::function<bool()>& condition, int timeout_ms) {
  const double deadline = NowMs() + timeout_ms;
  for (;;) {
    if (condition()) return true;
    if (NowMs() >= deadline) return condition();
    PumpMessages();
    // Wake for a message of this thread or after a millisecond, whichever
    // comes first; then poll again.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
}

}  // namespace tintra::wintest
