#include "tests/windows/support/wintest_windows.h"

#include "tests/windows/support/wintest_wait.h"

namespace tintra::wintest {

namespace {

struct TopWindowSearch {
  DWORD process_id;
  std::string_view title;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<TopWindowSearch*>(context);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (search->process_id != 0 && pid != search->process_id) return TRUE;
  if (!IsWindowVisible(window)) return TRUE;
  if (!search->title.empty() && WindowText(window) != search->title) return TRUE;
  search->found.push_back(window);
  return TRUE;
}

UINT RunActionMessage() {
  static const UINT message = RegisterWindowMessageA("TintraTestRunAction");
  return message;
}

// On the window's thread, for every message sent to its windows.
LRESULT CALLBACK RunActionHook(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (call->message == RunActionMessage() && call->lParam != 0) {
      (*reinterpret_cast<const std::function<void()>*>(call->lParam))();
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

void RunOnThreadOf(HWND window, const std::function<void()>& action) {
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  HHOOK hook =
      thread == 0 ? nullptr : SetWindowsHookExA(WH_CALLWNDPROC, RunActionHook, nullptr, thread);
  if (hook == nullptr) {
    action();
    return;
  }
  // The window's own procedure ignores the message; the hook has run the
  // action by the time SendMessage returns.
  SendMessageA(window, RunActionMessage(), 0, reinterpret_cast<LPARAM>(&action));
  UnhookWindowsHookEx(hook);
}

std::vector<HWND> FindTopWindows(DWORD process_id, std::string_view title) {
  TopWindowSearch search{process_id, title, {}};
  EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForTopWindow(DWORD process_id, std::string_view title, int timeout_ms,
                      const StartedProcess* until_exit) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        const std::vector<HWND> windows = FindTopWindows(process_id, title);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr || (until_exit != nullptr && until_exit->WaitForExit(0));
      },
      timeout_ms);
  return found;
}

HWND WaitForOwnWindow(std::string_view title, int timeout_ms) {
  return WaitForTopWindow(GetCurrentProcessId(), title, timeout_ms);
}

std::vector<HWND> ChildrenInOrder(HWND parent) {
  std::vector<HWND> children;
  for (HWND w = GetWindow(parent, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    children.push_back(w);
  }
  return children;
}

RECT RectInClient(HWND child, HWND parent) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

HWND ChildAt(HWND parent, POINT corner) {
  for (HWND child : ChildrenInOrder(parent)) {
    if (!IsWindowVisible(child)) continue;
    const RECT r = RectInClient(child, parent);
    if (r.left == corner.x && r.top == corner.y) return child;
  }
  return nullptr;
}

std::string ControlText(HWND control) {
  char buffer[256] = {};
  DWORD_PTR copied = 0;
  if (control == nullptr ||
      !SendMessageTimeoutA(control, WM_GETTEXT, sizeof buffer - 1, reinterpret_cast<LPARAM>(buffer),
                           SMTO_ABORTIFHUNG, 2000, &copied)) {
    return "<no control>";
  }
  return std::string(buffer);  // NUL-ended: at most 254 characters are copied
}

std::string RectText(long x, long y, long width, long height) {
  return "(" + std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(width) + " x " +
         std::to_string(height) + ")";
}

std::string RectText(const RECT& r) {
  return RectText(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

std::string RectText(const PixelRect& r) {
  return RectText(r.x, r.y, r.width, r.height);
}

SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

POINT ClientPointOnScreen(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  return p;
}

std::string ClassName(HWND window) {
  char name[256] = {};
  const int length = GetClassNameA(window, name, sizeof(name));
  return std::string(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

std::string ProgramFolder() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

StartedProcess::~StartedProcess() {
  if (!started) return;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
}

bool StartedProcess::WaitForExit(int timeout_ms) const {
  return started &&
         WaitForSingleObject(info.hProcess, static_cast<DWORD>(timeout_ms)) == WAIT_OBJECT_0;
}

DWORD StartedProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (started) GetExitCodeProcess(info.hProcess, &code);
  return code;
}

void StartedProcess::End() {
  if (started && ExitCode() == STILL_ACTIVE) {
    TerminateProcess(info.hProcess, 1);
    WaitForSingleObject(info.hProcess, 5000);
  }
}

bool StartProgram(std::string_view program, std::string_view arguments, StartedProcess& process) {
  std::string path(program);
  if (path.find_first_of("\\/") == std::string::npos) path = ProgramFolder() + path;
  std::string command_line = "\"" + path + "\"";
  if (!arguments.empty()) command_line += " " + std::string(arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  process.started = CreateProcessA(path.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, &startup, &process.info) != FALSE;
  return process.started;
}

}  // namespace tintra::wintest
