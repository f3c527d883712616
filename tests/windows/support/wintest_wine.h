// Facts of the Wine emulator that Windows tests must allow for.
#pragma once

#include <string>

namespace tintra::wintest {

// Whether the program runs under Wine rather than Windows.
bool RunningUnderWine();

// Under Wine on a display without a window manager, hiding or destroying a
// window that Wine hands to the (absent) window manager waits 2 s for an
// answer that never comes. Wine handles a program's windows itself when the
// program's own AppDefaults key in the prefix says "Managed" = "N", but it
// reads that when the program starts. So: when the key is missing, this sets
// it, runs the program again with the same command line and standard
// handles, and returns that run's exit code; otherwise (and on Windows) it
// returns -1 and the program goes on. Call it first in main:
//
//   if (const int code = RunWithUnmanagedWindowsUnderWine(); code >= 0) return code;
int RunWithUnmanagedWindowsUnderWine();

// Runs this program again with `arguments` while the prefix's display DPI
// (HKCU\Control Panel\Desktop, LogPixels, which Wine reads when a program
// starts) is `dpi`, and gives the setting back. Returns the child's exit
// code, or -1 when it could not be run or did not end within `timeout_ms`
// (it is then ended). Under Wine only: elsewhere one program's display scale
// cannot be changed, and it returns -2.
int RunSelfAtDpi(int dpi, const std::string& arguments, int timeout_ms);

// Makes the calling thread per-monitor DPI aware (version 2 where the
// system has it), as the programs' manifest makes them; or unaware, as a
// program that declares nothing. No effect where the system lacks the call.
void SetThreadPerMonitorDpiAware();
void SetThreadDpiUnaware();

// Time since this process was created, milliseconds: what a start-up costs
// by the time the caller is reached (the timing tools print it).
double MillisecondsSinceProcessStart();

}  // namespace tintra::wintest
