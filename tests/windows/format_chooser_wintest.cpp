// FormatChooser in the test's own process: the main thread calls it (it
// blocks there, as in the programs) while a second thread finds its window,
// checks it and drives it with real input. The answer is then checked on the
// main thread. What only the owning process can see (the buttons' font, the
// window class being gone afterwards) is checked here; Tintra's end-to-end
// test covers the chooser as the user meets it.
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "colortext/format_chooser.h"
#include "picker/dialog_layout.h"
#include "tests/windows/support/wintest_input.h"
#include "tests/windows/support/wintest_report.h"
#include "tests/windows/support/wintest_wait.h"
#include "tests/windows/support/wintest_windows.h"
#include "tests/windows/support/wintest_wine.h"

namespace tintra::wintest {
namespace {

constexpr char kTitle[] = "Format selection";

// The display's DPI: 96, or in a child run with the prefix's DPI changed,
// that DPI; the 96-DPI geometry below is scaled by the dialog's rounding.
int g_dpi = kBaseDpi;

PixelRect Scaled(int x, int y, int width, int height) {
  return ToPhysical(PixelRect{x, y, width, height}, g_dpi);
}

HWND WaitForChooser() {
  return WaitForOwnWindow(kTitle, kDefaultTimeoutMs);
}

bool WaitForeground(HWND window) {
  return WaitUntil([&] { return GetForegroundWindow() == window; });
}

// Geometry, style, texts and font of the English chooser.
void CheckWindow(TestReport& report, HWND chooser, int alpha_flag) {
  const SIZE client = ClientSize(chooser);
  CheckEqual(report, "client size", RectText(Scaled(0, 0, 200, alpha_flag ? 104 : 80)),
             RectText(0, 0, client.cx, client.cy));
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(chooser, GWL_STYLE));
  CheckEqual(
      report, "caption, system menu, visible", true,
      (style & (WS_CAPTION | WS_SYSMENU | WS_VISIBLE)) == (WS_CAPTION | WS_SYSMENU | WS_VISIBLE));
  CheckEqual(report, "no sizing border, minimise or maximise box", 0ul,
             static_cast<unsigned long>(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)));
  CheckEqual(report, "top-level without owner", true,
             GetParent(chooser) == nullptr && GetWindow(chooser, GW_OWNER) == nullptr);

  struct Button {
    int id;
    int top;
    const char* text;
  };
  const std::vector<Button> expected = alpha_flag
                                           ? std::vector<Button>{{1, 4, "Copy color in RGB"},
                                                                 {2, 28, "Copy color in RGBA"},
                                                                 {3, 52, "Copy color in HEX"},
                                                                 {4, 76, "Copy color in decimal"}}
                                           : std::vector<Button>{{1, 4, "Copy color in RGB"},
                                                                 {3, 28, "Copy color in HEX"},
                                                                 {4, 52, "Copy color in decimal"}};
  const std::vector<HWND> children = ChildrenInOrder(chooser);
  if (!CheckEqual(report, "button count", expected.size(), children.size())) return;
  const auto gui_font = reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Button& b = expected[i];
    HWND button = children[i];  // creation order: top to bottom
    const std::string name = "button " + std::to_string(i + 1);
    CheckEqual(report, name + " id", b.id, GetDlgCtrlID(button));
    const RECT r = RectInClient(button, chooser);
    CheckEqual(report, name + " rectangle", RectText(Scaled(4, b.top, 192, 24)), RectText(r));
    CheckEqual(report, name + " text", std::string(b.text), WindowText(button));
    const auto button_style = static_cast<DWORD>(GetWindowLongPtrA(button, GWL_STYLE));
    CheckEqual(report, name + " visible tab stop", true,
               (button_style & (WS_VISIBLE | WS_TABSTOP)) == (WS_VISIBLE | WS_TABSTOP));
    CheckEqual(report, name + " font is DEFAULT_GUI_FONT", static_cast<long long>(gui_font),
               static_cast<long long>(SendMessageA(button, WM_GETFONT, 0, 0)));
  }
}

struct Case {
  const char* name;
  int alpha_flag;
  bool check_window;
  std::function<void(TestReport&, HWND)> act;  // runs on the driving thread
  int expected;                                // FormatChooser's answer
};

