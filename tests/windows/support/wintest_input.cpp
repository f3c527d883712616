#include "tests/windows/support/wintest_input.h"

#include <vector>

#include "tests/windows/support/wintest_wait.h"
#include "tests/windows/support/wintest_windows.h"

namespace tintra::wintest {

namespace {

INPUT MouseInput(DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  return in;
}

INPUT KeyInput(WORD virtual_key, DWORD flags) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = virtual_key;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtual_key, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = flags;
  return in;
}

void Send(std::vector<INPUT>& inputs) {
  if (!inputs.empty()) SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace

void MovePointer(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  std::vector<INPUT> move{MouseInput(MOUSEEVENTF_MOVE)};  // dx = dy = 0
  Send(move);
}

void MovePointerOnThreadOf(HWND window, POINT screen) {
  RunOnThreadOf(window, [screen] { SetCursorPos(screen.x, screen.y); });
  std::vector<INPUT> move{MouseInput(MOUSEEVENTF_MOVE)};  // dx = dy = 0: no new position
  Send(move);
}

void SendPointerPathOnThreadOf(HWND window, const std::vector<POINT>& screen_path) {
  RunOnThreadOf(window, [&screen_path] { SendPointerPath(screen_path); });
}

void PressLeftButton() {
  std::vector<INPUT> in{MouseInput(MOUSEEVENTF_LEFTDOWN)};
  Send(in);
}

void ReleaseLeftButton() {
  std::vector<INPUT> in{MouseInput(MOUSEEVENTF_LEFTUP)};
  Send(in);
}

void ClickAt(POINT screen) {
  MovePointer(screen);
  PressLeftButton();
  ReleaseLeftButton();
}

void PressChooserButton(HWND chooser, int id) {
  // The chooser is found by its title as soon as it exists: its buttons may
  // not be made, shown or in their last place yet. And under a loaded Wine a
  // late pointer event of an earlier move can put the pointer back where it
  // was. So the press waits until the pointer is over the button's middle as
  // it is now, moving it again as needed.
  WaitUntil([&] {
    const HWND button = GetDlgItem(chooser, id);
    RECT r;
    if (button == nullptr || !IsWindowVisible(button) || !GetWindowRect(button, &r)) return false;
    const POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    POINT p;
    if (!GetCursorPos(&p) || p.x != at.x || p.y != at.y) {
      MovePointer(at);
      return false;
    }
    return WindowFromPoint(p) == button;
  });
  PressLeftButton();
  ReleaseLeftButton();
}

void SendPointerPath(const std::vector<POINT>& screen_path) {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (width <= 1 || height <= 1) return;
  std::vector<INPUT> in;
  in.reserve(screen_path.size());
  for (const POINT& p : screen_path) {
    INPUT move = MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK);
    // Centre of the pixel in the 0..65535 range.
    move.mi.dx = static_cast<LONG>(((p.x - left) * 65536LL + 32768) / width);
    move.mi.dy = static_cast<LONG>(((p.y - top) * 65536LL + 32768) / height);
    in.push_back(move);
  }
  Send(in);
}

void PressKey(WORD virtual_key) {
  std::vector<INPUT> in{KeyInput(virtual_key, 0), KeyInput(virtual_key, KEYEVENTF_KEYUP)};
  Send(in);
}

void PressExtendedKey(WORD virtual_key) {
  std::vector<INPUT> in{KeyInput(virtual_key, KEYEVENTF_EXTENDEDKEY),
                        KeyInput(virtual_key, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP)};
  Send(in);
}

void HoldKey(WORD virtual_key) {
  std::vector<INPUT> in{KeyInput(virtual_key, 0)};
  Send(in);
}

void ReleaseKey(WORD virtual_key) {
  std::vector<INPUT> in{KeyInput(virtual_key, KEYEVENTF_KEYUP)};
  Send(in);
}

void PressKeyWith(WORD modifier, WORD virtual_key) {
  std::vector<INPUT> in{KeyInput(modifier, 0), KeyInput(virtual_key, 0),
                        KeyInput(virtual_key, KEYEVENTF_KEYUP),
                        KeyInput(modifier, KEYEVENTF_KEYUP)};
  Send(in);
}

void TypeText(std::string_view text) {
  std::vector<INPUT> in;
  for (char ch : text) {
    const SHORT scan = VkKeyScanA(ch);
    if (scan == -1) {
      // No key for it on this layout: a Unicode key stroke.
      INPUT down{};
      down.type = INPUT_KEYBOARD;
      down.ki.wScan = static_cast<unsigned char>(ch);
      down.ki.dwFlags = KEYEVENTF_UNICODE;
      INPUT up = down;
      up.ki.dwFlags |= KEYEVENTF_KEYUP;
      in.push_back(down);
      in.push_back(up);
      continue;
    }
    const auto vk = static_cast<WORD>(scan & 0xFF);
    const bool shift = (scan & 0x100) != 0;
    if (shift) in.push_back(KeyInput(VK_SHIFT, 0));
    in.push_back(KeyInput(vk, 0));
    in.push_back(KeyInput(vk, KEYEVENTF_KEYUP));
    if (shift) in.push_back(KeyInput(VK_SHIFT, KEYEVENTF_KEYUP));
  }
  Send(in);
}

}  // namespace tintra::wintest
