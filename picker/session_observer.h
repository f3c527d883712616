// Who watches an open picker dialog: a table of plain function pointers that
// the session and the platform shell call at fixed points of the dialog's
// life, so that tests can wait for states instead of sleeping. The programs
// install none; then every report is one null check and nothing else.
// Portable: windows are `void*` (an HWND on Win32).
//
// All calls come on the dialog's thread. An installed observer sets every
// callback; `context` is handed back to each as it is.
#pragma once

#include "picker/picker_session.h"

namespace tintra {

enum class PointerEventKind { kMove, kButtonDown, kButtonUp };

// What only the shell knows of its dialog when it reports a state.
struct ShellState {
  void* window = nullptr;
  int pointer_hidden = 0;         // hides of the pointer not yet undone
  bool pointer_confined = false;  // a confinement of ours is in force
};

struct SessionObserver {
  void* context = nullptr;
  // OpenSession has run (once per dialog, before any window exists).
  void (*opened)(void* context);
  // The dialog's window exists with all its widgets.
  void (*window_created)(void* context, void* window);
  // RefreshSession has run; `canvas_redrawn` when it drew the canvas.
  void (*refreshed)(void* context, bool canvas_redrawn);
  // The canvas was put on the window.
  void (*painted)(void* context, void* window);
  // A pointer event of the dialog or its widgets, in logical client pixels
  // (-1, -1 outside the client area), just before its handler runs.
  void (*pointer_event)(void* context, PointerEventKind kind, int x, int y);
  // Every pending event handled, refreshed and painted: about to wait.
  void (*idle)(void* context, const PickerSession& session, const ShellState& shell);
  // The dialog ends (a drag in progress already ended), its window still up.
  void (*ended)(void* context, const PickerSession& session, const ShellState& shell);
};

// The observer sessions opened from now on report to (nullptr: none, the
// default). The observer must outlive every dialog that reports to it.
void InstallSessionObserver(const SessionObserver* observer);
const SessionObserver* InstalledSessionObserver();

// The shell's reports, each to the session's observer if it has one.
inline void ReportWindowCreated(const PickerSession& session, void* window) {
  if (const SessionObserver* o = session.observer) o->window_created(o->context, window);
}
inline void ReportPaint(const PickerSession& session, void* window) {
  if (const SessionObserver* o = session.observer) o->painted(o->context, window);
}
inline void ReportPointerEvent(const PickerSession& session, PointerEventKind kind, int x, int y) {
  if (const SessionObserver* o = session.observer) o->pointer_event(o->context, kind, x, y);
}
inline void ReportIdle(const PickerSession& session, const ShellState& shell) {
  if (const SessionObserver* o = session.observer) o->idle(o->context, session, shell);
}
inline void ReportEnd(const PickerSession& session, const ShellState& shell) {
  if (const SessionObserver* o = session.observer) o->ended(o->context, session, shell);
}

}  // namespace tintra
