// The colour-picker dialog under real input. OpenColorPicker runs on a
// thread of its own while the main thread drives it with the pointer and the
// keyboard (SetCursorPos, SendInput), reads its widgets and the screen, and
// checks the returned colour. Every wait is bounded and polls for the
// dialog's idle state (tests/windows/support/wintest_dialog.h), so no step
// relies on timing. The 2000 openings of the soak have a program of their own
// (dialog_soak_wintest), so that each program keeps its own time budget.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "picker/color_picker.h"
#include "picker/dialog_layout.h"
#include "picker/display_dpi_win32.h"
#include "picker/handles_win32.h"
#include "picker/interaction.h"
#include "picker/picker_session.h"
#include "picker/render.h"
#include "tests/rgba.h"
#include "tests/windows/support/wintest_dialog.h"
#include "tests/windows/support/wintest_input.h"
#include "tests/windows/support/wintest_report.h"
#include "tests/windows/support/wintest_screen.h"
#include "tests/windows/support/wintest_wait.h"
#include "tests/windows/support/wintest_windows.h"
#include "tests/windows/support/wintest_wine.h"

namespace {

using namespace tintra;
using namespace tintra::wintest;

TestReport g_report;

// The display's DPI the dialog is tested at: 96, or in a child run with the
// prefix's DPI changed, that DPI. Tests speak in logical (96-DPI) client
// pixels; input goes to the last physical pixel of the position's span, so
// that a whole span is proven to map back to it.
int g_dpi = kBaseDpi;

// The front-ends' descriptor: captions over two templates.
constexpr char kStandardDescriptor[] = "Color\nHexadecimal\tRGB\n$?hb?hg?hr\tRGB(?r, ?g, ?b)";

// --- Input in client coordinates --------------------------------------------

POINT Physical(int x, int y) {
  return POINT{SpanOf(x, g_dpi).last - 1, SpanOf(y, g_dpi).last - 1};
}

POINT Screen(const RunningDialog& run, int x, int y) {
  const POINT p = Physical(x, y);
  return ClientPointOnScreen(run.window, p.x, p.y);
}

PixelRect Scaled(int x, int y, int width, int height) {
  return ToPhysical(PixelRect{x, y, width, height}, g_dpi);
}

// Moves the pointer to the client point and waits until the dialog handled
// a move there (when `exact`; a drag's confinement may hold the pointer
// elsewhere, then only the handling is waited for).
bool MoveTo(const RunningDialog& run, int x, int y, bool exact = true) {
  const long moves = Snapshot().pointer_moves;
  MovePointerOnThreadOf(run.window, Screen(run, x, y));
  const SIZE size = ClientSize(run.window);
  const POINT p = Physical(x, y);
  const bool inside = x >= 0 && y >= 0 && p.x < size.cx && p.y < size.cy;
  const POINT want = inside ? POINT{x, y} : POINT{-1, -1};
  return WaitForState(g_report, run,
                      "pointer moved to (" + std::to_string(x) + ", " + std::to_string(y) + ")",
                      [&](const DialogSnapshot& s) {
                        return s.pointer_moves > moves &&
                               (!exact || (s.pointer.x == want.x && s.pointer.y == want.y));
                      });
}

bool Press(const RunningDialog& run) {
  const long downs = Snapshot().button_downs;
  PressLeftButton();
  return WaitForState(g_report, run, "button press handled",
                      [&](const DialogSnapshot& s) { return s.button_downs > downs; });
}

bool Release(const RunningDialog& run) {
  const long ups = Snapshot().button_ups;
  ReleaseLeftButton();
  return WaitForState(g_report, run, "button release handled",
                      [&](const DialogSnapshot& s) { return s.button_ups > ups; });
}

bool PressAt(const RunningDialog& run, int x, int y) {
  return MoveTo(run, x, y) && Press(run);
}

// A click with the dialog idle between press and release, as a hand gives it.
bool ClickClient(const RunningDialog& run, int x, int y) {
  return PressAt(run, x, y) && Release(run);
}

// Every input sent before this has been handled: a pointer move is queued
// behind it and waited for.
bool Fence(const RunningDialog& run) {
  const int x = Snapshot().pointer.x == 2 ? 3 : 2;
  return MoveTo(run, x, 2);
}

ColorValue CurrentColor() {
  return Snapshot().picker.current;
}

HWND Widget(const RunningDialog& run, WidgetId id) {
  return GetDlgItem(run.window, static_cast<int>(id));
}

// The dialog's widget with the keyboard focus (the preset combo for its inner
// box), or nullptr.
HWND FocusedWidget(const RunningDialog& run) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(run.thread_id, &info)) return nullptr;
  HWND w = info.hwndFocus;
  while (w != nullptr && GetParent(w) != run.window) w = GetParent(w);
  return w;
}

bool WaitForFocus(const RunningDialog& run, HWND widget, std::string_view what) {
  HWND got = nullptr;
  const bool ok = WaitUntil([&] { return (got = FocusedWidget(run)) == widget; });
  char text[64];
  std::snprintf(text, sizeof(text), "id %d", got != nullptr ? GetDlgCtrlID(got) : 0);
  return Check(g_report, ok, what, "id " + std::to_string(GetDlgCtrlID(widget)), text);
}

// Waits until the widget shows `text` (the dialog sets texts during its
// refresh, so a check right after an event could come too early).
bool WaitForText(HWND widget, const std::string& text, std::string_view what) {
  std::string got;
  const bool ok = WaitUntil([&] { return (got = WindowText(widget)) == text; });
  return Check(g_report, ok, what, ToText(text), ToText(got));
}

// Posts a close request and checks that the dialog returns `expected`.
void CloseExpecting(RunningDialog& run, ColorValue expected, std::string_view what) {
  PostMessageA(run.window, WM_CLOSE, 0, 0);
  CheckEqual(g_report, what, Hex32(expected), Hex32(WaitForResult(g_report, run)));
}

// Clicks OK (by hand, in its middle) and checks the result.
void ConfirmExpecting(RunningDialog& run, ColorValue expected, std::string_view what) {
  MoveTo(run, 336, 208);
  PressLeftButton();
  ReleaseLeftButton();
  CheckEqual(g_report, what, Hex32(expected), Hex32(WaitForResult(g_report, run)));
}

// --- Layout -----------------------------------------------------------------

struct ExpectedWidget {
  const char* window_class;
  int id;
  int x, y, width, height;
  const char* text;  // what it shows after the first refresh
};

// Combo, channel fields and buttons with the alpha flag `a`, for the colour
// (255, 128, 0, 255).
std::vector<ExpectedWidget> FixedWidgets(int a) {
  std::vector<ExpectedWidget> w{
      {"ComboBoxEx32", 100, 312, 78, 48, 28, nullptr},
      {"Edit", 101, 312, 275, 32, 20, "255"},
      {"Edit", 102, 312, 297, 32, 20, "128"},
      {"Edit", 103, 312, 319, 32, 20, "0"},
  };
  if (a != 0) w.push_back({"Edit", 104, 312, 341, 32, 20, "255"});
  // The image buttons' names (not drawn), in the English title's language.
  w.push_back({"Button", 105, 312, 188, 48, 40, "OK"});
  w.push_back({"Button", 106, 312, 228, 48, 40, "Cancel"});
  w.push_back({"Button", 107, 312, 136, 48, 40, "Pick a colour from the screen"});
  return w;
}

struct LayoutCase {
  const char* name;
  const char* descriptor;
  int alpha_flag;
  int client_height;
  std::vector<ExpectedWidget> template_fields;  // ids from 108
};

