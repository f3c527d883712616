// Bounded waits for Windows tests: poll a condition until it holds or a
// time-out passes, handling the calling thread's window messages meanwhile
// (so that windows of the test's own thread stay responsive). Never a fixed
// sleep: a wait ends as soon as its condition holds.
#pragma once

#include <functional>

namespace tintra::wintest {

// Default time-out of a wait, milliseconds. Generous: Wine on a loaded
// machine can be slow, and a wait that succeeds returns at once.
constexpr int kDefaultTimeoutMs = 10000;

// Handles every message pending for the calling thread.
void PumpMessages();

// Polls `condition` about every millisecond until it returns true (result
// true) or `timeout_ms` milliseconds have passed (result false, after one
// last poll).
bool WaitUntil(const std::function<bool()>& condition, int timeout_ms = kDefaultTimeoutMs);

// Milliseconds since an arbitrary start, monotonic.
double NowMs();

}  // namespace tintra::wintest
