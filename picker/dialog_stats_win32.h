// Test-only instrumentation of the picker dialog: counters of what its event
// loop did, the state it was in when it last went idle, and two callbacks on
// the dialog's own thread. The dialog works the same whether anyone looks;
// the programs never read these.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>

#include "picker/picker_state.h"

namespace tintra {

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

// The one probe of the program.
inline DialogProbe& GetDialogProbe() {
  static DialogProbe probe;
  return probe;
}

// A copy of the last idle snapshot.
inline DialogSnapshot LastDialogSnapshot() {
  DialogProbe& probe = GetDialogProbe();
  std::lock_guard<std::mutex> hold(probe.snapshot_lock);
  return probe.snapshot;
}

}  // namespace tintra