std::vector<LayoutCase> LayoutCases() {
  return {
      // The front-ends' descriptor: captions in row 2, templates in row 3.
      {"standard",
       kStandardDescriptor,
       0,
       402,
       {{"Static", 108, 12, 346, 173, 20, "Hexadecimal"},
        {"Static", 109, 187, 346, 173, 20, "RGB"},
        {"Edit", 110, 12, 368, 173, 20, "$0080FF"},
        {"Edit", 111, 187, 368, 173, 20, "RGB(255, 128, 0)"}}},
      // The same with alpha: 22 pixels lower.
      {"standard, alpha",
       kStandardDescriptor,
       1,
       424,
       {{"Static", 108, 12, 368, 173, 20, "Hexadecimal"},
        {"Static", 109, 187, 368, 173, 20, "RGB"},
        {"Edit", 110, 12, 390, 173, 20, "$0080FF"},
        {"Edit", 111, 187, 390, 173, 20, "RGB(255, 128, 0)"}}},
      // An alpha flag of 2 is 1.
      {"standard, alpha flag 2",
       kStandardDescriptor,
       2,
       424,
       {{"Static", 108, 12, 368, 173, 20, "Hexadecimal"},
        {"Static", 109, 187, 368, 173, 20, "RGB"},
        {"Edit", 110, 12, 390, 173, 20, "$0080FF"},
        {"Edit", 111, 187, 390, 173, 20, "RGB(255, 128, 0)"}}},
      // No line feed: no rows.
      {"title only", "Title only", 0, 346, {}},
      {"title only, alpha", "Title only", 1, 368, {}},
      // A final line feed: one row, one empty caption across it.
      {"trailing line feed", "Trailing\n", 0, 380, {{"Static", 108, 12, 346, 348, 20, ""}}},
      {"trailing line feed, alpha", "Trailing\n", 1, 402, {{"Static", 108, 12, 368, 348, 20, ""}}},
      // Seven fields: w = (350 - 14) / 7 = 48.
      {"seven fields",
       "Seven\nA\tB\tC\tD\tE\t?r\t?g",
       0,
       380,
       {{"Static", 108, 12, 346, 48, 20, "A"},
        {"Static", 109, 62, 346, 48, 20, "B"},
        {"Static", 110, 112, 346, 48, 20, "C"},
        {"Static", 111, 162, 346, 48, 20, "D"},
        {"Static", 112, 212, 346, 48, 20, "E"},
        {"Edit", 113, 262, 346, 48, 20, "255"},
        {"Edit", 114, 312, 346, 48, 20, "128"}}},
      // Three fields: w = 114; "&" in a caption is shown, not a mnemonic.
      {"three fields, alpha",
       "Three\n?r\tR&B\t?b",
       1,
       402,
       {{"Edit", 108, 12, 368, 114, 20, "255"},
        {"Static", 109, 128, 368, 114, 20, "R&B"},
        {"Edit", 110, 244, 368, 114, 20, "0"}}},
  };
}

void CheckWidgets(const RunningDialog& run, const std::vector<ExpectedWidget>& expected) {
  const std::vector<HWND> children = ChildrenInOrder(run.window);
  CheckEqual(g_report, "number of widgets", expected.size(), children.size());
  for (std::size_t i = 0; i < expected.size() && i < children.size(); ++i) {
    const ExpectedWidget& e = expected[i];
    HWND w = children[i];
    const std::string which =
        "widget " + std::to_string(i + 1) + " (id " + std::to_string(e.id) + ")";
    CheckEqual(g_report, which + " class", std::string(e.window_class), ClassName(w));
    CheckEqual(g_report, which + " id", e.id, GetDlgCtrlID(w));
    const RECT r = RectInClient(w, run.window);
    const PixelRect want = Scaled(e.x, e.y, e.width, e.height);
    CheckEqual(g_report, which + " rectangle", RectText(want), RectText(r));
    if (e.text != nullptr) WaitForText(w, e.text, which + " text");
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(w, GWL_STYLE));
    const std::string window_class = e.window_class;
    if (window_class == "Static") {
      CheckEqual(g_report, which + " caption centred both ways", true,
                 (style & SS_TYPEMASK) == SS_CENTER && (style & SS_CENTERIMAGE) != 0);
    } else if (window_class == "Edit" && e.id >= static_cast<int>(WidgetId::kFirstTemplateField)) {
      CheckEqual(
          g_report, which + " read-only, centred, in the Tab order", true,
          (style & ES_READONLY) != 0 && (style & ES_CENTER) != 0 && (style & WS_TABSTOP) != 0);
    } else if (window_class == "Edit") {
      CheckEqual(g_report, which + " digits only", true, (style & ES_NUMBER) != 0);
    } else if (window_class == "Button") {
      CheckEqual(g_report, which + " shows an icon", true,
                 (style & BS_ICON) != 0 && SendMessageA(w, BM_GETIMAGE, IMAGE_ICON, 0) != 0);
    }
  }
}

void CheckPresetItems(const RunningDialog& run) {
  HWND combo = Widget(run, WidgetId::kPresetCombo);
  CheckEqual(g_report, "preset items", 93L,
             static_cast<long>(SendMessageA(combo, CB_GETCOUNT, 0, 0)));
  // Index: text ("-" marks a group's central colour).
  const struct {
    int index;
    const char* text;
  } items[] = {{0, " "}, {4, "-"}, {8, " "}, {12, "-"}, {89, "-"}, {92, " "}};
  for (const auto& item : items) {
    char text[8] = {};
    COMBOBOXEXITEMA get{};
    get.mask = CBEIF_TEXT | CBEIF_IMAGE;
    get.iItem = item.index;
    get.pszText = text;
    get.cchTextMax = sizeof(text);
    SendMessageA(combo, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&get));
    const std::string which = "preset item " + std::to_string(item.index);
    CheckEqual(g_report, which + " text", std::string(item.text), std::string(text));
    CheckEqual(g_report, which + " image", item.index, get.iImage);
  }
}

void TestLayout() {
  const int screen_w = GetSystemMetrics(SM_CXSCREEN);
  const int screen_h = GetSystemMetrics(SM_CYSCREEN);
  bool items_checked = false;
  for (const LayoutCase& c : LayoutCases()) {
    BeginSection(g_report, std::string("layout: ") + c.name);
    RunningDialog run;
    // Red 255, green 128, blue 0: templates showing every channel apart,
    // and the central colour of the orange group (preset 89).
    run.job.initial = Rgba(255, 128, 0, 255);
    run.job.descriptor = c.descriptor;
    run.job.alpha_flag = c.alpha_flag;
    if (!StartDialog(g_report, run)) continue;
    const int a = c.alpha_flag != 0 ? 1 : 0;

    const SIZE client = ClientSize(run.window);
    const PixelRect want = Scaled(0, 0, 372, c.client_height);
    CheckEqual(g_report, "client area", RectText(0, 0, want.width, want.height),
               RectText(0, 0, client.cx, client.cy));
    CheckEqual(g_report, "title", run.title, WindowText(run.window));
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(run.window, GWL_STYLE));
    const auto ex_style = static_cast<DWORD>(GetWindowLongPtrA(run.window, GWL_EXSTYLE));
    CheckEqual(g_report, "caption with close box", true,
               (style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU) != 0);
    CheckEqual(
        g_report, "no minimise, maximise or sizing border", 0ul,
        static_cast<unsigned long>(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)));
    CheckEqual(g_report, "tool window on top", true,
               (ex_style & WS_EX_TOOLWINDOW) != 0 && (ex_style & WS_EX_TOPMOST) != 0);
    CheckEqual(g_report, "no owner", static_cast<HWND>(nullptr), GetWindow(run.window, GW_OWNER));
    RECT frame{};
    GetWindowRect(run.window, &frame);
    CheckEqual(g_report, "centred on the screen (left, top)",
               RectText((screen_w - (frame.right - frame.left)) / 2,
                        (screen_h - (frame.bottom - frame.top)) / 2, 0, 0),
               RectText(frame.left, frame.top, 0, 0));

    std::vector<ExpectedWidget> expected = FixedWidgets(a);
    expected.insert(expected.end(), c.template_fields.begin(), c.template_fields.end());
    CheckWidgets(run, expected);
    CheckEqual(
        g_report, "preset of the colour selected", 89L,
        static_cast<long>(SendMessageA(Widget(run, WidgetId::kPresetCombo), CB_GETCURSEL, 0, 0)));
    if (!items_checked) {
      CheckPresetItems(run);
      items_checked = true;
    }
    CloseExpecting(run, run.job.initial, "result after the close request");
  }
}

// --- Ending the dialog ------------------------------------------------------

// Starts a dialog with the colour (10, 20, 30, 40), alpha flag 0, and makes
// red 100 with a press on the red strip.
bool StartChanged(RunningDialog& run) {
  run.job.initial = Rgba(10, 20, 30, 40);
  run.job.descriptor = "Ending";
  run.job.alpha_flag = 0;
  if (!StartDialog(g_report, run)) return false;
  ClickClient(run, 144, 285);
  return WaitForState(g_report, run, "red 100", [](const DialogSnapshot& s) {
    return s.picker.current == Rgba(100, 20, 30, 40);
  });
}

// A point of the window's close box, found by asking the window.
bool FindCloseBox(HWND window, POINT& at) {
  RECT frame{};
  GetWindowRect(window, &frame);
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  for (long y = frame.top; y < origin.y; ++y) {
    for (long x = frame.right - 1; x > frame.right - 60 && x > frame.left; --x) {
      const LRESULT hit = SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y));
      if (hit == HTCLOSE) {
        at = POINT{x - 2, y + 2};
        if (SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y)) == HTCLOSE) return true;
      }
    }
  }
  return false;
}

