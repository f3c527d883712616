// Opens the colour-picker dialog as the programs do, for screenshots and
// timing. Prints "result 0x........" (the returned ColorValue) at the end.
//
//   dialog_demo_tool [--alpha] [--color HEX] [--rows N] [--owner]
//                    [--first-paint-exit] [--burst N] [--close-on-input]
//
//   --alpha             alpha flag 1 (RGBA templates)
//   --color HEX         initial ColorValue, red in the low byte (default 0xFF2A7FD4)
//   --rows N            0: title only; 1: captions only; 2 (default): captions and templates
//   --owner             open over an owner window of the tool's own
//   --first-paint-exit  print "first-paint-ms T" (milliseconds since the
//                       process was created) at the first paint, and exit
//   --burst N           once idle, queue a press in the colour field, N
//                       pointer moves and a release in one go; print
//                       "burst N moves: R refreshes, C canvas redraws, P paints"
//                       and close the dialog
//   --close-on-input    print "painted X Y W H" (the window's screen rectangle),
//                       "dpi D", "client X Y W H" and "point NAME X Y" (the
//                       screen places of the client area and of the points
//                       the screenshot script uses, from the dialog's layout
//                       at its DPI) at the first paint; close the dialog when
//                       a line arrives on the standard input
//   --dialog-keys       with the filter's options: Enter confirms, Escape
//                       cancels; prints "confirmed 0|1" before the result
//   --list TITLE        instead of the dialog, the list chooser of the eight
//                       notations under TITLE; prints "chosen N"
//   --repeat N          open the dialog N times, each closed by a message as
//                       soon as it is idle; print "opening-ms T" (the mean
//                       time of one opening, painted and closed)

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "colortext/format_chooser.h"
#include "picker/color_picker.h"
#include "picker/dialog_layout.h"
#include "picker/display_dpi_win32.h"
#include "tests/windows/support/wintest_dialog.h"
#include "tests/windows/support/wintest_wine.h"

namespace {

using tintra::wintest::DialogProbe;
using tintra::wintest::GetDialogProbe;

int g_burst_moves = 0;
bool g_burst_queued = false;
long g_refreshes_before = 0;
long g_canvas_before = 0;
long g_paints_before = 0;
bool g_announce_paint = false;
int g_alpha = 0;

void ExitAtFirstPaint(HWND) {
  std::printf("first-paint-ms %.1f\n", tintra::wintest::MillisecondsSinceProcessStart());
  std::fflush(stdout);
  ExitProcess(0);
}

void AnnounceFirstPaint(HWND dialog) {
  if (!g_announce_paint) return;
  g_announce_paint = false;
  RECT r{};
  GetWindowRect(dialog, &r);
  std::printf("painted %ld %ld %ld %ld\n", static_cast<long>(r.left), static_cast<long>(r.top),
              static_cast<long>(r.right - r.left), static_cast<long>(r.bottom - r.top));
  const int dpi = tintra::WindowDpi(dialog);
  const tintra::DialogLayout layout = tintra::MakeDialogLayout(g_alpha, 0, dpi);
  POINT origin{0, 0};
  ClientToScreen(dialog, &origin);
  RECT client{};
  GetClientRect(dialog, &client);
  std::printf("dpi %d\nclient %ld %ld %ld %ld\n", dpi, static_cast<long>(origin.x),
              static_cast<long>(origin.y), static_cast<long>(client.right),
              static_cast<long>(client.bottom));
  // Logical places: the upper swatch's middle, a drag down and left in the
  // field, and a rest on the background left of the hue bar.
  const tintra::PixelRect& swatch = layout.upper_swatch.logical;
  const tintra::PixelRect& field = layout.field.logical;
  const struct {
    const char* name;
    int x, y;
  } points[] = {{"store", swatch.x + swatch.width / 2, swatch.y + swatch.height / 2},
                {"drag-from", field.x + 156, field.y + 48},
                {"drag-to", field.x + 108, field.y + 84},
                {"rest", layout.hue_bar.logical.x / 2, layout.hue_bar.logical.y / 2}};
  for (const auto& p : points) {
    std::printf("point %s %ld %ld\n", p.name,
                static_cast<long>(origin.x) + tintra::ToPhysical(p.x, dpi),
                static_cast<long>(origin.y) + tintra::ToPhysical(p.y, dpi));
  }
  std::fflush(stdout);
}

// On the dialog's thread: the first idle queues the burst, the next one
// reports it.
void RunBurst(HWND dialog) {
  DialogProbe& probe = GetDialogProbe();
  if (!g_burst_queued) {
    g_burst_queued = true;
    // The field's middle, in physical client pixels.
    const tintra::DialogLayout layout =
        tintra::MakeDialogLayout(g_alpha, 0, tintra::WindowDpi(dialog));
    const tintra::PixelRect& r = layout.field.physical;
    POINT field{r.x + r.width / 2, r.y + r.height / 2};
    const LPARAM at = MAKELPARAM(field.x, field.y);
    ClientToScreen(dialog, &field);
    SetCursorPos(field.x, field.y);
    g_refreshes_before = probe.refreshes.load();
    g_canvas_before = probe.canvas_redraws.load();
    g_paints_before = probe.paints.load();
    PostMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, at);
    for (int i = 0; i < g_burst_moves; ++i) PostMessageA(dialog, WM_MOUSEMOVE, MK_LBUTTON, at);
    PostMessageA(dialog, WM_LBUTTONUP, 0, at);
    return;
  }
  std::printf("burst %d moves: %ld refreshes, %ld canvas redraws, %ld paints\n", g_burst_moves,
              probe.refreshes.load() - g_refreshes_before,
              probe.canvas_redraws.load() - g_canvas_before, probe.paints.load() - g_paints_before);
  std::fflush(stdout);
  probe.on_idle = nullptr;
  PostMessageA(dialog, WM_CLOSE, 0, 0);
}