const Case kCases[] = {
    // Without alpha: three buttons; each press gives its format code.
    {"alpha 0, RGB", 0, true, [](TestReport&, HWND w) { PressChooserButton(w, 1); }, 1},
    {"alpha 0, HEX", 0, false, [](TestReport&, HWND w) { PressChooserButton(w, 3); }, 3},
    {"alpha 0, decimal", 0, false, [](TestReport&, HWND w) { PressChooserButton(w, 4); }, 4},
    // With alpha: the RGBA button too; any non-zero flag counts as 1.
    {"alpha 1, RGBA", 1, true, [](TestReport&, HWND w) { PressChooserButton(w, 2); }, 2},
    {"alpha 2, RGBA", 2, true, [](TestReport&, HWND w) { PressChooserButton(w, 2); }, 2},
    // Close requests give 0: Alt+F4, and the close box's system command.
    {"Alt+F4", 1, false,
     [](TestReport& report, HWND w) {
       if (Check(report, WaitForeground(w), "chooser in front", "foreground", "not"))
         PressKeyWith(VK_MENU, VK_F4);
       else
         PostMessageA(w, WM_CLOSE, 0, 0);  // end the case anyway
     },
     0},
    {"close box (SC_CLOSE)", 0, false,
     [](TestReport&, HWND w) { PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); }, 0},
    // Enter and Escape choose nothing (they are not IDOK = 1 and IDCANCEL =
    // 2 here), neither on the window nor on a focused button; then HEX.
    {"Enter and Escape ignored", 1, false,
     [](TestReport& report, HWND w) {
       if (!Check(report, WaitForeground(w), "chooser in front", "foreground", "not")) {
         PostMessageA(w, WM_CLOSE, 0, 0);
         return;
       }
       PressKey(VK_RETURN);
       PressKey(VK_ESCAPE);
       PressKey(VK_TAB);  // focus to the first button
       PressKey(VK_RETURN);
       PressKey(VK_ESCAPE);
       PressChooserButton(w, 3);
     },
     3},
    // Tab moves to the buttons and Space presses the focused one.
    {"Tab, Tab, Space", 1, false,
     [](TestReport& report, HWND w) {
       if (!Check(report, WaitForeground(w), "chooser in front", "foreground", "not")) {
         PostMessageA(w, WM_CLOSE, 0, 0);
         return;
       }
       PressKey(VK_TAB);
       PressKey(VK_TAB);
       PressKey(VK_SPACE);
     },
     2},
};

void RunCase(TestReport& report, const Case& c) {
  BeginSection(report, c.name);
  std::thread driver([&] {
    if (g_dpi != kBaseDpi) SetThreadPerMonitorDpiAware();
    HWND chooser = WaitForChooser();
    if (!Check(report, chooser != nullptr, "chooser window", "shown", "none")) return;
    if (c.check_window) CheckWindow(report, chooser, c.alpha_flag);
    c.act(report, chooser);
  });
  const int answer = FormatChooser(kEnglishChooserTexts, c.alpha_flag);
  driver.join();
  CheckEqual(report, "answer", c.expected, answer);
  CheckEqual(report, "window gone after the call", true,
             FindTopWindows(GetCurrentProcessId(), kTitle).empty());
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  CheckEqual(report, "window class gone after the call", false,
             GetClassInfoExA(GetModuleHandleA(nullptr), kFormatChooserClass, &wc) != FALSE);
}

// --- The list chooser ---------------------------------------------------------

const char* const kNotationLabels[] = {
    "#ff8000",          "rgb(255, 128, 0)", "hsl(30, 100%, 50%)",  "0xFF8000",
    "RGB(255, 128, 0)", "$0080FF",          "vec3(1.0, 0.5, 0.0)", "33023"};

ChooserList NotationList(const char* title) {
  ChooserList list;
  list.title = title;
  list.labels.assign(std::begin(kNotationLabels), std::end(kNotationLabels));
  return list;
}

