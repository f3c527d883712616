// Windows and processes for Windows tests: finding the top-level windows of
// a process or thread by title, walking a window's children in creation
// order, rectangles in client coordinates, and starting the programs that
// lie beside the test program (build/bin) and ending only those.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "picker/dialog_widgets_win32.h"
#include "picker/pixel_rect.h"

namespace tintra::wintest {

// Visible top-level windows of process `process_id` (0: any process) whose
// title equals `title` exactly (empty `title`: any title), in z-order.
std::vector<HWND> FindTopWindows(DWORD process_id, std::string_view title);

struct StartedProcess;

// The first window FindTopWindows gives, waited for up to `timeout_ms`;
// nullptr when none appeared, or as soon as `until_exit` (when given) ended.
HWND WaitForTopWindow(DWORD process_id, std::string_view title, int timeout_ms,
                      const StartedProcess* until_exit = nullptr);

// WaitForTopWindow for the calling process.
HWND WaitForOwnWindow(std::string_view title, int timeout_ms);

// Direct children of `parent`, top of the z-order first: for children that
// were not re-ordered this is their order of creation.
std::vector<HWND> ChildrenInOrder(HWND parent);

// `child`'s window rectangle in `parent`'s client coordinates.
RECT RectInClient(HWND child, HWND parent);

// The visible child of `parent` whose top-left corner is the client point,
// or nullptr.
HWND ChildAt(HWND parent, POINT corner);

// Text of a control, also of another process (WM_GETTEXT is carried
// across), at most 254 characters; "<no control>" when there is none or it
// does not answer within 2 s.
std::string ControlText(HWND control);

// "(x, y, width x height)" of a rectangle, for failure messages.
std::string RectText(long x, long y, long width, long height);
std::string RectText(const RECT& r);
std::string RectText(const PixelRect& r);

// Size of `window`'s client area, pixels.
SIZE ClientSize(HWND window);

// Screen point of the client point (x, y) of `window`.
POINT ClientPointOnScreen(HWND window, int x, int y);

using tintra::WindowText;  // the widgets' own, ANSI
std::string ClassName(HWND window);

// Runs `action` on the thread that owns `window` (a window of this process)
// and returns when it has run: a message hook for that thread takes a message
// sent to the window. The thread must be serving its messages (waiting in a
// message loop). When no hook can be set, runs it on the calling thread.
void RunOnThreadOf(HWND window, const std::function<void()>& action);

// Folder of the running test program, with a trailing backslash: the build's
// bin folder, where the programs and tools lie.
std::string ProgramFolder();

// A process started by the test; its handles are closed at the end. End()
// ends this process only (by its handle) when it is still running.
struct StartedProcess {
  PROCESS_INFORMATION info{};
  bool started = false;

  StartedProcess() = default;
  StartedProcess(const StartedProcess&) = delete;
  StartedProcess& operator=(const StartedProcess&) = delete;
  ~StartedProcess();

  // Waits up to `timeout_ms` for the process to end; true when it ended.
  bool WaitForExit(int timeout_ms) const;
  DWORD ExitCode() const;  // STILL_ACTIVE while it runs
  void End();
};

// Starts `program` (a file name in ProgramFolder(), or a full path) with the
// command-line arguments `arguments` (already quoted as needed).
bool StartProgram(std::string_view program, std::string_view arguments, StartedProcess& process);

}  // namespace tintra::wintest
