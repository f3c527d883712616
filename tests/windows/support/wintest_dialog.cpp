#include "tests/windows/support/wintest_dialog.h"

#include <cstdio>

#include "picker/color_picker.h"
#include "picker/session_observer.h"
#include "tests/windows/support/wintest_common_controls.h"
#include "tests/windows/support/wintest_input.h"
#include "tests/windows/support/wintest_wait.h"
#include "tests/windows/support/wintest_windows.h"
#include "tests/windows/support/wintest_wine.h"

namespace tintra::wintest {

namespace {

// --- The probe: the observer's side -----------------------------------------

// What the dialog of this thread has had of the pointer; a dialog runs on
// one thread from its opening to its end.
struct PointerCounts {
  POINT last{-1, -1};
  long moves = 0;
  long downs = 0;
  long ups = 0;
};
thread_local PointerCounts t_pointer;

DialogProbe& ProbeOf(void* context) {
  return *static_cast<DialogProbe*>(context);
}

void TakeSnapshot(DialogProbe& probe, const PickerSession& session, const ShellState& shell,
                  bool idle) {
  std::lock_guard<std::mutex> hold(probe.snapshot_lock);
  DialogSnapshot& s = probe.snapshot;
  s.idle_count = idle ? ++probe.idle_waits : probe.idle_waits.load();
  s.window = static_cast<HWND>(shell.window);
  s.picker = session.ui.picker;
  s.quit = session.ui.quit;
  s.result = session.ui.result;
  s.pointer = t_pointer.last;
  s.pointer_moves = t_pointer.moves;
  s.button_downs = t_pointer.downs;
  s.button_ups = t_pointer.ups;
  s.pointer_hidden = shell.pointer_hidden;
  s.pointer_confined = shell.pointer_confined;
}

void Opened(void* context) {
  ++ProbeOf(context).openings;
  t_pointer = PointerCounts{};
}

void WindowCreated(void* context, void*) {
  ++ProbeOf(context).windows_created;
}

void Refreshed(void* context, bool canvas_redrawn) {
  DialogProbe& probe = ProbeOf(context);
  ++probe.refreshes;
  if (canvas_redrawn) ++probe.canvas_redraws;
}

void Painted(void* context, void* window) {
  DialogProbe& probe = ProbeOf(context);
  ++probe.paints;
  if (auto callback = probe.on_paint.load()) callback(static_cast<HWND>(window));
}

void PointerEvent(void*, PointerEventKind kind, int x, int y) {
  t_pointer.last = POINT{x, y};
  switch (kind) {
    case PointerEventKind::kMove:
      ++t_pointer.moves;
      break;
    case PointerEventKind::kButtonDown:
      ++t_pointer.downs;
      break;
    case PointerEventKind::kButtonUp:
      ++t_pointer.ups;
      break;
  }
}

void Idle(void* context, const PickerSession& session, const ShellState& shell) {
  DialogProbe& probe = ProbeOf(context);
  TakeSnapshot(probe, session, shell, true);
  if (auto callback = probe.on_idle.load()) callback(static_cast<HWND>(shell.window));
}

void Ended(void* context, const PickerSession& session, const ShellState& shell) {
  TakeSnapshot(ProbeOf(context), session, shell, false);
}

// --- The dialog's thread -----------------------------------------------------

// Refuses the creation of any window titled "Refused".
LRESULT CALLBACK RefuseDialogWindow(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND) {
    const auto* create = reinterpret_cast<const CBT_CREATEWNDA*>(lparam);
    const char* name = create->lpcs->lpszName;
    if (name != nullptr && !IS_INTRESOURCE(name) && lstrcmpA(name, "Refused") == 0) return 1;
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

HWND CreateOwner(OwnerKind kind) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  switch (kind) {
    case OwnerKind::kNone:
      return nullptr;
    case OwnerKind::kWindow:
      return CreateWindowExA(0, "STATIC", "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 150, 100, 700,
                             560, nullptr, nullptr, instance, nullptr);
    case OwnerKind::kNotAWindow: {
      HWND gone = CreateWindowExA(0, "STATIC", "Gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  instance, nullptr);
      DestroyWindow(gone);
      return gone;
    }
    case OwnerKind::kWindowAtTopLeft:
      return CreateWindowExA(0, "STATIC", "Owner", WS_POPUP | WS_VISIBLE, -400, -300, 200, 150,
                             nullptr, nullptr, instance, nullptr);
  }
  return nullptr;
}

DWORD WINAPI DialogThread(LPVOID parameter) {
  auto* job = static_cast<DialogJob*>(parameter);
  SetThreadPerMonitorDpiAware();
  CommonControls6 controls;
  HWND owner = CreateOwner(job->owner_kind);
  if (owner != nullptr) GetWindowRect(owner, &job->owner_rect);
  job->owner = owner;
  HHOOK hook = job->refuse_window
                   ? SetWindowsHookExA(WH_CBT, RefuseDialogWindow, nullptr, GetCurrentThreadId())
                   : nullptr;
  if (job->with_options) {
    const PickerAnswer answer =
        EditColorInPicker(job->initial, job->descriptor, job->alpha_flag, owner, job->options);
    job->result = answer.color;
    job->confirmed = answer.confirmed;
  } else {
    job->result = OpenColorPicker(job->initial, job->descriptor, job->alpha_flag, owner);
  }
  if (job->open_twice) {
    job->first_result = job->result.load();
    job->first_finished = true;
    while (job->second_opening == 0) Sleep(5);
    if (job->second_opening > 0) {
      job->result = OpenColorPicker(job->initial, job->descriptor, job->alpha_flag, owner);
    }
  }
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  const bool owner_exists = owner != nullptr && IsWindow(owner);
  job->owner_enabled_after = !owner_exists || IsWindowEnabled(owner);
  if (owner_exists) DestroyWindow(owner);
  job->finished = true;
  return 0;
}

}  // namespace

DialogProbe& GetDialogProbe() {
  static DialogProbe probe;
  static const SessionObserver observer{.context = &probe,
                                        .opened = Opened,
                                        .window_created = WindowCreated,
                                        .refreshed = Refreshed,
                                        .painted = Painted,
                                        .pointer_event = PointerEvent,
                                        .idle = Idle,
                                        .ended = Ended};
  // Once, on whichever thread asks first.
  [[maybe_unused]] static const bool installed = (InstallSessionObserver(&observer), true);
  return probe;
}

DialogSnapshot Snapshot() {
  DialogProbe& probe = GetDialogProbe();
  std::lock_guard<std::mutex> hold(probe.snapshot_lock);
  return probe.snapshot;
}

std::string Describe(const DialogSnapshot& s) {
  char text[256];
  std::snprintf(text, sizeof(text),
                "{current %s, stored %s, drag %d, field (%d, %d), marker row %d, hover %d, "
                "pointer (%ld, %ld), hidden %d, quit %d}",
                Hex32(s.picker.current).c_str(), Hex32(s.picker.stored).c_str(),
                static_cast<int>(s.picker.drag), s.picker.field_x, s.picker.field_y,
                s.picker.marker_row, static_cast<int>(s.picker.hover),
                static_cast<long>(s.pointer.x), static_cast<long>(s.pointer.y), s.pointer_hidden,
                s.quit ? 1 : 0);
  return text;
}

bool StartDialogThread(TestReport& report, RunningDialog& run) {
  GetDialogProbe();  // watching before the dialog opens
  run.title = run.job.descriptor.substr(0, run.job.descriptor.find('\n'));
  run.window = nullptr;
  run.thread = CreateThread(nullptr, 0, DialogThread, &run.job, 0, &run.thread_id);
  return Check(report, run.thread != nullptr, "dialog thread", "started", "not");
}

// Waits until a dialog of the run's thread, titled as the run says, is up and
// has gone idle more than `idle_before` times.
bool FindDialogWindow(TestReport& report, RunningDialog& run, long idle_before) {
  run.window = nullptr;
  WaitUntil([&] {
    for (HWND w : FindTopWindows(GetCurrentProcessId(), run.title)) {
      if (GetWindowThreadProcessId(w, nullptr) == run.thread_id && w != run.job.owner) {
        run.window = w;
      }
    }
    const DialogSnapshot s = Snapshot();
    return run.window != nullptr && s.window == run.window && s.idle_count > idle_before;
  });
  return Check(report, run.window != nullptr, "dialog window titled \"" + run.title + "\"",
               "shown and idle", "not found");
}

bool StartDialog(TestReport& report, RunningDialog& run) {
  const long idle_before = GetDialogProbe().idle_waits.load();
  return StartDialogThread(report, run) && FindDialogWindow(report, run, idle_before);
}

bool OpenAgain(TestReport& report, RunningDialog& run) {
  const bool ended = WaitUntil([&] { return run.job.first_finished.load(); });
  if (!Check(report, ended, "first dialog returns", "within the time-out", "still running")) {
    return false;
  }
  const long idle_before = GetDialogProbe().idle_waits.load();
  run.job.second_opening = 1;
  return FindDialogWindow(report, run, idle_before);
}

bool WaitForState(TestReport& report, const RunningDialog& run, std::string_view what,
                  const std::function<bool(const DialogSnapshot&)>& condition) {
  DialogSnapshot s;
  const bool ok = WaitUntil([&] {
    s = Snapshot();
    return s.window == run.window && !s.quit && condition(s);
  });
  return Check(report, ok, "dialog state", what, Describe(s));
}

ColorValue WaitForResult(TestReport& report, RunningDialog& run) {
  const bool ended = WaitUntil([&] { return run.job.finished.load(); });
  Check(report, ended, "OpenColorPicker returns", "within the time-out", "still running");
  if (ended && run.thread != nullptr) WaitForSingleObject(run.thread, INFINITE);
  if (run.thread != nullptr) CloseHandle(run.thread);
  run.thread = nullptr;
  return run.job.result.load();
}

std::string DialogColor(HWND dialog, int alpha_flag) {
  std::string shown = ControlText(ChildAt(dialog, kRedField));
  shown.append(" ").append(ControlText(ChildAt(dialog, kGreenField)));
  shown.append(" ").append(ControlText(ChildAt(dialog, kBlueField)));
  if (alpha_flag != 0) shown.append(" ").append(ControlText(ChildAt(dialog, kAlphaField)));
  const int row_y = 368 + 22 * alpha_flag;  // the template row below the captions
  shown.append(" | ").append(ControlText(ChildAt(dialog, {12, row_y})));
  shown.append(" | ").append(ControlText(ChildAt(dialog, {187, row_y})));
  return shown;
}

void CloseIfOpen(TestReport& report, RunningDialog& run) {
  if (run.thread == nullptr) return;
  if (run.job.open_twice && run.job.second_opening == 0) run.job.second_opening = -1;
  if (run.window != nullptr && IsWindow(run.window)) {
    if (!IsWindowVisible(run.window)) PressKey(VK_ESCAPE);
    PostMessageA(run.window, WM_CLOSE, 0, 0);
  }
  WaitForResult(report, run);
}

}  // namespace tintra::wintest
