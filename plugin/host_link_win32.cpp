#include "plugin/host_link_win32.h"

#include <mmsystem.h>

#include <map>
#include <memory>
#include <new>
#include <vector>

#include "picker/handles_win32.h"
#include "picker/message_loop_win32.h"
#include "picker/top_window_win32.h"

namespace tintra {

namespace {

constexpr char kForeignSenderCaption[] = "Tarvo-Plugin";
constexpr char kForeignSenderText[] = "I got a message NOT from Tarvo!";

// The procedure a window had before LinkWindowProc was put in front of it.
struct OriginalProc {
  WNDPROC proc;
  bool unicode;  // set and called with the W functions
};

// What the link holds for the run. The hook and the window procedures reach
// it here, as the eyedropper's reach its run: through the one record of the
// file, never through data of a window.
struct LinkRecord {
  LinkState state;
  OwnedHook hook;
  std::map<HWND, OriginalProc> subclassed;        // windows with LinkWindowProc in front
  std::unique_ptr<RegisteredClass> window_class;  // while the link window is open
};
LinkRecord g_link;

void SetWindowProc(HWND window, WNDPROC proc, bool unicode) {
  const auto value = reinterpret_cast<LONG_PTR>(proc);
  if (unicode) {
    SetWindowLongPtrW(window, GWLP_WNDPROC, value);
  } else {
    SetWindowLongPtrA(window, GWLP_WNDPROC, value);
  }
}

HWND LinkWindowHandle() {
  return reinterpret_cast<HWND>(g_link.state.link_window);
}

// The editor window to talk to; nullptr when there is none to talk to. The
// broadcast handle is refused: messages of the link sent to every top-level
// window of the desktop could do anything there.
HWND EditorWindowHandle() {
  HWND editor = reinterpret_cast<HWND>(g_link.state.editor_window);
  return editor == HWND_BROADCAST ? nullptr : editor;
}

// One WM_COPYDATA, whichever window of the plug-in it was sent to. A missing
// COPYDATASTRUCT counts as code 0 with no payload.
LRESULT OnCopyData(WPARAM sender, LPARAM lparam) {
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
  const LinkCopyDataReply reply =
      data != nullptr ? HandleCopyData(g_link.state, static_cast<WindowId>(sender), data->dwData,
                                       static_cast<const std::uint8_t*>(data->lpData), data->cbData)
                      : HandleCopyData(g_link.state, static_cast<WindowId>(sender), 0, nullptr, 0);
  if (reply.foreign_sender) {
    // Top-most, as the picker dialog it may appear over is; the sender stays
    // blocked until the box is dismissed.
    MessageBoxA(nullptr, kForeignSenderText, kForeignSenderCaption, MB_OK | MB_TOPMOST);
  }
  return reply.reply;
}

// Puts LinkWindowProc in front of a new window's procedure, in the
// window's own character set (ANSI or Unicode) so its messages reach it as
// before.
void SubclassWindow(HWND window) {
  if (window == nullptr || window == LinkWindowHandle()) return;
  const bool unicode = IsWindowUnicode(window) != FALSE;
  const auto proc = reinterpret_cast<WNDPROC>(unicode ? GetWindowLongPtrW(window, GWLP_WNDPROC)
                                                      : GetWindowLongPtrA(window, GWLP_WNDPROC));
  if (proc == nullptr) return;
  try {
    g_link.subclassed[window] = OriginalProc{proc, unicode};
  } catch (const std::bad_alloc&) {
    return;  // the window keeps its own procedure alone
  }
  SetWindowProc(window, LinkWindowProc, unicode);
}

LRESULT CALLBACK LinkCbtHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND) SubclassWindow(reinterpret_cast<HWND>(wparam));
  return CallNextHookEx(g_link.hook.get(), code, wparam, lparam);
}

LRESULT CALLBACK LinkWindowWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COPYDATA) return OnCopyData(wparam, lparam);
  return DefWindowProcA(window, message, wparam, lparam);
}

// Sleeps 1 ms with the system timer at 1 ms resolution for the sleep only.
void SleepOneMillisecond() {
  timeBeginPeriod(1);
  Sleep(1);
  timeEndPeriod(1);
}