void TestEnding() {
  BeginSection(g_report, "ending: OK, Cancel, close box");
  {
    // OK returns the current colour; with the alpha flag 0 its alpha byte
    // is the initial one.
    RunningDialog run;
    if (StartChanged(run)) ConfirmExpecting(run, Rgba(100, 20, 30, 40), "OK after red 100");
    CloseIfOpen(g_report, run);
  }
  {
    RunningDialog run;
    if (StartChanged(run)) {
      MoveTo(run, 336, 248);
      PressLeftButton();
      ReleaseLeftButton();
      CheckEqual(g_report, "Cancel after red 100", Hex32(Rgba(10, 20, 30, 40)),
                 Hex32(WaitForResult(g_report, run)));
    }
    CloseIfOpen(g_report, run);
  }
  {
    RunningDialog run;
    if (StartChanged(run)) CloseExpecting(run, Rgba(10, 20, 30, 40), "WM_CLOSE after red 100");
    CloseIfOpen(g_report, run);
  }
  {
    RunningDialog run;
    if (StartChanged(run)) {
      PostMessageA(run.window, WM_SYSCOMMAND, SC_CLOSE, 0);
      CheckEqual(g_report, "SC_CLOSE after red 100", Hex32(Rgba(10, 20, 30, 40)),
                 Hex32(WaitForResult(g_report, run)));
    }
    CloseIfOpen(g_report, run);
  }
  {
    RunningDialog run;
    if (StartChanged(run)) {
      PressKeyWith(VK_MENU, VK_F4);
      CheckEqual(g_report, "Alt+F4 after red 100", Hex32(Rgba(10, 20, 30, 40)),
                 Hex32(WaitForResult(g_report, run)));
    }
    CloseIfOpen(g_report, run);
  }
  {
    RunningDialog run;
    if (StartChanged(run)) {
      POINT box{};
      if (Check(g_report, FindCloseBox(run.window, box), "close box", "found", "none")) {
        MovePointerOnThreadOf(run.window, box);
        PressLeftButton();
        ReleaseLeftButton();
        CheckEqual(g_report, "close box clicked after red 100", Hex32(Rgba(10, 20, 30, 40)),
                   Hex32(WaitForResult(g_report, run)));
      }
    }
    CloseIfOpen(g_report, run);
  }
  {
    // OK from the keyboard during a drag: the drag ends with the dialog.
    RECT clip_before{};
    GetClipCursor(&clip_before);
    RunningDialog run;
    run.job.initial = Rgba(10, 20, 30, 40);
    run.job.descriptor = "Ending in a drag";
    if (StartDialog(g_report, run) && PressAt(run, 100, 285) &&
        WaitForState(g_report, run, "red drag, pointer hidden", [](const DialogSnapshot& s) {
          return s.picker.drag == Drag::kRed && s.pointer_hidden == 1;
        })) {
      PressKey(VK_SPACE);  // the OK button has the focus during a drag
      CheckEqual(g_report, "OK by Space during a red drag", Hex32(Rgba(56, 20, 30, 40)),
                 Hex32(WaitForResult(g_report, run)));
      const DialogSnapshot end = Snapshot();
      CheckEqual(g_report, "drag ended with the dialog", true,
                 end.quit && end.picker.drag == Drag::kNone && end.pointer_hidden == 0 &&
                     !end.pointer_confined);
      RECT clip_after{};
      GetClipCursor(&clip_after);
      CheckEqual(g_report, "pointer confinement given back", RectText(clip_before),
                 RectText(clip_after));
    }
    ReleaseLeftButton();
    CloseIfOpen(g_report, run);
  }
}

// --- Drags --------------------------------------------------------------------

bool WaitForColor(const RunningDialog& run, ColorValue expected, std::string_view what) {
  return WaitForState(g_report, run, std::string(what) + ": current " + Hex32(expected),
                      [&](const DialogSnapshot& s) { return s.picker.current == expected; });
}

void TestChannelStrips() {
  BeginSection(g_report, "drags on the channel strips");
  RunningDialog run;
  run.job.initial = Rgba(96, 64, 32, 128);
  run.job.descriptor = "Strips";
  run.job.alpha_flag = 1;
  if (!StartDialog(g_report, run)) return;
  // Red: press at x 100 gives 56; far right holds at 255, far left at 0.
  PressAt(run, 100, 285);
  WaitForState(g_report, run, "red drag with red 56, pointer hidden and confined",
               [](const DialogSnapshot& s) {
                 return s.picker.drag == Drag::kRed && s.picker.current == Rgba(56, 64, 32, 128) &&
                        s.pointer_hidden == 1 && s.pointer_confined;
               });
  MoveTo(run, 371, 285, false);
  WaitForColor(run, Rgba(255, 64, 32, 128), "red dragged far right");
  MoveTo(run, 0, 285, false);
  WaitForColor(run, Rgba(0, 64, 32, 128), "red dragged far left");
  MoveTo(run, 150, 285);
  WaitForColor(run, Rgba(106, 64, 32, 128), "red dragged to x 150");
  Release(run);
  WaitForState(
      g_report, run, "no drag, pointer shown, confinement given back", [](const DialogSnapshot& s) {
        return s.picker.drag == Drag::kNone && s.pointer_hidden == 0 && !s.pointer_confined;
      });
  // Green from its first to its last column.
  PressAt(run, 44, 305);
  WaitForColor(run, Rgba(106, 0, 32, 128), "green pressed at x 44");
  MoveTo(run, 299, 305);
  WaitForColor(run, Rgba(106, 255, 32, 128), "green dragged to x 299");
  Release(run);
  // Blue, dragged out of its strip into the colour field: only x counts.
  PressAt(run, 299, 327);
  WaitForColor(run, Rgba(106, 255, 255, 128), "blue pressed at x 299");
  MoveTo(run, 200, 200, false);
  WaitForColor(run, Rgba(106, 255, 156, 128), "blue dragged to x 200 in the field");
  Release(run);
  WaitForColor(run, Rgba(106, 255, 156, 128), "release in the field after a blue drag");
  // Alpha: press at (100, 350) gives 56; left of the strip holds at 0.
  PressAt(run, 100, 350);
  WaitForState(g_report, run, "alpha drag with alpha 56", [](const DialogSnapshot& s) {
    return s.picker.drag == Drag::kAlpha && s.picker.current == Rgba(106, 255, 156, 56);
  });
  MoveTo(run, 20, 350, false);
  WaitForColor(run, Rgba(106, 255, 156, 0), "alpha dragged left of the strip");
  Release(run);
  ConfirmExpecting(run, Rgba(106, 255, 156, 0), "OK after the strip drags");
  CloseIfOpen(g_report, run);
}

void TestFieldDrag() {
  BeginSection(g_report, "drags in the colour field");
  RunningDialog run;
  run.job.initial = Rgba(255, 0, 0, 255);
  run.job.descriptor = kStandardDescriptor;
  if (!StartDialog(g_report, run)) return;
  // Hue red at field position (128, 64): (190, 94, 94).
  PressAt(run, 44 + 128, 12 + 64);
  WaitForState(g_report, run, "field drag at (128, 64) giving (190, 94, 94)",
               [](const DialogSnapshot& s) {
                 return s.picker.drag == Drag::kField && s.picker.field_x == 128 &&
                        s.picker.field_y == 64 && s.picker.current == Rgba(190, 94, 94, 255);
               });
  // Out of the field to the lower left: held at (0, 255), black.
  MoveTo(run, 2, 340, false);
  WaitForState(g_report, run, "field held at (0, 255), black", [](const DialogSnapshot& s) {
    return s.picker.field_x == 0 && s.picker.field_y == 255 &&
           s.picker.current == Rgba(0, 0, 0, 255);
  });
  // Out of black again: the hue was kept. (255, 0) is the hue itself.
  MoveTo(run, 299, 12);
  WaitForColor(run, Rgba(255, 0, 0, 255), "field at (255, 0)");
  MoveTo(run, 44 + 128, 12 + 64);
  WaitForColor(run, Rgba(190, 94, 94, 255), "field back at (128, 64)");
  Release(run);
  WaitForState(g_report, run, "no drag",
               [](const DialogSnapshot& s) { return s.picker.drag == Drag::kNone; });
  CheckEqual(g_report, "red field after the drag", std::string("190"),
             WindowText(Widget(run, WidgetId::kRedField)));
  // (190, 94, 94) in the front-ends' templates.
  WaitForText(Widget(run, TemplateFieldWidget(2)), "$5E5EBE", "hexadecimal output field");
  WaitForText(Widget(run, TemplateFieldWidget(3)), "RGB(190, 94, 94)", "RGB output field");
  // The field's corner: a press at (44, 12) is position (0, 0), white.
  ClickClient(run, 44, 12);
  WaitForColor(run, Rgba(255, 255, 255, 255), "press at (44, 12)");
  // Outside every press area nothing starts.
  // x, y: a point just outside the field, and under the first caption row.
  const POINT outside[] = {{300, 100}, {43, 100}, {100, 350}};
  for (const POINT& p : outside) {
    PressAt(run, p.x, p.y);
    const DialogSnapshot s = Snapshot();
    CheckEqual(g_report,
               "drag after a press at (" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")",
               0, static_cast<int>(s.picker.drag));
    Release(run);
  }
  ConfirmExpecting(run, Rgba(255, 255, 255, 255), "OK after the field drags");
  CloseIfOpen(g_report, run);
}

