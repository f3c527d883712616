// 2000 openings and closings of the colour-picker dialog in one process. A
// dialog that leaks window, GDI or image-list handles runs out of them long
// before the end (the system's per-process limits are 10000 of each), and
// then fails to open: the count of windows created and the results show it.
// Each dialog is driven by messages posted on its own thread as soon as it is
// idle (a typed red 7, then OK, Cancel, WM_CLOSE or SC_CLOSE in turn), with
// and without alpha and four descriptors.

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "picker/color_picker.h"
#include "picker/dialog_stats_win32.h"
#include "picker/interaction.h"
#include "tests/windows/support/wintest_common_controls.h"
#include "tests/windows/support/wintest_report.h"
#include "tests/windows/support/wintest_wait.h"
#include "tests/windows/support/wintest_wine.h"

namespace {

using namespace tintra;
using namespace tintra::wintest;

TestReport g_report;

// Below the test runner's 900 s, so that a slow machine gets a report.
constexpr DWORD kTimeLimitMs = 840000;

ColorValue Rgba(int r, int g, int b, int a) {
  return static_cast<ColorValue>(r) | static_cast<ColorValue>(g) << 8 |
         static_cast<ColorValue>(b) << 16 | static_cast<ColorValue>(a) << 24;
}

// On the dialog's thread at its first idle: types 7 into the red field (a
// change the dialog takes as the user's) and ends the dialog in one of four
// ways, by message.
std::atomic<int> g_soak_step{0};

void EndSoakDialog(HWND dialog) {
  const int step = g_soak_step.load();
  HWND red = GetDlgItem(dialog, static_cast<int>(WidgetId::kRedField));
  SetWindowTextA(red, "7");
  switch (step % 4) {
    case 0:
      PostMessageA(
          dialog, WM_COMMAND, MAKEWPARAM(static_cast<int>(WidgetId::kOkButton), BN_CLICKED),
          reinterpret_cast<LPARAM>(GetDlgItem(dialog, static_cast<int>(WidgetId::kOkButton))));
      break;
    case 1:
      PostMessageA(
          dialog, WM_COMMAND, MAKEWPARAM(static_cast<int>(WidgetId::kCancelButton), BN_CLICKED),
          reinterpret_cast<LPARAM>(GetDlgItem(dialog, static_cast<int>(WidgetId::kCancelButton))));
      break;
    case 2:
      PostMessageA(dialog, WM_CLOSE, 0, 0);
      break;
    default:
      PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
  }
}

DWORD WINAPI SoakThread(LPVOID parameter) {
  auto* failures = static_cast<std::atomic<int>*>(parameter);
  CommonControls6 controls;
  const std::string descriptors[] = {"Color\nHexadecimal\tRGB\n$?hb?hg?hr\tRGB(?r, ?g, ?b)", "Soak",
                                     "Soak\n?r\t?g\t?b\tx", "Soak\n\n"};
  for (int i = 0; i < 2000; ++i) {
    g_soak_step = i;
    const ColorValue initial = Rgba(i % 256, 40, 50, 60);
    const ColorValue expected = i % 4 == 0 ? Rgba(7, 40, 50, 60) : initial;
    const ColorValue got =
        OpenColorPicker(initial, descriptors[i % 4], i % 3 == 0 ? 1 : 0, nullptr);
    if (got != expected) {
      if (failures->fetch_add(1) < 5) {
        std::printf("soak opening %d: expected %s, got %s\n", i, Hex32(expected).c_str(),
                    Hex32(got).c_str());
      }
    }
  }
  return 0;
}

void TestSoak() {
  BeginSection(g_report, "2000 openings in one process");
  DialogProbe& probe = GetDialogProbe();
  const long openings = probe.openings.load();
  const long created = probe.windows_created.load();
  std::atomic<int> failures{0};
  probe.on_idle = EndSoakDialog;
  const double start = NowMs();
  HANDLE thread = CreateThread(nullptr, 0, SoakThread, &failures, 0, nullptr);
  // This thread has no window to serve: a plain wait, which leaves the
  // machine to the dialogs.
  const bool ended =
      thread != nullptr && WaitForSingleObject(thread, kTimeLimitMs) == WAIT_OBJECT_0;
  std::printf("2000 openings in %.1f s\n", (NowMs() - start) / 1000.0);
  Check(g_report, ended, "soak thread",
        "ended within " + std::to_string(kTimeLimitMs / 1000) + " s", "still running");
  if (ended) {
    CloseHandle(thread);
    probe.on_idle = nullptr;
  }
  CheckEqual(g_report, "openings", openings + 2000, probe.openings.load());
  CheckEqual(g_report, "windows created", created + 2000, probe.windows_created.load());
  CheckEqual(g_report, "openings with a wrong result", 0, failures.load());
}

}  // namespace

int main() {
  if (const int code = RunWithUnmanagedWindowsUnderWine(); code >= 0) return code;
  TestSoak();
  return FinishReport(g_report);
}