// Handles one pending message of the thread, if any; incoming sent messages
// (the editor's WM_COPYDATA) are delivered by the peek itself. A quit is
// handed on to the caller's loop; the wait goes on, since the answer can
// still come.
void HandleOnePendingMessage() {
  MSG msg;
  if (TakePendingMessage(msg) && msg.message != WM_QUIT) DeliverMessage(msg);
}

}  // namespace

bool OpenLinkWindow() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  if (g_link.window_class == nullptr) {
    try {
      g_link.window_class = std::make_unique<RegisteredClass>(
          ShellWindowClass(kLinkWindowClass, LinkWindowWndProc, nullptr));
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  if (!g_link.window_class->usable) {
    g_link.window_class.reset();
    return false;
  }
  RECT outer{0, 0, kLinkWindowClientSize, kLinkWindowClientSize};
  AdjustWindowRect(&outer, WS_CAPTION, FALSE);
  const HWND window = CreateWindowExA(
      0, kLinkWindowClass, kLinkWindowTitle, WS_CAPTION, kLinkWindowLeft, kLinkWindowTop,
      outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
  g_link.state.link_window = reinterpret_cast<WindowId>(window);
  return window != nullptr;
}

void InstallLinkHook() {
  if (g_link.hook.get() == nullptr) {
    g_link.hook.reset(SetWindowsHookExA(WH_CBT, LinkCbtHook, nullptr, GetCurrentThreadId()));
  }
}

LRESULT CALLBACK LinkWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  const auto found = g_link.subclassed.find(window);
  if (found == g_link.subclassed.end()) return DefWindowProcW(window, message, wparam, lparam);
  const OriginalProc original = found->second;
  if (message == WM_COPYDATA) return OnCopyData(wparam, lparam);
  if (message == WM_NCDESTROY) g_link.subclassed.erase(found);  // the window's last message
  return original.unicode ? CallWindowProcW(original.proc, window, message, wparam, lparam)
                          : CallWindowProcA(original.proc, window, message, wparam, lparam);
}

void SetEditorWindow(std::int32_t handle) {
  g_link.state.editor_window = WindowIdFromInteger32(handle);
}

const AnswerBlock* LinkRequest(std::uint32_t code) {
  std::optional<AnswerBlock>* slot = AnswerSlot(g_link.state, code);
  if (slot == nullptr) return nullptr;
  slot->reset();
  const HWND editor = EditorWindowHandle();
  if (editor == nullptr) return nullptr;
  const LRESULT accepted =
      SendMessageA(editor, code, 0, reinterpret_cast<LPARAM>(LinkWindowHandle()));
  if (accepted == 0) return nullptr;
  const DWORD deadline = GetTickCount() + kAnswerWaitMs;
  // Polls in 1 ms steps rather than waiting for a message: the answer comes
  // as a sent message, and the wait must end at the deadline regardless.
  do {
    HandleOnePendingMessage();
    SleepOneMillisecond();
    // Signed difference: stays right when the tick count wraps (49.7 days).
  } while (!slot->has_value() && static_cast<std::int32_t>(GetTickCount() - deadline) <= 0);
  return slot->has_value() ? &**slot : nullptr;
}

std::string LinkGetText() {
  const AnswerBlock* block = LinkRequest(kRequestTextCode);
  return block != nullptr ? AnswerText(*block) : std::string();
}

void LinkSendText(std::uint32_t code, std::string_view text) {
  const HWND editor = EditorWindowHandle();
  if (editor == nullptr) return;
  std::vector<std::uint8_t> payload = TextPayload(text);
  COPYDATASTRUCT data{};
  data.dwData = code;
  data.cbData = static_cast<DWORD>(payload.size());
  data.lpData = payload.data();
  SendMessageA(editor, WM_COPYDATA, reinterpret_cast<WPARAM>(LinkWindowHandle()),
               reinterpret_cast<LPARAM>(&data));
}

void LinkPostFinished() {
  const HWND editor = EditorWindowHandle();
  if (editor == nullptr) return;  // a null window would post to this thread
  PostMessageA(editor, kFinishedMessage, 0, reinterpret_cast<LPARAM>(LinkWindowHandle()));
}

void CloseLinkWindow() {
  const HWND window = LinkWindowHandle();
  if (window != nullptr && IsWindow(window)) DestroyWindow(window);
  g_link.window_class.reset();  // no window of the class is left
}

void ReleaseLink() {
  g_link.hook.reset();
  ReleaseAnswers(g_link.state);
}

}  // namespace tintra