// The same events given to a session of the portable core: what the dialog
// should show and hold.
struct Model {
  PickerSession session;
  Model(ColorValue initial, const std::string& descriptor, int alpha_flag) {
    OpenSession(session, initial, descriptor, alpha_flag,
                static_cast<ColorValue>(GetSysColor(COLOR_BTNFACE)), g_dpi);
    Settle();
  }
  void Settle() {
    RefreshSession(session);
    session.ui.requests.clear();
  }
  void Move(int x, int y) {
    OnPointerMove(session.ui, x, y);
    Settle();
  }
  void Down(int x, int y) {
    OnButtonDown(session.ui, x, y);
    Settle();
  }
  void Up(int x, int y) {
    OnButtonUp(session.ui, x, y);
    Settle();
  }
  void Click(int x, int y) {
    Move(x, y);
    Down(x, y);
    Up(x, y);
  }
  ColorValue Current() const { return session.ui.picker.current; }
};

void TestHueBar() {
  BeginSection(g_report, "drags on the hue bar");
  {
    RunningDialog run;
    run.job.initial = Rgba(255, 0, 0, 255);
    run.job.descriptor = "Hue bar";
    if (StartDialog(g_report, run)) {
      Model model(run.job.initial, run.job.descriptor, 0);
      // The bar is centred on the current hue: its top and bottom rows show
      // table entries o and o + 1530 with o = 1530 - 764 for red, both
      // (0, 255, 254), one step past cyan; the field at (255, 0) shows it.
      PressAt(run, 20, 12);
      model.Move(20, 12);
      model.Down(20, 12);
      WaitForState(g_report, run, "hue drag at marker row 0 giving (0, 255, 254)",
                   [](const DialogSnapshot& s) {
                     return s.picker.drag == Drag::kHueBar && s.picker.marker_row == 0 &&
                            s.picker.current == Rgba(0, 255, 254, 255);
                   });
      MoveTo(run, 20, 333);
      model.Move(20, 333);
      WaitForState(
          g_report, run, "marker row 321 giving (0, 255, 254) again", [](const DialogSnapshot& s) {
            return s.picker.marker_row == 321 && s.picker.current == Rgba(0, 255, 254, 255);
          });
      MoveTo(run, 20, 112);
      model.Move(20, 112);
      WaitForState(g_report, run, "marker row 100",
                   [](const DialogSnapshot& s) { return s.picker.marker_row == 100; });
      CheckEqual(g_report, "colour at marker row 100", Hex32(model.Current()),
                 Hex32(CurrentColor()));
      Check(g_report, model.Current() != Rgba(255, 0, 0, 255), "colour at marker row 100",
            "another hue than red", Hex32(model.Current()));
      Release(run);
      model.Up(20, 112);
      // After the release the bar is centred on the picked hue again.
      WaitForState(g_report, run, "no drag, marker back on row 160", [](const DialogSnapshot& s) {
        return s.picker.drag == Drag::kNone && s.picker.marker_row == 160;
      });
      CheckEqual(g_report, "colour after the release", Hex32(model.Current()),
                 Hex32(CurrentColor()));
      ConfirmExpecting(run, model.Current(), "OK after the hue drag");
    }
    CloseIfOpen(g_report, run);
  }
  {
    // With alpha the bar is 22 pixels taller: (20, 350) is marker row 338.
    RunningDialog run;
    run.job.initial = Rgba(0, 128, 255, 99);
    run.job.descriptor = "Hue bar with alpha";
    run.job.alpha_flag = 1;
    if (StartDialog(g_report, run)) {
      PressAt(run, 20, 350);
      WaitForState(g_report, run, "hue drag at marker row 338", [](const DialogSnapshot& s) {
        return s.picker.drag == Drag::kHueBar && s.picker.marker_row == 338;
      });
      Release(run);
      WaitForState(g_report, run, "marker back on row 171", [](const DialogSnapshot& s) {
        return s.picker.drag == Drag::kNone && s.picker.marker_row == 171;
      });
      CloseExpecting(run, run.job.initial, "close after the hue drag");
    }
    CloseIfOpen(g_report, run);
  }
}

// --- Taps and drags out of the dialog ---------------------------------------

std::string DescribeState(const PickerState& p);