// Width of a button's own text in its own font (physical pixels).
int ButtonTextWidth(HWND button) {
  const std::string text = WindowText(button);
  HDC dc = GetDC(button);
  if (dc == nullptr) return -1;
  const HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(button, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(button, dc);
  return size.cx;
}

// Buttons top to bottom, each showing its label whole; always on top; the
// title's own width inside the window; centred on the screen.
void CheckListWindow(TestReport& report, HWND chooser, const ChooserList& list) {
  CheckEqual(report, "window class", std::string(kListChooserClass), ClassName(chooser));
  CheckEqual(report, "title", list.title, WindowText(chooser));
  const auto ex_style = static_cast<DWORD>(GetWindowLongPtrA(chooser, GWL_EXSTYLE));
  CheckEqual(report, "always on top", true, (ex_style & WS_EX_TOPMOST) != 0);
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(chooser, GWL_STYLE));
  CheckEqual(report, "no sizing border, minimise or maximise box", 0ul,
             static_cast<unsigned long>(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)));
  const std::vector<HWND> buttons = ChildrenInOrder(chooser);
  if (!CheckEqual(report, "button count", list.labels.size(), buttons.size())) return;
  const SIZE client = ClientSize(chooser);
  const int margin = ToPhysical(4, g_dpi);
  const int padding = ToPhysical(kListLabelPadding, g_dpi);
  CheckEqual(report, "client height", ToPhysical(8 + 24 * static_cast<int>(buttons.size()), g_dpi),
             static_cast<int>(client.cy));
  int top = margin;
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    const std::string name = "button " + std::to_string(i + 1);
    CheckEqual(report, name + " text", list.labels[i], WindowText(buttons[i]));
    const RECT r = RectInClient(buttons[i], chooser);
    CheckEqual(report, name + " left and top", RectText(margin, top, 0, 0),
               RectText(r.left, r.top, 0, 0));
    CheckEqual(report, name + " spans the column", client.cx - 2 * margin,
               static_cast<int>(r.right - r.left));
    const int text = ButtonTextWidth(buttons[i]);
    Check(report, text > 0 && text + 2 * padding <= r.right - r.left, name + " label fits",
          "text + 2 x " + std::to_string(padding) + " <= " + std::to_string(r.right - r.left),
          std::to_string(text));
    top = r.bottom;
  }
  RECT frame{};
  GetWindowRect(chooser, &frame);
  const int screen_width = GetSystemMetrics(SM_CXSCREEN);
  CheckEqual(report, "centred across the screen", (screen_width - (frame.right - frame.left)) / 2,
             static_cast<int>(frame.left));
}

struct ListCase {
  const char* name;
  const char* title;
  bool check_window;
  std::function<void(TestReport&, HWND)> act;  // runs on the driving thread
  int expected;                                // ChooseFromList's answer
};

bool InFront(TestReport& report, HWND w) {
  if (Check(report, WaitForeground(w), "chooser in front", "foreground", "not")) return true;
  PostMessageA(w, WM_CLOSE, 0, 0);  // end the case anyway
  return false;
}

const ListCase kListCases[] = {
    // Down, Down, Enter: the third label.
    {"Down, Down, Enter", "Choose a notation", true,
     [](TestReport& report, HWND w) {
       if (!InFront(report, w)) return;
       PressKey(VK_DOWN);
       PressKey(VK_DOWN);
       PressKey(VK_RETURN);
     },
     3},
    // Escape chooses nothing, also after moving.
    {"Escape", "Choisir une notation", true,
     [](TestReport& report, HWND w) {
       if (!InFront(report, w)) return;
       PressKey(VK_DOWN);
       PressKey(VK_ESCAPE);
     },
     0},
    // Up wraps to the last; Tab and Shift+Tab move as Down and Up.
    {"Up, Tab, Shift+Tab, Shift+Tab, Enter", "Choose a notation", false,
     [](TestReport& report, HWND w) {
       if (!InFront(report, w)) return;
       PressKey(VK_UP);
       PressKey(VK_TAB);
       PressKeyWith(VK_SHIFT, VK_TAB);
       PressKeyWith(VK_SHIFT, VK_TAB);
       PressKey(VK_RETURN);
     },
     7},
    // Space presses the focused button, as on any push button.
    {"Down, Space", "Choose a notation", false,
     [](TestReport& report, HWND w) {
       if (!InFront(report, w)) return;
       PressKey(VK_DOWN);
       PressKey(VK_SPACE);
     },
     2},
    // A click on the sixth button.
    {"click", "Choose a notation", false, [](TestReport&, HWND w) { PressChooserButton(w, 6); }, 6},
    // The close box's system command: nothing.
    {"close box (SC_CLOSE)", "Choose a notation", false,
     [](TestReport&, HWND w) { PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); }, 0},
};

