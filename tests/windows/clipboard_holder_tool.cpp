// Holds the clipboard open, as a busy program would, then lets go.
//
//   clipboard_holder_tool <hold-ms> [<window>]
//
// Opens the clipboard (with a hidden window of its own, so that
// GetOpenClipboardWindow shows who holds it). With a window handle (decimal),
// it first waits for that window to be destroyed, so that the hold surely
// covers what its program does right after closing it. Then it keeps holding
// for <hold-ms> milliseconds and closes the clipboard.
// Exit code: 0 done, 1 the clipboard could not be opened, 2 the window was
// still there after a minute, 3 bad arguments.
#include <windows.h>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr DWORD kOpenTimeoutMs = 5000;
constexpr DWORD kWindowTimeoutMs = 60000;

// Keeps answering messages sent to this program while it holds on.
void HoldFor(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
}

bool OpenClipboardWithin(HWND owner, DWORD timeout_ms) {
  const ULONGLONG start = GetTickCount64();
  while (!OpenClipboard(owner)) {
    if (GetTickCount64() - start > timeout_ms) return false;
    Sleep(1);
  }
  return true;
}

bool WaitForWindowGone(HWND window, DWORD timeout_ms) {
  const ULONGLONG start = GetTickCount64();
  while (IsWindow(window)) {
    if (GetTickCount64() - start > timeout_ms) return false;
    HoldFor(1);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) return 3;
  const long hold_ms = std::strtol(argv[1], nullptr, 10);
  if (hold_ms < 0) return 3;
  HWND watched = nullptr;
  if (argc == 3) {
    // Window handles fit in 32 bits; sign-extend as the system does.
    const auto value = static_cast<std::int32_t>(std::strtoul(argv[2], nullptr, 10));
    watched = reinterpret_cast<HWND>(static_cast<INT_PTR>(value));
  }
  HWND owner = CreateWindowExA(0, "STATIC", "clipboard holder", 0, 0, 0, 0, 0, HWND_MESSAGE,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
  if (owner == nullptr || !OpenClipboardWithin(owner, kOpenTimeoutMs)) return 1;
  int code = 0;
  if (watched != nullptr && !WaitForWindowGone(watched, kWindowTimeoutMs)) code = 2;
  HoldFor(static_cast<DWORD>(hold_ms));
  CloseClipboard();
  DestroyWindow(owner);
  return code;
}