// A tap as a touchpad or a busy dialog hands it over: the pointer put at
// client (x, y), then a press and a release queued together on the
// dialog's thread while its loop waits, so both are handled before the
// refresh. Waits until the loop is idle after the release.
bool QueuedTap(const RunningDialog& run, int x, int y) {
  const POINT at = Screen(run, x, y);
  const long ups = Snapshot().button_ups;
  RunOnThreadOf(run.window, [&] {
    SetCursorPos(at.x, at.y);
    PostMessageA(run.window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    PostMessageA(run.window, WM_LBUTTONUP, 0, 0);
  });
  return WaitForState(
      g_report, run, "tap at (" + std::to_string(x) + ", " + std::to_string(y) + ") handled",
      [&](const DialogSnapshot& s) { return s.button_ups > ups && s.picker.drag == Drag::kNone; });
}

// Moves the pointer `dx`, `dy` physical pixels beyond the window's frame
// (left of it for dx < 0, above for dy < 0; 0 keeps the client's logical
// row or column `x`, `y`) and waits until the dialog handled the move with
// the position the drag must see there: the real one, outside the window.
bool MoveOutside(const RunningDialog& run, int dx, int x, int dy, int y) {
  RECT frame{};
  GetWindowRect(run.window, &frame);
  POINT at = Screen(run, x, y);
  if (dx < 0) at.x = frame.left + dx;
  if (dy < 0) at.y = frame.top + dy;
  POINT origin{0, 0};
  ClientToScreen(run.window, &origin);
  const POINT want{ToLogical(at.x - origin.x, g_dpi), ToLogical(at.y - origin.y, g_dpi)};
  const long moves = Snapshot().pointer_moves;
  MovePointerOnThreadOf(run.window, at);
  return WaitForState(g_report, run,
                      "drag moved out of the window to client (" + std::to_string(want.x) + ", " +
                          std::to_string(want.y) + ")",
                      [&](const DialogSnapshot& s) {
                        return s.pointer_moves > moves && s.pointer.x == want.x &&
                               s.pointer.y == want.y;
                      });
}

void TestTapsAndDragsOut() {
  BeginSection(g_report, "taps and drags out of the dialog");
  {
    // A tap in the field picks the pixel under the marker; one on the hue
    // bar picks as a press held over a refresh does.
    RunningDialog run;
    run.job.initial = Rgba(255, 0, 0, 255);
    run.job.descriptor = kStandardDescriptor;
    if (StartDialog(g_report, run)) {
      Model model(run.job.initial, run.job.descriptor, 0);
      QueuedTap(run, 44 + 128, 12 + 64);
      model.Click(44 + 128, 12 + 64);
      WaitForState(g_report, run, "field tap at (128, 64) giving (190, 94, 94)",
                   [](const DialogSnapshot& s) {
                     return s.picker.field_x == 128 && s.picker.field_y == 64 &&
                            s.picker.current == Rgba(190, 94, 94, 255);
                   });
      QueuedTap(run, 20, 100);
      model.Click(20, 100);
      Check(g_report, model.Current() != Rgba(190, 94, 94, 255), "colour after the hue tap",
            "another hue", Hex32(model.Current()));
      CheckEqual(g_report, "state after the hue-bar tap", DescribeState(model.session.ui.picker),
                 DescribeState(Snapshot().picker));
      ConfirmExpecting(run, model.Current(), "OK after the taps");
    }
    CloseIfOpen(g_report, run);
  }
  {
    // Out past the top-left corner: the field's corner, white. Released
    // there, the drag ends; the pointer passing over the dialog afterwards
    // changes nothing.
    RunningDialog run;
    run.job.initial = Rgba(255, 0, 0, 255);
    run.job.descriptor = "Drag out";
    if (StartDialog(g_report, run) && PressAt(run, 44 + 128, 12 + 64)) {
      MoveOutside(run, -20, 0, -20, 0);
      WaitForState(g_report, run, "field held at (0, 0), white", [](const DialogSnapshot& s) {
        return s.picker.drag == Drag::kField && s.picker.field_x == 0 && s.picker.field_y == 0 &&
               s.picker.current == Rgba(255, 255, 255, 255);
      });
      Release(run);
      WaitForState(
          g_report, run, "released outside: no drag, pointer shown", [](const DialogSnapshot& s) {
            return s.picker.drag == Drag::kNone && s.pointer_hidden == 0 && !s.pointer_confined;
          });
      for (const POINT& p : {POINT{200, 200}, POINT{100, 300}, POINT{20, 330}}) {
        MoveTo(run, p.x, p.y);
        const PickerState got = Snapshot().picker;
        CheckEqual(g_report,
                   "field and colour after a move to (" + std::to_string(p.x) + ", " +
                       std::to_string(p.y) + ")",
                   std::string("(0, 0) ") + Hex32(Rgba(255, 255, 255, 255)),
                   "(" + std::to_string(got.field_x) + ", " + std::to_string(got.field_y) + ") " +
                       Hex32(got.current));
      }
      ConfirmExpecting(run, Rgba(255, 255, 255, 255), "OK after the drag out");
    }
    CloseIfOpen(g_report, run);
  }
  {
    // The red strip out past the left edge: red 0, the strip's edge, and
    // still 0 when OK is pressed after the release outside.
    RunningDialog run;
    run.job.initial = Rgba(96, 64, 32, 255);
    run.job.descriptor = "Strip out";
    if (StartDialog(g_report, run) && PressAt(run, 100, 285)) {
      WaitForColor(run, Rgba(56, 64, 32, 255), "red pressed at x 100");
      MoveOutside(run, -20, 0, 0, 285);
      WaitForColor(run, Rgba(0, 64, 32, 255), "red dragged out past the left edge");
      Release(run);
      WaitForState(g_report, run, "released outside: no drag",
                   [](const DialogSnapshot& s) { return s.picker.drag == Drag::kNone; });
      ConfirmExpecting(run, Rgba(0, 64, 32, 255), "OK pressed after the release outside");
    }
    CloseIfOpen(g_report, run);
  }
}

// --- Typing, presets, swatches ------------------------------------------------

void TestChannelFields() {
  BeginSection(g_report, "typing into the channel fields");
  RunningDialog run;
  run.job.initial = Rgba(10, 20, 30, 40);
  run.job.descriptor = kStandardDescriptor;
  run.job.alpha_flag = 1;
  if (!StartDialog(g_report, run)) return;
  HWND red = Widget(run, WidgetId::kRedField);
  HWND green = Widget(run, WidgetId::kGreenField);
  HWND blue = Widget(run, WidgetId::kBlueField);
  HWND alpha = Widget(run, WidgetId::kAlphaField);
  WaitForFocus(run, Widget(run, WidgetId::kPresetCombo), "focus at the start");
  // Tab selects a field's text, so typing replaces it.
  PressKey(VK_TAB);
  WaitForFocus(run, red, "focus after Tab");
  TypeText("300");
  WaitForColor(run, Rgba(255, 20, 30, 40), "300 typed into red");
  WaitForText(red, "300", "red field while it has the focus");
  PressKey(VK_TAB);
  WaitForFocus(run, green, "focus after the second Tab");
  WaitForText(red, "255", "red field after it lost the focus");
  TypeText("12");
  WaitForColor(run, Rgba(255, 12, 30, 40), "12 typed into green");
  PressKey(VK_TAB);
  WaitForFocus(run, blue, "focus on blue");
  PressKey(VK_BACK);  // the empty field reads 0
  WaitForColor(run, Rgba(255, 12, 0, 40), "blue emptied");
  WaitForText(blue, "", "blue field while empty");
  PressKey(VK_TAB);
  WaitForFocus(run, alpha, "focus on alpha");
  WaitForText(blue, "0", "blue field after it lost the focus");
  TypeText("128");
  WaitForColor(run, Rgba(255, 12, 0, 128), "128 typed into alpha");
  // Back to red; while it shows 300 a drag on the green strip takes the
  // focus to OK and the red field shows 255.
  PressKeyWith(VK_SHIFT, VK_TAB);
  PressKeyWith(VK_SHIFT, VK_TAB);
  PressKeyWith(VK_SHIFT, VK_TAB);
  WaitForFocus(run, red, "focus after three Shift+Tab");
  TypeText("300");
  WaitForText(red, "300", "red field typed again");
  PressAt(run, 44 + 77, 305);
  WaitForColor(run, Rgba(255, 77, 0, 128), "green pressed at 77");
  Release(run);
  WaitForFocus(run, Widget(run, WidgetId::kOkButton), "focus after the strip press");
  WaitForText(red, "255", "red field after the strip press");
  WaitForText(green, "77", "green field after the strip press");
  WaitForText(Widget(run, TemplateFieldWidget(2)), "$004DFF", "hexadecimal output field");
  WaitForText(Widget(run, TemplateFieldWidget(3)), "RGB(255, 77, 0)", "RGB output field");
  ConfirmExpecting(run, Rgba(255, 77, 0, 128), "OK after typing");
  CloseIfOpen(g_report, run);
}

void TestPresets() {
  BeginSection(g_report, "preset combo");
  RunningDialog run;
  run.job.initial = Rgba(1, 2, 3, 128);  // no preset
  run.job.descriptor = "Presets";
  run.job.alpha_flag = 1;
  if (!StartDialog(g_report, run)) return;
  HWND combo = Widget(run, WidgetId::kPresetCombo);
  auto selection = [combo] { return static_cast<long>(SendMessageA(combo, CB_GETCURSEL, 0, 0)); };
  CheckEqual(g_report, "no preset selected for (1, 2, 3)", -1L, selection());
  WaitForFocus(run, combo, "focus at the start");
  // Keys choose items; the alpha byte stays 128.
  PressKey(VK_HOME);
  WaitForColor(run, Rgba(0, 0, 0, 128), "Home: item 0, black");
  PressKey(VK_END);
  WaitForColor(run, Rgba(255, 224, 192, 128), "End: item 92, the last orange tint");
  PressKey(VK_UP);
  WaitForColor(run, Rgba(255, 192, 128, 128), "Up: item 91");
  CheckEqual(g_report, "selection after Up", 91L, selection());
  // A typed colour that is no preset clears the selection; one that is
  // selects it.
  PressKey(VK_TAB);
  PressKey(VK_TAB);
  PressKey(VK_TAB);
  WaitForFocus(run, Widget(run, WidgetId::kBlueField), "focus on blue");
  TypeText("1");
  WaitForColor(run, Rgba(255, 192, 1, 128), "blue 1");
  WaitUntil([&] { return selection() == -1; });
  CheckEqual(g_report, "selection for (255, 192, 1)", -1L, selection());
  PressKey(VK_BACK);
  TypeText("128");
  WaitForColor(run, Rgba(255, 192, 128, 128), "blue 128");
  WaitUntil([&] { return selection() == 91; });
  CheckEqual(g_report, "selection for (255, 192, 128)", 91L, selection());
  // Grey 128 by the strips selects item 4.
  ClickClient(run, 44 + 128, 285);
  WaitForColor(run, Rgba(128, 192, 128, 128), "red 128 by its strip");
  ClickClient(run, 44 + 128, 305);
  WaitForColor(run, Rgba(128, 128, 128, 128), "grey 128 by the green strip");
  WaitUntil([&] { return selection() == 4; });
  CheckEqual(g_report, "selection for grey 128", 4L, selection());
  MoveTo(run, 336, 248);
  PressLeftButton();
  ReleaseLeftButton();
  CheckEqual(g_report, "Cancel after presets", Hex32(run.job.initial),
             Hex32(WaitForResult(g_report, run)));
  CloseIfOpen(g_report, run);
}

void TestSwatches() {
  BeginSection(g_report, "store and restore with the swatches");
  RunningDialog run;
  run.job.initial = Rgba(96, 64, 32, 128);
  run.job.descriptor = "Swatches";
  run.job.alpha_flag = 1;
  if (!StartDialog(g_report, run)) return;
  // Hover: 1 over the upper swatch, 2 over the lower, else 0.
  MoveTo(run, 312, 12);
  WaitForState(g_report, run, "hover 1",
               [](const DialogSnapshot& s) { return s.picker.hover == Hover::kUpper; });
  MoveTo(run, 359, 75);
  WaitForState(g_report, run, "hover 2",
               [](const DialogSnapshot& s) { return s.picker.hover == Hover::kLower; });
  MoveTo(run, 360, 75);
  WaitForState(g_report, run, "hover 0",
               [](const DialogSnapshot& s) { return s.picker.hover == Hover::kNone; });
  // Change, store, change, restore: all 32 bits come back.
  ClickClient(run, 44, 350);
  ClickClient(run, 299, 285);
  WaitForColor(run, Rgba(255, 64, 32, 0), "alpha 0, red 255");
  ClickClient(run, 336, 28);
  WaitForState(g_report, run, "stored (255, 64, 32, 0)",
               [](const DialogSnapshot& s) { return s.picker.stored == Rgba(255, 64, 32, 0); });
  ClickClient(run, 44, 285);
  ClickClient(run, 299, 350);
  WaitForColor(run, Rgba(0, 64, 32, 255), "red 0, alpha 255");
  ClickClient(run, 336, 60);
  WaitForColor(run, Rgba(255, 64, 32, 0), "restored from the lower swatch");
  // A press elsewhere and a release over a swatch count as a click.
  ClickClient(run, 44, 327);
  WaitForColor(run, Rgba(255, 64, 0, 0), "blue 0");
  PressAt(run, 5, 300);
  MoveTo(run, 336, 20);
  Release(run);
  WaitForState(g_report, run, "stored (255, 64, 0, 0) by a release over the upper swatch",
               [](const DialogSnapshot& s) { return s.picker.stored == Rgba(255, 64, 0, 0); });
  ConfirmExpecting(run, Rgba(255, 64, 0, 0), "OK after the swatches");
  CloseIfOpen(g_report, run);
}

// --- Keyboard ---------------------------------------------------------------

void TestKeys() {
  BeginSection(g_report, "eyedropper button, Escape and Enter");
  RunningDialog run;
  run.job.initial = Rgba(12, 34, 56, 255);
  run.job.descriptor = kStandardDescriptor;
  if (!StartDialog(g_report, run)) return;
  // The eyedropper ended with Escape (nothing picked) leaves the colour and
  // the dialog as they were. While it runs the dialog is hidden and its loop
  // waits for it, so only its end is waited for.
  MoveTo(run, 336, 156);
  const long idle = Snapshot().idle_count;
  PressLeftButton();
  ReleaseLeftButton();
  // Escape counts once a window of the eyedropper (they carry the dialog's
  // title) has the dialog thread's focus; the dialog going idle proves
  // nothing, as it does between the press and the release that starts it.
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const bool taking_keys = WaitUntil([&] {
    return GetGUIThreadInfo(run.thread_id, &info) && info.hwndFocus != nullptr &&
           info.hwndFocus != run.window && !IsChild(run.window, info.hwndFocus) &&
           WindowText(info.hwndFocus) == run.title;
  });
  Check(g_report, taking_keys, "eyedropper", "one of its windows with the focus", "none");
  PressKey(VK_ESCAPE);
  WaitForState(g_report, run, "idle and visible after the eyedropper",
               [&](const DialogSnapshot& s) {
                 return s.idle_count > idle && s.button_ups > 0 && IsWindowVisible(run.window);
               });
  Fence(run);
  CheckEqual(g_report, "colour after the eyedropper", Hex32(run.job.initial),
             Hex32(CurrentColor()));
  // Escape and Enter on every widget that takes the focus: nothing happens.
  for (int i = 0; i < 8; ++i) {
    HWND focus = FocusedWidget(run);
    PressKey(VK_ESCAPE);
    PressKey(VK_RETURN);
    Fence(run);
    const DialogSnapshot s = Snapshot();
    const std::string which = "Escape and Enter on id " + std::to_string(GetDlgCtrlID(focus));
    CheckEqual(g_report, which + ": still open", false, s.quit || run.job.finished.load());
    CheckEqual(g_report, which + ": colour", Hex32(run.job.initial), Hex32(s.picker.current));
    PressKey(VK_TAB);
    WaitUntil([&] { return FocusedWidget(run) != focus; });
  }
  ConfirmExpecting(run, run.job.initial, "OK after Escape and Enter");
  CloseIfOpen(g_report, run);
}

// The output fields' text from the caller: the template in angle brackets
// and the colour's red byte, so that both arguments show.
std::string BracketedTemplate(const void* /*context*/, std::string_view field_template,
                              ColorValue color) {
  return "<" + std::string(field_template) + ">" + std::to_string(RedOf(color));
}

// The tooltip the dialog made for its image buttons: a window of the
// dialog's thread owned by the dialog.
struct TooltipSearch {
  HWND dialog;
  HWND found;
};

BOOL CALLBACK FindOwnedTooltip(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<TooltipSearch*>(p);
  if (GetWindow(w, GW_OWNER) != s->dialog || ClassName(w) != TOOLTIPS_CLASSA) return TRUE;
  s->found = w;
  return FALSE;
}

HWND ButtonTooltip(const RunningDialog& run) {
  TooltipSearch search{run.window, nullptr};
  EnumThreadWindows(run.thread_id, FindOwnedTooltip, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string ToolText(HWND tooltip, HWND dialog, HWND button) {
  char text[128] = {};
  TTTOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V1_SIZE;
  tool.hwnd = dialog;
  tool.uId = reinterpret_cast<UINT_PTR>(button);
  tool.lpszText = text;
  SendMessageA(tooltip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
  return text;
}

void TestDialogKeys() {
  BeginSection(g_report, "dialog keys");
  struct Row {
    const char* name;
    const char* descriptor;
    std::vector<WORD> keys;  // from the first focus (OK), before the last key
    const char* typed;       // then typed, or nullptr
    WORD last_key;           // VK_RETURN or VK_ESCAPE
    bool confirmed;
    ColorValue result;    // from (10, 20, 30, 255), or 0: the colour just before the last key
    const char* tips[3];  // eyedropper, OK, Cancel
  } rows[] = {
      // Enter in a channel field confirms the colour typed there.
      {"Enter in the blue field",
       kStandardDescriptor,
       {VK_SHIFT},
       "77",
       VK_RETURN,
       true,
       Rgba(10, 20, 77, 255),
       {"Pick a colour from the screen", "OK", "Cancel"}},
      // Escape in a channel field cancels what was typed.
      {"Escape in the red field",
       kStandardDescriptor,
       {VK_SHIFT, VK_SHIFT, VK_SHIFT},
       "5",
       VK_ESCAPE,
       false,
       Rgba(10, 20, 30, 255),
       {"Pick a colour from the screen", "OK", "Cancel"}},
      // In the preset combo (closed) Down picks the next preset; Enter keeps it.
      {"Enter in the preset combo",
       "S\xE9lection de couleur\nHexad\xE9"
       "cimal\tRGB\n$?hb?hg?hr\tRGB(?r, ?g, ?b)",
       {VK_SHIFT, VK_SHIFT, VK_SHIFT, VK_SHIFT, VK_DOWN},
       nullptr,
       VK_RETURN,
       true,
       0,
       {"Prendre une couleur \xE0 l'\xE9"
        "cran",
        "OK", "Annuler"}},
      // Escape in an output field (Cancel, eyedropper, then the fields).
      {"Escape in an output field",
       kStandardDescriptor,
       {VK_TAB, VK_TAB, VK_TAB},
       nullptr,
       VK_ESCAPE,
       false,
       Rgba(10, 20, 30, 255),
       {"Pick a colour from the screen", "OK", "Cancel"}},
      // Enter at once: OK has the first focus.
      {"Enter on OK",
       kStandardDescriptor,
       {},
       nullptr,
       VK_RETURN,
       true,
       Rgba(10, 20, 30, 255),
       {"Pick a colour from the screen", "OK", "Cancel"}},
  };
  for (const Row& r : rows) {
    BeginSection(g_report, std::string("dialog keys: ") + r.name);
    RunningDialog run;
    run.job.initial = Rgba(10, 20, 30, 255);
    run.job.descriptor = r.descriptor;
    run.job.with_options = true;
    run.job.options.dialog_keys = true;
    run.job.options.field_text = BracketedTemplate;
    if (!StartDialog(g_report, run)) continue;
    HWND ok = Widget(run, WidgetId::kOkButton);
    WaitForFocus(run, ok, "first focus");
    const auto ui_state = static_cast<DWORD>(SendMessageA(ok, WM_QUERYUISTATE, 0, 0));
    CheckEqual(g_report, "focus rectangle shown", 0ul,
               static_cast<unsigned long>(ui_state & UISF_HIDEFOCUS));
    WaitForText(Widget(run, TemplateFieldWidget(3)), "<RGB(?r, ?g, ?b)>10",
                "output field from the caller's field_text");
    const HWND buttons[3] = {Widget(run, WidgetId::kEyedropperButton), ok,
                             Widget(run, WidgetId::kCancelButton)};
    HWND tooltip = ButtonTooltip(run);
    if (Check(g_report, tooltip != nullptr, "tooltip", "owned by the dialog", "none")) {
      CheckEqual(g_report, "tools", 3L,
                 static_cast<long>(SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0)));
      for (int i = 0; i < 3; ++i) {
        CheckEqual(g_report, "tip " + std::to_string(i), std::string(r.tips[i]),
                   ToolText(tooltip, run.window, buttons[i]));
        CheckEqual(g_report, "name " + std::to_string(i), std::string(r.tips[i]),
                   WindowText(buttons[i]));
      }
    }
    for (WORD key : r.keys) {
      HWND before = FocusedWidget(run);
      if (key == VK_SHIFT) {
        PressKeyWith(VK_SHIFT, VK_TAB);
      } else {
        PressKey(key);
      }
      if (key == VK_TAB || key == VK_SHIFT) WaitUntil([&] { return FocusedWidget(run) != before; });
    }
    if (r.typed != nullptr) TypeText(r.typed);
    Fence(run);
    const ColorValue before_last = CurrentColor();
    PressKey(r.last_key);
    const ColorValue want = r.result != 0 ? r.result : before_last;
    if (r.result == 0) {
      CheckEqual(g_report, "the preset changed the colour", true, before_last != run.job.initial);
    }
    CheckEqual(g_report, "result", Hex32(want), Hex32(WaitForResult(g_report, run)));
    CheckEqual(g_report, "confirmed", r.confirmed, run.job.confirmed.load());
    CloseIfOpen(g_report, run);
  }
}

void TestTabOrder() {
  BeginSection(g_report, "Tab order");
  RunningDialog run;
  run.job.initial = Rgba(1, 2, 3, 4);
  run.job.descriptor = kStandardDescriptor;
  run.job.alpha_flag = 1;
  if (!StartDialog(g_report, run)) return;
  // Creation order without the captions (108, 109), then around again.
  const int forward[] = {101, 102, 103, 104, 105, 106, 107, 110, 111, 100, 101};
  WaitForFocus(run, Widget(run, WidgetId::kPresetCombo), "focus at the start");
  for (int id : forward) {
    PressKey(VK_TAB);
    WaitForFocus(run, GetDlgItem(run.window, id), "focus after Tab");
  }
  const int backward[] = {100, 111, 110, 107, 106, 105, 104, 103, 102, 101, 100};
  for (int id : backward) {
    PressKeyWith(VK_SHIFT, VK_TAB);
    WaitForFocus(run, GetDlgItem(run.window, id), "focus after Shift+Tab");
  }
  CloseExpecting(run, run.job.initial, "close after Tab");
  CloseIfOpen(g_report, run);
}

// --- Owner ------------------------------------------------------------------

void TestOwner() {
  BeginSection(g_report, "owner");
  {
    RunningDialog run;
    run.job.initial = Rgba(5, 6, 7, 8);
    run.job.descriptor = "Owned";
    run.job.owner_kind = OwnerKind::kWindow;
    if (StartDialog(g_report, run)) {
      HWND owner = run.job.owner.load();
      CheckEqual(g_report, "owner disabled while the dialog is open", false,
                 IsWindowEnabled(owner) != FALSE);
      CheckEqual(g_report, "dialog owned", owner, GetWindow(run.window, GW_OWNER));
      RECT frame{};
      GetWindowRect(run.window, &frame);
      const RECT o = run.job.owner_rect;
      CheckEqual(g_report, "centred over the owner (left, top)",
                 RectText(o.left + ((o.right - o.left) - (frame.right - frame.left)) / 2,
                          o.top + ((o.bottom - o.top) - (frame.bottom - frame.top)) / 2, 0, 0),
                 RectText(frame.left, frame.top, 0, 0));
      CloseExpecting(run, run.job.initial, "result");
      CheckEqual(g_report, "owner enabled after the dialog", true,
                 run.job.owner_enabled_after.load());
    }
    CloseIfOpen(g_report, run);
  }
  {
    RunningDialog run;
    run.job.initial = Rgba(5, 6, 7, 8);
    run.job.descriptor = "Owned at the corner";
    run.job.owner_kind = OwnerKind::kWindowAtTopLeft;
    if (StartDialog(g_report, run)) {
      RECT frame{};
      GetWindowRect(run.window, &frame);
      CheckEqual(g_report, "left and top held at 0", RectText(0, 0, 0, 0),
                 RectText(frame.left, frame.top, 0, 0));
      CloseExpecting(run, run.job.initial, "result");
      CheckEqual(g_report, "owner enabled after the dialog", true,
                 run.job.owner_enabled_after.load());
    }
    CloseIfOpen(g_report, run);
  }
  {
    RunningDialog run;
    run.job.initial = Rgba(5, 6, 7, 8);
    run.job.descriptor = "Owner gone";
    run.job.owner_kind = OwnerKind::kNotAWindow;
    if (StartDialog(g_report, run)) {
      CheckEqual(g_report, "a dead owner is no owner", static_cast<HWND>(nullptr),
                 GetWindow(run.window, GW_OWNER));
      CloseExpecting(run, run.job.initial, "result");
    }
    CloseIfOpen(g_report, run);
  }
  {
    // Creating the window fails: the initial colour, the owner enabled again.
    RunningDialog run;
    run.job.initial = Rgba(9, 8, 7, 6);
    run.job.descriptor = "Refused\nA\t?r";
    run.job.owner_kind = OwnerKind::kWindow;
    run.job.refuse_window = true;
    const long created = GetDialogProbe().windows_created.load();
    const long openings = GetDialogProbe().openings.load();
    StartDialogThread(g_report, run);
    CheckEqual(g_report, "result when the window cannot be created", Hex32(run.job.initial),
               Hex32(WaitForResult(g_report, run)));
    CheckEqual(g_report, "owner enabled after the failure", true,
               run.job.owner_enabled_after.load());
    CheckEqual(g_report, "dialog opened", openings + 1, GetDialogProbe().openings.load());
    CheckEqual(g_report, "no window created", created, GetDialogProbe().windows_created.load());
    CheckEqual(g_report, "no window left", std::size_t{0},
               FindTopWindows(GetCurrentProcessId(), "Refused").size());
  }
}

// --- Pixels -----------------------------------------------------------------

std::string DescribeState(const PickerState& p) {
  char text[160];
  std::snprintf(text, sizeof(text),
                "{current %s, stored %s, hue %s, field (%d, %d), hue offset %d, marker row %d}",
                Hex32(p.current).c_str(), Hex32(p.stored).c_str(), Hex32(p.hue).c_str(), p.field_x,
                p.field_y, p.hue_offset, p.marker_row);
  return text;
}

// Clicks at client (x, y), in the dialog and in the model; then both must
// hold the same colour state.
void ClickBoth(const RunningDialog& run, Model& model, int x, int y) {
  ClickClient(run, x, y);
  model.Click(x, y);
  CheckEqual(g_report,
             "state after a click at (" + std::to_string(x) + ", " + std::to_string(y) + ")",
             DescribeState(model.session.ui.picker), DescribeState(Snapshot().picker));
}

void TestPixels(int alpha_flag) {
  BeginSection(g_report, alpha_flag != 0 ? "pixels, alpha" : "pixels");
  RunningDialog run;
  run.job.initial = Rgba(40, 160, 90, 200);
  run.job.descriptor = kStandardDescriptor;
  run.job.alpha_flag = alpha_flag;
  if (!StartDialog(g_report, run)) return;
  Model model(run.job.initial, run.job.descriptor, alpha_flag);
  // Red strip, colour field, hue bar, store, blue strip (alpha strip), then
  // the pointer rests over the lower swatch: its arrow is drawn.
  ClickBoth(run, model, 150, 285);
  ClickBoth(run, model, 200, 100);
  ClickBoth(run, model, 22, 80);
  ClickBoth(run, model, 336, 28);
  ClickBoth(run, model, 250, 327);
  if (alpha_flag != 0) ClickBoth(run, model, 120, 350);
  MoveTo(run, 340, 60);
  model.Move(340, 60);
  WaitForState(g_report, run, "the model's colour and hover", [&](const DialogSnapshot& s) {
    return s.picker.current == model.Current() && s.picker.hover == Hover::kLower;
  });

  const int width = model.session.layout.client.physical.width;
  const int height = ClientSize(run.window).cy;
  const std::vector<ColorValue> expected_canvas =
      CompositeOver(model.session.images.canvas, model.session.background);
  const int canvas_height = model.session.images.canvas.height;
  // Widgets cover the canvas where it is clear; their pixels are theirs.
  std::vector<RECT> widgets;
  for (HWND w : ChildrenInOrder(run.window)) widgets.push_back(RectInClient(w, run.window));
  auto under_widget = [&widgets](int x, int y) {
    for (const RECT& r : widgets) {
      if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    }
    return false;
  };
  const std::vector<std::uint32_t> screen = CaptureClient(run.window, 0, 0, width, height);
  if (!Check(g_report, screen.size() == static_cast<std::size_t>(width) * height,
             "client area captured", std::to_string(width * height) + " pixels",
             std::to_string(screen.size()))) {
    CloseIfOpen(g_report, run);
    return;
  }
  const ColorValue background = model.session.background | 0xFF000000u;
  long compared = 0;
  long differing = 0;
  std::string first;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (under_widget(x, y)) continue;
      // Below the canvas: the window colour between the template fields.
      const ColorValue want =
          y < canvas_height ? expected_canvas[static_cast<std::size_t>(y) * width + x] : background;
      const std::uint32_t got = screen[static_cast<std::size_t>(y) * width + x];
      ++compared;
      if (got != want) {
        if (differing++ == 0) {
          first = " (first at (" + std::to_string(x) + ", " + std::to_string(y) + "): expected " +
                  Hex32(want) + ", got " + Hex32(got) + ")";
        }
      }
    }
  }
  Check(g_report, differing == 0, "client pixels equal the composited canvas" + first,
        "0 of " + std::to_string(compared) + " differing", std::to_string(differing));
  Check(g_report, compared > width * canvas_height / 2, "pixels compared", "most of the canvas",
        std::to_string(compared));
  MoveTo(run, 2, 2);
  CloseExpecting(run, run.job.initial, "close after the pixel check");
  CloseIfOpen(g_report, run);
}

// --- Bursts -----------------------------------------------------------------

// On the dialog's thread while its loop waits: a press in the field, 1000
// moves and a release, all pending before the loop looks again. The handlers
// read the pointer's position (the test left it at (100, 100)), not the
// message's.
void PostBurst(HWND dialog) {
  const LPARAM at = MAKELPARAM(100, 100);
  PostMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, at);
  for (int i = 0; i < 1000; ++i) PostMessageA(dialog, WM_MOUSEMOVE, MK_LBUTTON, at);
  PostMessageA(dialog, WM_LBUTTONUP, 0, at);
}