void CloseWhenIdle(HWND dialog) {
  PostMessageA(dialog, WM_CLOSE, 0, 0);
}

DWORD WINAPI CloseOnInput(LPVOID) {
  char line[64];
  if (std::fgets(line, sizeof(line), stdin) == nullptr) {
    // No input to wait for: nothing to close on.
    return 0;
  }
  const HWND dialog = tintra::wintest::Snapshot().window;
  if (dialog != nullptr) PostMessageA(dialog, WM_CLOSE, 0, 0);
  return 0;
}

std::string Descriptor(int rows, bool alpha) {
  std::string d = "Color";
  if (rows >= 1) d += "\nHexadecimal\t" + std::string(alpha ? "RGBA" : "RGB");
  if (rows >= 2) {
    d += alpha ? "\n$?ha?hb?hg?hr\tRGBA(?r, ?g, ?b, ?a)" : "\n$?hb?hg?hr\tRGB(?r, ?g, ?b)";
  }
  return d;
}

}  // namespace

int main(int argc, char** argv) {
  if (const int code = tintra::wintest::RunWithUnmanagedWindowsUnderWine(); code >= 0) return code;
  bool alpha = false;
  bool owner = false;
  bool close_on_input = false;
  int repeat = 0;
  int rows = 2;
  bool dialog_keys = false;
  const char* list_title = nullptr;
  tintra::ColorValue color = 0xFF2A7FD4u;
  DialogProbe& probe = GetDialogProbe();
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--alpha") == 0) {
      alpha = true;
    } else if (std::strcmp(a, "--owner") == 0) {
      owner = true;
    } else if (std::strcmp(a, "--color") == 0 && i + 1 < argc) {
      color = static_cast<tintra::ColorValue>(std::strtoul(argv[++i], nullptr, 16));
    } else if (std::strcmp(a, "--rows") == 0 && i + 1 < argc) {
      rows = std::atoi(argv[++i]);
    } else if (std::strcmp(a, "--first-paint-exit") == 0) {
      probe.on_paint = ExitAtFirstPaint;
    } else if (std::strcmp(a, "--burst") == 0 && i + 1 < argc) {
      g_burst_moves = std::atoi(argv[++i]);
      probe.on_idle = RunBurst;
    } else if (std::strcmp(a, "--repeat") == 0 && i + 1 < argc) {
      repeat = std::atoi(argv[++i]);
      probe.on_idle = CloseWhenIdle;
    } else if (std::strcmp(a, "--close-on-input") == 0) {
      close_on_input = true;
    } else if (std::strcmp(a, "--dialog-keys") == 0) {
      dialog_keys = true;
    } else if (std::strcmp(a, "--list") == 0 && i + 1 < argc) {
      list_title = argv[++i];
    } else {
      std::fprintf(stderr, "dialog_demo_tool: unknown argument %s\n", a);
      return 2;
    }
  }
  g_alpha = alpha ? 1 : 0;
  // As the programs' manifest makes them: laid out at the display's DPI.
  // Common controls 6 come from the same manifest, linked in as a resource
  // (tests/windows/dialog_demo_tool.rc).
  tintra::wintest::SetThreadPerMonitorDpiAware();
  if (close_on_input) {
    g_announce_paint = true;
    probe.on_paint = AnnounceFirstPaint;
    HANDLE reader = CreateThread(nullptr, 0, CloseOnInput, nullptr, 0, nullptr);
    if (reader != nullptr) CloseHandle(reader);
  }
  if (repeat > 0) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < repeat; ++i) {
      tintra::OpenColorPicker(color, Descriptor(rows, alpha), alpha ? 1 : 0, nullptr);
    }
    QueryPerformanceCounter(&end);
    std::printf("opening-ms %.2f\n", static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
                                         static_cast<double>(frequency.QuadPart) / repeat);
    return 0;
  }
  if (list_title != nullptr) {
    const tintra::ChooserList list{list_title,
                                   {"#ff8000", "rgb(255, 128, 0)", "hsl(30, 100%, 50%)", "0xFF8000",
                                    "RGB(255, 128, 0)", "$0080FF", "vec3(1.0, 0.5, 0.0)", "33023"}};
    std::printf("chosen %d\n", tintra::ChooseFromList(list));
    return 0;
  }
  if (dialog_keys) {
    tintra::PickerOptions options;
    options.dialog_keys = true;
    const tintra::PickerAnswer answer =
        tintra::EditColorInPicker(color, Descriptor(rows, alpha), alpha ? 1 : 0, nullptr, options);
    std::printf("confirmed %d\nresult 0x%08X\n", answer.confirmed ? 1 : 0,
                static_cast<unsigned>(answer.color));
    return 0;
  }
  HWND owner_window = nullptr;
  if (owner) {
    owner_window = CreateWindowExA(0, "STATIC", "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                                   640, 480, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  const tintra::ColorValue result =
      tintra::OpenColorPicker(color, Descriptor(rows, alpha), alpha ? 1 : 0, owner_window);
  if (owner_window != nullptr) DestroyWindow(owner_window);
  std::printf("result 0x%08X\n", static_cast<unsigned>(result));
  return 0;
}
