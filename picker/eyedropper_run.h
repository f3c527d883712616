// One run of the screen eyedropper as a state record and one handler per
// event, as the dialog's interaction is (picker/interaction.h). Portable: no
// platform types.
//
// The handlers never call the platform. What the platform must do (move the
// magnifier, show its new content, put the pointer somewhere, capture it,
// watch for a release, end the run) is appended to
// `EyedropperRun::requests`, in the order it must be carried out; the shell
// carries the list out after each handler and clears it.
//
// Events come in raw (OnEyedropperEvent): the kind, the window it came to,
// as the shell's handle, and what the system says of it. The run knows its
// windows by those handles (AddEyedropperWindow), so that the rules of which
// input is the run's are written here once.
//
// A run: RunEyedropperSequence records its steps (hide the dialog, wait,
// drop stray input, freeze the screens, open the magnifier, pick, close,
// show the dialog, give the focus back) and has the shell carry each out.
// Within it: AddEyedropperMonitor for each monitor in the platform's order
// (primary first) while the screens are frozen, then the events until the
// phase is kEnded.
//
// Stray input, the same on every platform: input that came before the
// frozen screens show is dropped (kDropInput), and for the whole run input
// for any window but the run's is dropped, so that no click or key changes
// the hidden dialog. Every key of the program's windows is the run's from
// the moment the first frozen screen shows: one pressed as the screen
// freezes counts.
//
// Capture pixels are read where the shell keeps them, through a PixelView:
//   bytes   row 0 (the monitor's top row) first; row y starts at
//           bytes + y * stride
//   stride  bytes from one row to the next, at least width * the pixel size
//   layout  a pixel's bytes, in memory order:
//             kBgr24   B G R    a 24-bit top-down DIB section
//             kRgb24   R G B    QImage::Format_RGB888
//             kBgrx32  B G R x  a 32-bit DIB; QImage::Format_RGB32 (little-endian)
//             kRgbx32  R G B x  QImage::Format_RGBX8888 and RGBA8888
// A view with no bytes, a size below 1 or a stride too short reads as black.
// The views are read while picking only; the shell frees the captures after
// the run has ended.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "picker/color_model.h"
#include "picker/eyedropper.h"
#include "picker/image.h"

