// What a process holds, for the soak tests: private memory, kernel handles
// and window-manager objects. A leak shows as a figure that keeps growing
// over many repetitions of the same work; one sample says little.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "tests/windows/support/wintest_report.h"

namespace tintra::wintest {

struct ProcessUsage {
  bool read = false;              // false: the memory counters could not be read
  std::size_t private_bytes = 0;  // committed memory of the process alone, bytes
  DWORD handles = 0;              // kernel handles (processes, threads, events...)
  DWORD gdi_objects = 0;          // GDI objects; Wine always reports 0
  DWORD user_objects = 0;         // windows, menus, hooks...; Wine always reports 0
};

// `process` needs PROCESS_QUERY_LIMITED_INFORMATION and PROCESS_VM_READ (a
// handle from CreateProcess or GetCurrentProcess() has both).
ProcessUsage UsageOf(HANDLE process);

// The process with this id, opened for UsageOf and closed again.
ProcessUsage UsageOfProcess(DWORD process_id);

// "12.34 MiB"; a signed difference gets its sign ("+0.25 MiB").
std::string MiBText(std::size_t bytes);
std::string MiBDifference(std::size_t from, std::size_t to);

// Counts one check: memory went from `from` to `to` bytes, a growth below
// `limit` (a fall counts as no growth).
bool CheckGrowthBelow(TestReport& report, std::string_view what, std::size_t from, std::size_t to,
                      std::size_t limit);

// The calling process's lowest free handle slot (a new handle's value / 4).
// Handles take the lowest free slot, so handles that are never closed push it
// up: under Wine, which counts no handles, this is what shows a handle leak.
unsigned LowestFreeHandleSlot();

// Top-level windows of the calling thread, hidden ones included.
int ThreadWindowCount();

}  // namespace tintra::wintest