void TestBursts() {
  BeginSection(g_report, "bursts of pointer moves");
  DialogProbe& probe = GetDialogProbe();
  RunningDialog run;
  run.job.initial = Rgba(200, 100, 50, 255);
  run.job.descriptor = "Burst";
  if (!StartDialog(g_report, run)) return;
  // 1000 moves through SendInput during a field drag, in one call: the
  // system takes them as hardware input and merges the pending ones.
  PressAt(run, 100, 100);
  const long refreshes = probe.refreshes.load();
  const long paints = probe.paints.load();
  std::vector<POINT> path;
  for (int i = 0; i < 1000; ++i) path.push_back(Screen(run, 60 + i % 200, 30 + (i * 7) % 200));
  SendPointerPathOnThreadOf(run.window, path);
  MoveTo(run, 150, 150);
  const long hand_refreshes = probe.refreshes.load() - refreshes;
  const long hand_paints = probe.paints.load() - paints;
  Release(run);
  // Printed, not checked: how many moves each refresh covers depends on the
  // system's merging and the machine's speed.
  std::printf("1000 moves through SendInput: %ld refreshes, %ld paints\n", hand_refreshes,
              hand_paints);
  // All 1000 queued before the loop looks: the canvas is drawn and painted
  // once for them.
  MoveTo(run, 100, 100);
  const long queued_refreshes = probe.refreshes.load();
  const long queued_redraws = probe.canvas_redraws.load();
  const long queued_paints = probe.paints.load();
  const long downs = Snapshot().button_downs;
  RunOnThreadOf(run.window, [&run] { PostBurst(run.window); });
  WaitForState(g_report, run, "the queued burst handled", [&](const DialogSnapshot& s) {
    return s.button_downs > downs && s.button_ups > 0 && s.picker.drag == Drag::kNone &&
           s.picker.field_x == 100 - 44 && s.picker.field_y == 100 - 12;
  });
  const long burst_refreshes = probe.refreshes.load() - queued_refreshes;
  const long burst_redraws = probe.canvas_redraws.load() - queued_redraws;
  const long burst_paints = probe.paints.load() - queued_paints;
  std::printf("1000 queued moves: %ld refreshes, %ld canvas redraws, %ld paints\n", burst_refreshes,
              burst_redraws, burst_paints);
  CheckEqual(g_report, "canvas redraws and paints for 1000 queued moves",
             std::string("1 redraw, 1 paint"),
             std::to_string(burst_redraws) + " redraw, " + std::to_string(burst_paints) + " paint");
  CloseExpecting(run, run.job.initial, "close after the bursts");
  CloseIfOpen(g_report, run);
}

}  // namespace