namespace tintra {

enum class PixelLayout { kBgr24, kRgb24, kBgrx32, kRgbx32 };

struct PixelView {
  const std::uint8_t* bytes = nullptr;
  int width = 0;              // pixels
  int height = 0;             // pixels
  std::ptrdiff_t stride = 0;  // bytes
  PixelLayout layout = PixelLayout::kBgr24;
};

// The pixel at (x, y), alpha byte 0; black outside the view.
ColorValue ViewPixelAt(const PixelView& view, int x, int y);

// Fills the 24-bit `magnifier` for the pointer at (x, y) on `monitor`, whose
// capture is `capture`: at 96 DPI 121 x 121, the 17 x 17 pixels around the
// pointer, each a 7 x 7 block at (1, 1), black beyond the monitor's edges,
// a black frame, and the crosshair inverted (MagnifierPixelAt); at another
// DPI the same, MagnifierSide(dpi) square (ScaledMagnifierPixelAt). Returns the
// colour of the pixel under the pointer (alpha byte 0).
ColorValue FillMagnifier(Image& magnifier, const MonitorRect& monitor, const PixelView& capture,
                         int x, int y);

// The keys the run reacts to. Both Enter keys are kEnter; the keypad's arrows
// (Num Lock off) are the arrows.
enum class EyedropperKey { kEscape, kEnter, kLeft, kRight, kUp, kDown };

struct KeyModifiers {
  bool shift = false;
  bool control = false;
  bool alt = false;
};

// What each key does while picking, with the modifiers it takes: exactly
// these, so Ctrl or Alt with any of them, and Shift with Escape or Enter, do
// nothing. A shell with shortcut tables builds them from this list (the
// command number is the index).
struct EyedropperShortcut {
  EyedropperKey key;
  bool shift;
  int dx;  // pointer move, pixels; 0, 0 for Escape and Enter
  int dy;
};
inline constexpr EyedropperShortcut kEyedropperShortcuts[] = {
    {EyedropperKey::kEscape, false, 0, 0},  // end without a pick
    {EyedropperKey::kEnter, false, 0, 0},   // take the pixel, as a click
    {EyedropperKey::kLeft, false, -kNudgeStep, 0},
    {EyedropperKey::kRight, false, kNudgeStep, 0},
    {EyedropperKey::kUp, false, 0, -kNudgeStep},
    {EyedropperKey::kDown, false, 0, kNudgeStep},
    {EyedropperKey::kLeft, true, -kNudgeLongStep, 0},
    {EyedropperKey::kRight, true, kNudgeLongStep, 0},
    {EyedropperKey::kUp, true, 0, -kNudgeLongStep},
    {EyedropperKey::kDown, true, 0, kNudgeLongStep},
};
inline constexpr int kEyedropperShortcutCount =
    static_cast<int>(sizeof kEyedropperShortcuts / sizeof kEyedropperShortcuts[0]);

// Timing and limits of every run.
inline constexpr int kEyedropperHideWaitMs = 50;     // lets the windows under the dialog repaint
inline constexpr int kEyedropperReleasePollMs = 20;  // the release watch's period
// Largest monitor captured, pixels (16384 x 16384): a larger one gets no
// frozen screen, as when its capture fails. At 4 bytes a pixel this is 1 GiB,
// which a 32-bit process can still hope to allocate once.
inline constexpr long long kMaxCapturePixels = 1LL << 28;
// Whether a monitor of that size may be captured.
bool CaptureFits(int width, int height);

enum class EyedropperPhase {
  kCapturing,         // monitors being added; no event counts yet
  kPicking,           // the magnifier follows the pointer
  kAwaitingButtonUp,  // picked on the left button's press: ends when it comes up
  kAwaitingEnterUp,   // picked on Enter: ends when it comes up
  kEnded,
};

// The input whose release ends a pick, so that it cannot reach the dialog
// once that is shown again.
enum class EyedropperInput { kLeftButton, kEnter };

enum class EyedropperRequestKind {
  kMoveMagnifier,      // its top-left corner to `at`, `side` pixels square
  kShowMagnifier,      // put EyedropperRun::magnifier on the magnifier window
  kMovePointer,        // the pointer to `at`
  kCapturePointer,     // the button's events to `window`, wherever the pointer goes
  kReleasePointer,     // undo kCapturePointer (`window` again), if the system has not already
  kWatchRelease,       // poll for the release of `input` (OnEyedropperReleasePoll), in case it
                       // does not come as an event
  kStopWatching,       // undo kWatchRelease
  kDropQueuedRelease,  // the poll saw `input` released: take its release out of the queue
  kEndRun,             // the run has ended: leave the loop (wake it if it waits)
  // The steps of RunEyedropperSequence, in their order:
  kHideDialog,     // note the dialog's focused widget, hide the dialog
  kWait,           // `ms` milliseconds, other windows painted meanwhile
  kDropInput,      // take out the input queued so far
  kFreezeScreens,  // capture each monitor, show it frozen, AddEyedropperMonitor
  kOpenMagnifier,  // black, `side` square at the top-left corner; the carry-out says
                   // whether it is up
  kPick,           // run the events until the phase is kEnded
  kCloseWindows,   // close the run's windows, free the captures
  kShowDialog,     // show and activate the dialog
  kRestoreFocus,   // the widget noted at kHideDialog, if still the dialog's
};

struct EyedropperRequest {
  EyedropperRequestKind kind = EyedropperRequestKind::kEndRun;
  ScreenPoint at;             // kMoveMagnifier, kMovePointer: virtual-screen pixels
  std::uintptr_t window = 0;  // kCapturePointer, kReleasePointer: a handle of AddEyedropperWindow
  EyedropperInput input = EyedropperInput::kLeftButton;  // kWatchRelease, kDropQueuedRelease
  int ms = 0;                                            // kWait, kWatchRelease (the poll's period)
  int side = kMagnifierSize;  // kMoveMagnifier: MagnifierSide of the monitor's DPI
};

// A window of the run, by the shell's handle: a monitor's frozen screen
// (`index` the monitor's) or the magnifier (kMagnifierWindow). A frame is a
// system window around the run's own (Qt's window level): its input goes on
// to the window inside it.
inline constexpr int kMagnifierWindow = -2;
struct EyedropperWindow {
  std::uintptr_t handle = 0;
  int index = kMagnifierWindow;
  bool frame = false;
};

struct EyedropperRun {
  EyedropperPhase phase = EyedropperPhase::kCapturing;
  std::vector<MonitorRect> monitors;  // platform order, primary first
  std::vector<PixelView> captures;    // one per monitor; an empty view when not made
  int current_monitor = -1;           // the monitor of the last magnifier update; -1 before
  bool picked = false;                // the result: a pick (it stands once made)
  ColorValue color = 0;               // centre pixel of the last update, alpha byte 0
  Image magnifier;  // 24-bit, MagnifierSide(monitor's DPI) square; 121 x 121 black at first
  std::uintptr_t captured_window = 0;       // kCapturePointer's, not yet undone; 0 for none
  bool watching = false;                    // kWatchRelease not yet undone
  std::vector<EyedropperWindow> windows;    // open now; none once kCloseWindows is carried out
  std::vector<EyedropperRequest> requests;  // for the shell, oldest first
};

// The shell's side of a run: carries out one request with system calls.
// The result counts for kOpenMagnifier only: whether the magnifier is up.
struct EyedropperShell {
  bool (*carry_out)(void* context, const EyedropperRequest& request) = nullptr;
  void* context = nullptr;
};

// Carries out the recorded requests, oldest first. A carry-out may record
// more (and drain them itself, from a nested event loop): the list is taken
// out before it is walked.
void CarryOutEyedropperRequests(EyedropperRun& run, const EyedropperShell& shell);

// One whole run over the dialog: `run` (the shell's, so that its event
// handlers reach it) is started with `kept`, the colour kept from the
// dialog's previous run, and becomes `kept` again at the end. Returns whether
// a colour was picked. The dialog is shown again on every path.
bool RunEyedropperSequence(EyedropperRun& run, ColorValue& kept, const EyedropperShell& shell);

// A run in kCapturing; `kept` is the picked colour of the previous run of
// the same dialog (black at first), which a pick without any move takes.
EyedropperRun StartEyedropperRun(ColorValue kept);

// The next monitor, with its capture (an empty view when it was not made).
void AddEyedropperMonitor(EyedropperRun& run, const MonitorRect& monitor, const PixelView& capture);

// A window of the run opened (its handle never 0).
void AddEyedropperWindow(EyedropperRun& run, std::uintptr_t handle, int index, bool frame = false);
// The run's window of that handle; nullptr when it is none of them. The
// first frozen screen shown takes the keys: while no window of the run has
// them, this is nullptr for the one that has.
const EyedropperWindow* FindEyedropperWindow(const EyedropperRun& run, std::uintptr_t handle);

// The magnifier is up: picking begins. With no monitor the run ends at once.
void BeginEyedropperPicking(EyedropperRun& run);

// The shortcut at `index` of kEyedropperShortcuts went down (for a shell
// whose shortcut tables give the index); `pointer` as for kKeyDown.
void OnEyedropperShortcut(EyedropperRun& run, int index, std::optional<ScreenPoint> pointer);

// The release watch's poll: whether the left button and Enter are held now.
// The awaited one no longer held (its release did not come as an event): its
// queued release is dropped and the run ends.
struct HeldInputs {
  bool left_button = false;
  bool enter = false;
};
void OnEyedropperReleasePoll(EyedropperRun& run, HeldInputs held);

// One event as the system gave it.
enum class EyedropperEventKind {
  kPointerMove,
  kButtonDown,  // also a double click
  kButtonUp,
  kKeyDown,
  kKeyUp,
  kOtherInput,  // any other input: wheel, touch, the keys' characters, ...
  kClose,       // a close request
  kOther,       // not input
};
struct EyedropperEvent {
  EyedropperEventKind kind = EyedropperEventKind::kOther;
  std::uintptr_t window = 0;           // the handle of the window it came to
  bool left_button = true;             // kButtonDown, kButtonUp: the button is the left one
  std::optional<EyedropperKey> key;    // kKeyDown, kKeyUp: nullopt for a key the run has no use for
  KeyModifiers modifiers;              // kKeyDown
  bool repeat = false;                 // kKeyDown, kKeyUp: the system's auto-repeat
  std::optional<ScreenPoint> pointer;  // kPointerMove, kKeyDown: where the pointer is now
};

// Hands the event to the run; returns whether it goes no further.
// While picking: a move shows the zoom where the pointer is (PlaceMagnifier)
// and the colour becomes the pixel under it. The left button's press on a
// monitor's window picks the colour of the last move, captures the pointer
// for that window and waits for the release, which ends the run. A key acts
// by kEyedropperShortcuts: Escape ends, also once picked (the pick stands);
// Enter picks, and its release (not a repeat's) ends; an arrow nudges the
// pointer (NudgePointer; nothing when the pointer is unknown) and counts as
// a move. Other keys, and every key but Escape once picked, do nothing. The
// same
// stray-input rule on every platform: for the length of the run, input for
// any window but the run's is dropped (the hidden dialog must not see a
// click or key meant for the run). Input for the run's windows is the
// run's; only kOtherInput goes on to the system's own handling (Alt+F4 still
// asks to close), and a frame's goes on to the window inside.
// A close request for any window ends the run; one for a window of the run
// goes no further.
bool OnEyedropperEvent(EyedropperRun& run, const EyedropperEvent& event);

// A close request for any window of the run or the dialog, the program
// quitting, or a window of the run destroyed from outside: the run ends (a
// pick made already stands).
void OnEyedropperCloseRequest(EyedropperRun& run);

}  // namespace tintra
