// Facts of the Wine emulator that Windows tests must allow for.
#pragma once

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

}  // namespace tintra::wintest
