#include "tests/windows/support/wintest_usage.h"

#include <psapi.h>

#include <cstdint>
#include <cstdio>

namespace tintra::wintest {

ProcessUsage UsageOf(HANDLE process) {
  ProcessUsage usage;
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  usage.read = GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                    sizeof counters) != FALSE;
  // Windows gives the commit charge twice, as PrivateUsage and PagefileUsage;
  // Wine 8 leaves PrivateUsage at 0 and fills only PagefileUsage.
  if (usage.read) {
    usage.private_bytes =
        counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
  }
  GetProcessHandleCount(process, &usage.handles);
  usage.gdi_objects = GetGuiResources(process, GR_GDIOBJECTS);
  usage.user_objects = GetGuiResources(process, GR_USEROBJECTS);
  return usage;
}

ProcessUsage UsageOfProcess(DWORD process_id) {
  HANDLE process =
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, process_id);
  if (process == nullptr) return ProcessUsage{};
  const ProcessUsage usage = UsageOf(process);
  CloseHandle(process);
  return usage;
}

std::string MiBText(std::size_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f MiB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return text;
}

std::string MiBDifference(std::size_t from, std::size_t to) {
  char text[32];
  std::snprintf(text, sizeof text, "%+.2f MiB",
                (static_cast<double>(to) - static_cast<double>(from)) / (1024.0 * 1024.0));
  return text;
}

bool CheckGrowthBelow(TestReport& report, std::string_view what, std::size_t from, std::size_t to,
                      std::size_t limit) {
  const std::size_t growth = to > from ? to - from : 0;
  return Check(report, growth < limit, what, "below " + MiBText(limit), MiBDifference(from, to));
}

namespace {

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

}  // namespace

unsigned LowestFreeHandleSlot() {
  HANDLE probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (probe == nullptr) return 0;
  const auto slot = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(probe) / 4);
  CloseHandle(probe);
  return slot;
}

int ThreadWindowCount() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

}  // namespace tintra::wintest