void RunListCase(TestReport& report, const ListCase& c) {
  BeginSection(report, std::string("list: ") + c.name);
  const ChooserList list = NotationList(c.title);
  std::thread driver([&] {
    if (g_dpi != kBaseDpi) SetThreadPerMonitorDpiAware();
    HWND chooser = WaitForOwnWindow(c.title, kDefaultTimeoutMs);
    if (!Check(report, chooser != nullptr, "chooser window", "shown", "none")) return;
    if (c.check_window) CheckListWindow(report, chooser, list);
    c.act(report, chooser);
  });
  const int answer = ChooseFromList(list);
  driver.join();
  CheckEqual(report, "answer", c.expected, answer);
  CheckEqual(report, "window gone after the call", true,
             FindTopWindows(GetCurrentProcessId(), c.title).empty());
}

// A title far wider than the labels: the window grows to show it.
void RunLongTitle(TestReport& report) {
  BeginSection(report, "list: long title");
  ChooserList list;
  list.title = "A title much longer than any of the labels below it, to be shown whole";
  list.labels = {"#fff", "R&B"};
  std::thread driver([&] {
    HWND chooser = WaitForOwnWindow(list.title, kDefaultTimeoutMs);
    if (!Check(report, chooser != nullptr, "chooser window", "shown", "none")) return;
    // The title's text in the caption font the system draws it with.
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HFONT caption = CreateFontIndirectA(&metrics.lfCaptionFont);
    HDC dc = GetDC(chooser);
    const HGDIOBJ old = SelectObject(dc, caption);
    SIZE title{};
    GetTextExtentPoint32A(dc, list.title.c_str(), static_cast<int>(list.title.size()), &title);
    SelectObject(dc, old);
    ReleaseDC(chooser, dc);
    DeleteObject(caption);
    Check(report, ClientSize(chooser).cx > title.cx, "client wider than the title's text",
          "> " + std::to_string(title.cx), std::to_string(ClientSize(chooser).cx));
    const std::vector<HWND> buttons = ChildrenInOrder(chooser);
    // "&" is shown as written (doubled for the button).
    if (CheckEqual(report, "buttons", 2u, buttons.size())) {
      CheckEqual(report, "ampersand label", std::string("R&&B"), WindowText(buttons[1]));
    }
    PressChooserButton(chooser, 2);
  });
  const int answer = ChooseFromList(list);
  driver.join();
  CheckEqual(report, "answer", 2, answer);
  // No labels: no window, no choice.
  CheckEqual(report, "empty list", 0, ChooseFromList(ChooserList{"Empty", {}}));
}

LRESULT CALLBACK RefuseCreation(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) return FALSE;
  return DefWindowProcA(window, message, wparam, lparam);
}

// A window that cannot be created gives 0 at once. The class name is taken
// first by a class whose windows refuse to be created.
void RunCreationFailure(TestReport& report) {
  BeginSection(report, "window cannot be created");
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = RefuseCreation;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kFormatChooserClass;
  if (!Check(report, RegisterClassExA(&wc) != 0, "refusing class", "registered", "failed")) return;
  const double start = NowMs();
  const int answer = FormatChooser(kEnglishChooserTexts, 1);
  CheckEqual(report, "answer", 0, answer);
  CheckEqual(report, "returned without waiting", true, NowMs() - start < kDefaultTimeoutMs);
  UnregisterClassA(kFormatChooserClass, GetModuleHandleA(nullptr));
}

// Every case again in a child run with the prefix's DPI at 144 and at 192:
// the buttons at their scaled places, and pressed there.
void RunScaled(TestReport& report) {
  for (int dpi : {144, 192}) {
    BeginSection(report, "at " + std::to_string(dpi) + " DPI (child run)");
    const int code = RunSelfAtDpi(dpi, "--dpi-child " + std::to_string(dpi), 300000);
    if (code == -2) return;  // not under Wine
    CheckEqual(report, "exit code of the run at " + std::to_string(dpi) + " DPI", 0, code);
  }
}

}  // namespace
}  // namespace tintra::wintest

int main(int argc, char** argv) {
  using namespace tintra::wintest;
  TestReport report;
  const TestSelection selection = ReadTestSelection(argc, argv);
  const bool child = selection.dpi_child != 0;
  if (child) {
    g_dpi = selection.dpi_child;
    SetThreadPerMonitorDpiAware();
  }
  for (const Case& c : kCases) RunCase(report, c);
  for (const ListCase& c : kListCases) RunListCase(report, c);
  if (child) return FinishReport(report);
  RunLongTitle(report);
  RunCreationFailure(report);
  RunScaled(report);
  return FinishReport(report);
}
