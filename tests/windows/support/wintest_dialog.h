// The picker dialog on a thread of its own, for the tests that drive it with
// real input from the main thread: the thread runs OpenColorPicker (with an
// owner window of its own when the job asks for one) and records what it
// returned; the main thread finds the window, waits for the states the
// dialog's probe shows and for the result. The probe is the support's
// observer of the dialog (picker/session_observer.h), installed the first
// time GetDialogProbe is called; it counts what the dialog's loop did and
// keeps the state it was in when it last went idle.
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
#include <mutex>
#include <string>
#include <string_view>

#include "picker/color_model.h"
#include "picker/color_picker.h"
#include "picker/picker_state.h"
#include "tests/windows/support/wintest_report.h"

namespace tintra::wintest {

// What the dialog looked like the last time its loop went idle (all pending
// events handled, refresh and paint done, about to wait), or, with `quit`
// set, when it ended (after a drag in progress was ended).
struct DialogSnapshot {
  long idle_count = 0;  // DialogProbe::idle_waits at the time of the snapshot
  HWND window = nullptr;
  PickerState picker;
  bool quit = false;
  ColorValue result = 0;
  POINT pointer{-1, -1};  // client pixels the last pointer handler got, or -1, -1
  // Pointer messages handled so far in this dialog, by kind.
  long pointer_moves = 0;
  long button_downs = 0;
  long button_ups = 0;
  int pointer_hidden = 0;  // hides of the pointer not yet undone
  bool pointer_confined = false;
};

struct DialogProbe {
  std::atomic<long> openings{0};         // OpenColorPicker calls
  std::atomic<long> windows_created{0};  // dialog windows created with all their widgets
  std::atomic<long> refreshes{0};        // refresh passes (one per burst of events)
  std::atomic<long> canvas_redraws{0};   // refresh passes that redrew the canvas
  std::atomic<long> paints{0};           // canvas blits to the window
  std::atomic<long> idle_waits{0};       // times the loop went idle and waited

  // Called on the dialog's thread (set them before the dialog opens; nullptr
  // for none): after each blit, and when the loop goes idle, just before it
  // waits.
  std::atomic<void (*)(HWND dialog)> on_paint{nullptr};
  std::atomic<void (*)(HWND dialog)> on_idle{nullptr};

  std::mutex snapshot_lock;
  DialogSnapshot snapshot;  // guarded by snapshot_lock
};

// The one probe of the test program, watching every dialog opened after the
// first call.
DialogProbe& GetDialogProbe();

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
  // EditColorInPicker with these options instead of OpenColorPicker, when
  // `with_options` is set; `confirmed` is then its answer's flag.
  bool with_options = false;
  PickerOptions options;
  std::atomic<bool> confirmed{false};
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

// --- The dialog of a program under test, seen from another process ----------

// Widgets at 96 DPI, client pixels.
constexpr POINT kOkCentre{336, 208};  // OK button 312, 188, 48 x 40
constexpr POINT kRedField{312, 275};  // top-left corners of the channel fields
constexpr POINT kGreenField{312, 297};
constexpr POINT kBlueField{312, 319};
constexpr POINT kAlphaField{312, 341};

// The colour the dialog shows, as its channel fields and its first template
// row (hexadecimal, then RGB) give it: "r g b [a] | <hex row> | <RGB row>".
std::string DialogColor(HWND dialog, int alpha_flag);

}  // namespace tintra::wintest