// --- Display scales ---------------------------------------------------------

// The sections that place, hit and draw, run again by a child of this
// program with the prefix's DPI at 120, 144 and 192: the dialog at 1.25,
// 1.5 and 2 times its size, its presses and drags giving the colours of 96
// DPI, its pixels those of the core at the same scale.
constexpr const char* kScaledSections = "layout strips field hue taps swatches pixels";

void TestScales() {
  for (int dpi : {120, 144, 192}) {
    BeginSection(g_report, "at " + std::to_string(dpi) + " DPI (child run)");
    const int code =
        RunSelfAtDpi(dpi, "--dpi-child " + std::to_string(dpi) + " " + kScaledSections, 600000);
    if (code == -2) {
      std::printf("   not under Wine: the display's scale cannot be changed for one program\n");
      return;
    }
    CheckEqual(g_report, "exit code of the run at " + std::to_string(dpi) + " DPI", 0, code);
  }
}

// In the child: the process sees the prefix's DPI, as the programs do.
bool CheckScale() {
  BeginSection(g_report, "display at " + std::to_string(g_dpi) + " DPI");
  SetThreadPerMonitorDpiAware();
  WindowDc screen(nullptr);
  return CheckEqual(g_report, "the system's DPI", g_dpi,
                    screen.get() != nullptr ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0);
}

