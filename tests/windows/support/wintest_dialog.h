// The picker dialog on a thread of its own, for the tests that drive it with
// real input from the main thread: the thread runs OpenColorPicker (with an
// owner window of its own when the job asks for one) and records what it
// returned; the main thread finds the window, waits for the states the
// dialog's probe shows (picker/dialog_stats_win32.h) and for the result.
//
//   RunningDialog run;
//   run.job.descriptor = "Title\nRGB\nRGB(?r, ?g, ?b)";
//   if (!StartDialog(report, run)) return CloseIfOpen(report, run);
//   ...
//   CheckEqual(report, "result", Hex32(want), Hex32(WaitForResult(report, run)));
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <string_view>

#include "picker/color_model.h"
#include "picker/dialog_stats_win32.h"
#include "tests/windows/support/wintest_report.h"

namespace tintra::wintest {

enum class OwnerKind {
  kNone,
  kWindow,           // an owner window of the dialog's thread
  kNotAWindow,       // the handle of a window that no longer exists
  kWindowAtTopLeft,  // a small owner mostly off the screen's top-left corner
};

// What the dialog's thread is to run, and what it found.
struct DialogJob {
  ColorValue initial = 0;
  std::string descriptor;  // its first line is the title the window is found by
  int alpha_flag = 0;
  OwnerKind owner_kind = OwnerKind::kNone;
  bool refuse_window = false;  // a hook makes creating the dialog window fail
  // The dialog opened a second time on the same thread, from `initial`
  // again, once OpenAgain asks for it; `result` is then the second's.
  bool open_twice = false;
  std::atomic<int> second_opening{0};  // 1: open it (OpenAgain), -1: not (CloseIfOpen)
  std::atomic<bool> first_finished{false};
  std::atomic<ColorValue> first_result{0};
  // Filled in by the thread.
  std::atomic<HWND> owner{nullptr};
  RECT owner_rect{};
  std::atomic<bool> owner_enabled_after{false};  // or the owner was not a window
  std::atomic<ColorValue> result{0};
  std::atomic<bool> finished{false};
};

struct RunningDialog {
  DialogJob job;
  HANDLE thread = nullptr;
  DWORD thread_id = 0;
  HWND window = nullptr;  // the dialog's, once StartDialog found it
  std::string title;
};

// A copy of the dialog's last idle snapshot.
DialogSnapshot Snapshot();

// The snapshot's colours, drag, positions, pointer and flags, for a failure.
std::string Describe(const DialogSnapshot& s);

// Starts the dialog's thread (per-monitor DPI aware, as the programs'
// manifest makes them, with common controls 6), without waiting for
// anything.
bool StartDialogThread(TestReport& report, RunningDialog& run);

// Starts the dialog's thread and waits until its window, found by the
// descriptor's title among the windows of this process, is up and idle.
bool StartDialog(TestReport& report, RunningDialog& run);

// With `open_twice`: waits until the first dialog has returned, then opens
// the second and waits until it is up and idle (its window may have the
// first one's handle).
bool OpenAgain(TestReport& report, RunningDialog& run);

// Waits until the dialog, idle, satisfies `condition`; a failure names
// `what`.
bool WaitForState(TestReport& report, const RunningDialog& run, std::string_view what,
                  const std::function<bool(const DialogSnapshot&)>& condition);

// Waits for OpenColorPicker to return and gives its result.
ColorValue WaitForResult(TestReport& report, RunningDialog& run);

// Ends a dialog whose test went wrong, so that the next one starts clean: an
// eyedropper still running (the dialog hidden) with Escape, then the dialog
// with a close request.
void CloseIfOpen(TestReport& report, RunningDialog& run);

}  // namespace tintra::wintest
