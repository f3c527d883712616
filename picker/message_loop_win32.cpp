#include "picker/message_loop_win32.h"

namespace tintra {

namespace {

void HandOnQuit(const MSG& msg) {
  PostQuitMessage(static_cast<int>(msg.wParam));
}

}  // namespace

bool WaitForNextMessage(MSG& msg) {
  const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
  if (got == 0) HandOnQuit(msg);
  return got > 0;
}

bool TakePendingMessage(MSG& msg) {
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) HandOnQuit(msg);
  return true;
}

void DeliverMessage(const MSG& msg) {
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

}  // namespace tintra