// A dialog told that it moved to a monitor of 192 DPI, in the middle of a
// session: twice its size, the same colour and swatches, and presses at the
// new scale giving the colours of 96 DPI.
void TestDpiChange() {
  BeginSection(g_report, "moved to a monitor of another DPI");
  RunningDialog run;
  run.job.initial = Rgba(96, 64, 32, 128);
  run.job.descriptor = kStandardDescriptor;
  run.job.alpha_flag = 1;
  if (!StartDialog(g_report, run)) return;
  ClickClient(run, 336, 28);  // stored: the initial colour
  ClickClient(run, 100, 285);
  WaitForColor(run, Rgba(56, 64, 32, 128), "red 56 before the move");
  RECT frame{};
  GetWindowRect(run.window, &frame);
  const int before = g_dpi;
  g_dpi = 2 * before;
  const PixelRect client = Scaled(0, 0, 372, 424);
  RECT suggested{frame.left, frame.top, frame.left + client.width + 40,
                 frame.top + client.height + 60};
  SendMessageA(run.window, WM_DPICHANGED, MAKEWPARAM(g_dpi, g_dpi),
               reinterpret_cast<LPARAM>(&suggested));
  const SIZE size = ClientSize(run.window);
  CheckEqual(g_report, "client area at twice the DPI", RectText(0, 0, client.width, client.height),
             RectText(0, 0, size.cx, size.cy));
  std::vector<ExpectedWidget> expected = FixedWidgets(1);
  const std::vector<ExpectedWidget> rows = LayoutCases()[1].template_fields;  // standard, alpha
  expected.insert(expected.end(), rows.begin(), rows.end());
  for (ExpectedWidget& w : expected) w.text = nullptr;
  CheckWidgets(run, expected);
  WaitForState(g_report, run, "colour and stored colour kept", [](const DialogSnapshot& s) {
    return s.picker.current == Rgba(56, 64, 32, 128) && s.picker.stored == Rgba(96, 64, 32, 128);
  });
  ClickClient(run, 150, 305);
  WaitForColor(run, Rgba(56, 106, 32, 128), "green 106 at the new scale");
  PressAt(run, 44 + 128, 12 + 64);
  WaitForState(
      g_report, run, "field drag at (128, 64) at the new scale", [](const DialogSnapshot& s) {
        return s.picker.drag == Drag::kField && s.picker.field_x == 128 && s.picker.field_y == 64;
      });
  Release(run);
  ClickClient(run, 336, 60);  // the lower swatch brings the stored colour back
  WaitForColor(run, Rgba(96, 64, 32, 128), "stored colour restored at the new scale");
  ConfirmExpecting(run, Rgba(96, 64, 32, 128), "OK at its new place");
  g_dpi = before;
  CloseIfOpen(g_report, run);
}

int main(int argc, char** argv) {
  if (const int code = RunWithUnmanagedWindowsUnderWine(); code >= 0) return code;
  // Arguments (optional) choose sections by their name: "presets" runs only
  // those, "-pixels" runs all others. A child run at another DPI starts with
  // "--dpi-child DPI".
  const TestSelection selection = ReadTestSelection(argc, argv);
  if (selection.dpi_child != 0) {
    g_dpi = selection.dpi_child;
    if (g_dpi < kBaseDpi || !CheckScale()) return FinishReport(g_report);
  }
  const auto wanted = [&](std::string_view name) { return Wanted(selection, name); };
  if (wanted("layout")) TestLayout();
  if (wanted("ending")) TestEnding();
  if (wanted("strips")) TestChannelStrips();
  if (wanted("field")) TestFieldDrag();
  if (wanted("hue")) TestHueBar();
  if (wanted("taps")) TestTapsAndDragsOut();
  if (wanted("typing")) TestChannelFields();
  if (wanted("presets")) TestPresets();
  if (wanted("swatches")) TestSwatches();
  if (wanted("keys")) TestKeys();
  if (wanted("tab")) TestTabOrder();
  if (wanted("dialogkeys")) TestDialogKeys();
  if (wanted("owner")) TestOwner();
  if (wanted("pixels")) {
    TestPixels(0);
    TestPixels(1);
  }
  if (wanted("bursts")) TestBursts();
  if (wanted("rescale")) TestDpiChange();
  if (g_dpi == kBaseDpi && wanted("scales")) TestScales();
  return FinishReport(g_report);
}
