// Tintra.exe from end to end, as a user runs it: a text on the real
// clipboard, the program started as a process of its own, its dialog and
// format chooser driven with real pointer and keyboard input, and the
// clipboard read once the program has ended.
//
// The test keeps a small window of its own open the whole time: Wine bridges
// its clipboard to X only while some Wine program has a window.
//
//   standalone_wintest [--soak RUNS] [NAME]
// NAME runs only the cases whose name contains it; the soak, many runs in a
// row, is the case "soak" (200 runs by default, CI runs fewer).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/windows/support/wintest_dialog.h"
#include "tests/windows/support/wintest_input.h"
#include "tests/windows/support/wintest_report.h"
#include "tests/windows/support/wintest_usage.h"
#include "tests/windows/support/wintest_wait.h"
#include "tests/windows/support/wintest_windows.h"

namespace tintra::wintest {
namespace {

constexpr char kDialogTitle[] = "S\xE9lection de couleur";
constexpr char kChooserTitle[] = "Choix du format";
constexpr int kExitTimeoutMs = 15000;

HWND g_keeper = nullptr;  // the test's own window, also its clipboard owner

// ---------------------------------------------------------------------------
// The test's side of the clipboard.

bool OpenOwnClipboard() {
  return WaitUntil([] { return OpenClipboard(g_keeper) != FALSE; }, 5000);
}

bool PutClipboardText(std::string_view text) {
  if (!OpenOwnClipboard()) return false;
  bool ok = EmptyClipboard() != FALSE;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (ok && block != nullptr) {
    char* data = static_cast<char*>(GlobalLock(block));
    text.copy(data, text.size());
    data[text.size()] = '\0';
    GlobalUnlock(block);
    ok = SetClipboardData(CF_TEXT, block) != nullptr;
    if (!ok) GlobalFree(block);
  } else {
    ok = false;
    if (block != nullptr) GlobalFree(block);
  }
  CloseClipboard();
  return ok;
}

// An 8 x 8 image and nothing else.
bool PutClipboardBitmap() {
  if (!OpenOwnClipboard()) return false;
  bool ok = EmptyClipboard() != FALSE;
  HBITMAP bitmap = CreateBitmap(8, 8, 1, 32, nullptr);
  ok = ok && bitmap != nullptr && SetClipboardData(CF_BITMAP, bitmap) != nullptr;
  if (!ok && bitmap != nullptr) DeleteObject(bitmap);
  CloseClipboard();
  return ok;
}

bool EmptyTheClipboard() {
  if (!OpenOwnClipboard()) return false;
  const bool ok = EmptyClipboard() != FALSE;
  CloseClipboard();
  return ok;
}

// The CF_TEXT on the clipboard, or nothing when it holds no text.
std::optional<std::string> ClipboardText() {
  if (!OpenOwnClipboard()) return std::string("<clipboard busy>");
  std::optional<std::string> text;
  if (HANDLE handle = GetClipboardData(CF_TEXT)) {
    const SIZE_T size = GlobalSize(handle);
    if (const char* data = static_cast<const char*>(GlobalLock(handle))) {
      std::size_t length = 0;
      while (length < size && data[length] != '\0') ++length;
      text = std::string(data, length);
      GlobalUnlock(handle);
    }
  }
  CloseClipboard();
  return text;
}

std::string Shown(const std::optional<std::string>& text) {
  return text ? "\"" + *text + "\"" : std::string("no text");
}

// ---------------------------------------------------------------------------
// Windows of the program under test.

HWND FocusOfThread(DWORD thread_id) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(thread_id, &info) ? info.hwndFocus : nullptr;
}

void ClickClient(HWND window, POINT client) {
  ClickAt(ClientPointOnScreen(window, client.x, client.y));
}

// One run of Tintra.exe; ended by its handle if a check left it running.
struct TintraRun {
  StartedProcess process;
  HWND dialog = nullptr;
  ~TintraRun() { process.End(); }
};

// Starts Tintra and waits until its dialog shows the colour (the channel
// fields are empty until the dialog's first refresh).
bool StartTintra(TestReport& report, TintraRun& run) {
  if (!StartProgram("Tintra.exe", "", run.process)) {
    Check(report, false, "start Tintra.exe", "started", "CreateProcess failed");
    return false;
  }
  run.dialog = WaitForTopWindow(run.process.info.dwProcessId, kDialogTitle, kDefaultTimeoutMs);
  if (!Check(report, run.dialog != nullptr, "dialog window",
             "a window titled S\\xE9lection de couleur", "none"))
    return false;
  const bool ready = WaitUntil([&] {
    const std::string red = ControlText(ChildAt(run.dialog, kRedField));
    return !red.empty() && red != "<no control>";
  });
  return Check(report, ready, "dialog filled", "red field showing a value",
               ControlText(ChildAt(run.dialog, kRedField)));
}

// Waits for the process with this thread's messages handled meanwhile: the
// program sends to the test's window (EmptyClipboard tells the previous
// clipboard owner) and would stall on a test that does not answer.
bool WaitForProcessEnd(const StartedProcess& process, int timeout_ms) {
  return WaitUntil([&] { return process.WaitForExit(0); }, timeout_ms);
}

bool FinishRun(TestReport& report, TintraRun& run) {
  const bool ended = WaitForProcessEnd(run.process, kExitTimeoutMs);
  if (!Check(report, ended, "Tintra ended", "exited", "still running")) return false;
  return CheckEqual(report, "exit code", 0ul, static_cast<unsigned long>(run.process.ExitCode()));
}

// ---------------------------------------------------------------------------
// The format chooser.

// Geometry and texts of the chooser for the alpha flag.
void CheckChooserWindow(TestReport& report, HWND chooser, int alpha_flag) {
  const SIZE client = ClientSize(chooser);
  CheckEqual(report, "chooser client width", 200L, static_cast<long>(client.cx));
  CheckEqual(report, "chooser client height", alpha_flag ? 104L : 80L,
             static_cast<long>(client.cy));

  const auto style = static_cast<DWORD>(GetWindowLongPtrA(chooser, GWL_STYLE));
  CheckEqual(report, "chooser caption and system menu", true,
             (style & (WS_CAPTION | WS_SYSMENU)) == (WS_CAPTION | WS_SYSMENU));
  CheckEqual(report, "chooser not resizable, no minimise or maximise box", 0ul,
             static_cast<unsigned long>(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)));
  CheckEqual(report, "chooser has no owner", static_cast<HWND>(nullptr),
             GetWindow(chooser, GW_OWNER));

  RECT outer{};
  GetWindowRect(chooser, &outer);
  const int screen_w = GetSystemMetrics(SM_CXSCREEN);
  const int screen_h = GetSystemMetrics(SM_CYSCREEN);
  CheckEqual(report, "chooser left edge", (screen_w - (outer.right - outer.left)) / 2,
             static_cast<int>(outer.left));
  CheckEqual(report, "chooser top edge", (screen_h - (outer.bottom - outer.top)) / 2,
             static_cast<int>(outer.top));

  struct Button {
    int id;
    int top;
    const char* text;
  };
  const std::vector<Button> buttons =
      alpha_flag ? std::vector<Button>{{1, 4, "Copier la couleur au format RGB"},
                                       {2, 28, "Copier la couleur au format RGBA"},
                                       {3, 52, "Copier la couleur au format HEX"},
                                       {4, 76,
                                        "Copier la couleur au format d\xE9"
                                        "cimal"}}
                 : std::vector<Button>{{1, 4, "Copier la couleur au format RGB"},
                                       {3, 28, "Copier la couleur au format HEX"},
                                       {4, 52,
                                        "Copier la couleur au format d\xE9"
                                        "cimal"}};
  const std::vector<HWND> children = ChildrenInOrder(chooser);
  CheckEqual(report, "chooser button count", buttons.size(), children.size());
  for (const Button& b : buttons) {
    const std::string name = "button " + std::to_string(b.id);
    HWND button = GetDlgItem(chooser, b.id);
    if (!Check(report, button != nullptr, name, "present", "missing")) continue;
    const RECT r = RectInClient(button, chooser);
    CheckEqual(report, name + " rectangle", RectText(4, b.top, 192, 24), RectText(r));
    CheckEqual(report, name + " text", std::string(b.text), WindowText(button));
    CheckEqual(report, name + " class", std::string("Button"), ClassName(button));
  }
  if (!alpha_flag) {
    CheckEqual(report, "no RGBA button without alpha", static_cast<HWND>(nullptr),
               GetDlgItem(chooser, 2));
  }
}

// Alt+F4 to the chooser once it has the keyboard focus: a close request.
bool CloseChooser(TestReport& report, HWND chooser) {
  const bool active = WaitUntil([&] { return GetForegroundWindow() == chooser; });
  if (!Check(report, active, "chooser active before Alt+F4", "foreground", "not foreground"))
    return false;
  PressKeyWith(VK_MENU, VK_F4);
  return true;
}

// ---------------------------------------------------------------------------
// The cases.

enum class Start { kText, kEmpty, kBitmap };
constexpr int kNoChooser = -1;  // the program must end without asking
constexpr int kCloseChooser = 0;

struct FlowCase {
  const char* name;
  Start start;
  const char* clipboard;     // kText only
  int alpha_flag;            // expected in the dialog and the chooser
  const char* dialog_color;  // DialogColor() when the dialog opens
  int chooser;               // kNoChooser, kCloseChooser or a button 1..4
  const char* expected;      // CF_TEXT at the end; nullptr: no text
  bool bitmap_kept;          // the image is still on the clipboard
};

const FlowCase kFlows[] = {
    // Spaces trimmed, RGB notation, normalised on the way out.
    {"spaces around rgb(", Start::kText, "  rgb(1,2,3)  ", 0, "1 2 3 | $030201 | RGB(1, 2, 3)",
     kNoChooser, "RGB(1, 2, 3)", false},
    // Hexadecimal in lower case comes back in upper case, 6 digits.
    {"$ff8000", Start::kText, "$ff8000", 0, "0 128 255 | $FF8000 | RGB(0, 128, 255)", kNoChooser,
     "$FF8000", false},
    // 8 digits: alpha flag, and 8 digits back.
    {"$80FF8000", Start::kText, "$80FF8000", 1,
     "0 128 255 128 | $80FF8000 | RGBA(0, 128, 255, 128)", kNoChooser, "$80FF8000", false},
    // RGBA notation keeps its alpha.
    {"RGBA(", Start::kText, "RGBA(10,20,30,40)", 1,
     "10 20 30 40 | $281E140A | RGBA(10, 20, 30, 40)", kNoChooser, "RGBA(10, 20, 30, 40)", false},
    // What follows ")" is ignored: a copied line with its line break.
    {"RGB( with a line break", Start::kText, "RGB(1,2,3)\r\n", 0, "1 2 3 | $030201 | RGB(1, 2, 3)",
     kNoChooser, "RGB(1, 2, 3)", false},
    // A line break spoils the hexadecimal notation: opaque black, chooser.
    {"$FF8000 with a line break", Start::kText, "$FF8000\r\n", 1,
     "0 0 0 255 | $FF000000 | RGBA(0, 0, 0, 255)", 3, "$FF000000", false},
    // A leading tab is not trimmed: not RGB notation.
    {"tab before RGB(", Start::kText, "\tRGB(1,2,3)", 1,
     "0 0 0 255 | $FF000000 | RGBA(0, 0, 0, 255)", 1, "RGB(0, 0, 0)", false},
    // Decimal always asks; the decimal button gives it back.
    {"255, decimal button", Start::kText, "255", 0, "255 0 0 | $0000FF | RGB(255, 0, 0)", 4, "255",
     false},
    // ... and the HEX button writes 6 digits (no alpha).
    {"255, HEX button", Start::kText, "255", 0, "255 0 0 | $0000FF | RGB(255, 0, 0)", 3, "$0000FF",
     false},
    // ... and closing the chooser leaves the clipboard as it was.
    {"255, chooser closed", Start::kText, "255", 0, "255 0 0 | $0000FF | RGB(255, 0, 0)",
     kCloseChooser, "255", false},
    // Empty clipboard: opaque black with alpha; the RGBA button is offered.
    {"empty clipboard, RGBA button", Start::kEmpty, nullptr, 1,
     "0 0 0 255 | $FF000000 | RGBA(0, 0, 0, 255)", 2, "RGBA(0, 0, 0, 255)", false},
    // Empty clipboard, chooser closed: still empty.
    {"empty clipboard, chooser closed", Start::kEmpty, nullptr, 1,
     "0 0 0 255 | $FF000000 | RGBA(0, 0, 0, 255)", kCloseChooser, nullptr, false},
    // An image is no text: opaque black; closing the chooser keeps the image.
    {"image, chooser closed", Start::kBitmap, nullptr, 1,
     "0 0 0 255 | $FF000000 | RGBA(0, 0, 0, 255)", kCloseChooser, nullptr, true},
    // An image, then a choice: the text replaces the image.
    {"image, decimal button", Start::kBitmap, nullptr, 1,
     "0 0 0 255 | $FF000000 | RGBA(0, 0, 0, 255)", 4, "-16777216", false},
};

bool PrepareClipboard(TestReport& report, Start start, const char* text) {
  bool ok = false;
  switch (start) {
    case Start::kText:
      ok = PutClipboardText(text);
      break;
    case Start::kEmpty:
      ok = EmptyTheClipboard();
      break;
    case Start::kBitmap:
      ok = PutClipboardBitmap();
      break;
  }
  return Check(report, ok, "clipboard prepared", "done", "failed");
}

void RunFlow(TestReport& report, const FlowCase& c) {
  BeginSection(report, c.name);
  if (!PrepareClipboard(report, c.start, c.clipboard)) return;
  TintraRun run;
  if (!StartTintra(report, run)) return;
  WaitUntil([&] { return DialogColor(run.dialog, c.alpha_flag) == c.dialog_color; });
  CheckEqual(report, "dialog colour", std::string(c.dialog_color),
             DialogColor(run.dialog, c.alpha_flag));
  ClickClient(run.dialog, kOkCentre);

  if (c.chooser != kNoChooser) {
    HWND chooser = WaitForTopWindow(run.process.info.dwProcessId, kChooserTitle, kDefaultTimeoutMs);
    if (!Check(report, chooser != nullptr, "chooser window", "a window titled Choix du format",
               "none"))
      return;
    CheckEqual(report, "dialog gone when the chooser shows", false, IsWindow(run.dialog) != FALSE);
    CheckChooserWindow(report, chooser, c.alpha_flag);
    if (c.chooser == kCloseChooser) {
      if (!CloseChooser(report, chooser)) return;
    } else {
      PressChooserButton(chooser, c.chooser);
    }
  }
  if (!FinishRun(report, run)) return;

  const std::optional<std::string> expected =
      c.expected ? std::optional<std::string>(c.expected) : std::nullopt;
  const std::optional<std::string> got = ClipboardText();
  CheckEqual(report, "clipboard text", Shown(expected), Shown(got));
  CheckEqual(report, "image on the clipboard", c.bitmap_kept,
             IsClipboardFormatAvailable(CF_BITMAP) != FALSE);
}

// The red field typed over: the typed value comes back on the clipboard.
void RunTypedRed(TestReport& report) {
  BeginSection(report, "red typed into the dialog");
  if (!PrepareClipboard(report, Start::kText, "RGB(1,2,3)")) return;
  TintraRun run;
  if (!StartTintra(report, run)) return;
  HWND red = ChildAt(run.dialog, kRedField);
  ClickClient(run.dialog, {kRedField.x + 16, kRedField.y + 10});
  const DWORD thread = GetWindowThreadProcessId(run.dialog, nullptr);
  if (!Check(report, WaitUntil([&] { return FocusOfThread(thread) == red; }), "red field focus",
             "focused", "not focused"))
    return;
  PressKey(VK_END);
  PressKey(VK_BACK);  // the field held "1"
  TypeText("200");
  const bool shown =
      WaitUntil([&] { return DialogColor(run.dialog, 0) == "200 2 3 | $0302C8 | RGB(200, 2, 3)"; });
  CheckEqual(report, "dialog after typing", std::string("200 2 3 | $0302C8 | RGB(200, 2, 3)"),
             DialogColor(run.dialog, 0));
  if (!shown) return;
  ClickClient(run.dialog, kOkCentre);
  if (!FinishRun(report, run)) return;
  CheckEqual(report, "clipboard text", Shown(std::string("RGB(200, 2, 3)")),
             Shown(ClipboardText()));
}

// Another program holds the clipboard when Tintra writes its result.
// `hold_ms` counts from the moment the dialog window is gone; Tintra tries
// for about half a second.
void RunHeldClipboard(TestReport& report, int hold_ms, const char* expected) {
  BeginSection(report, std::string("clipboard held ") + std::to_string(hold_ms) + " ms at the end");
  if (!PrepareClipboard(report, Start::kText, "$ff8000")) return;
  TintraRun run;
  if (!StartTintra(report, run)) return;
  StartedProcess holder;
  const std::string arguments =
      std::to_string(hold_ms) + " " +
      std::to_string(static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(run.dialog)));
  if (!Check(report, StartProgram("clipboard_holder_tool.exe", arguments, holder),
             "start the holder", "started", "CreateProcess failed"))
    return;
  const auto held_by_holder = [&] {
    DWORD pid = 0;
    HWND open = GetOpenClipboardWindow();
    if (open != nullptr) GetWindowThreadProcessId(open, &pid);
    return pid == holder.info.dwProcessId;
  };
  if (!Check(report, WaitUntil(held_by_holder), "clipboard held", "held by the holder",
             "not held")) {
    holder.End();
    return;
  }
  ClickClient(run.dialog, kOkCentre);
  if (!FinishRun(report, run)) {
    holder.End();
    return;
  }
  // Tintra gives up on a long hold well before it ends (a short one it
  // outlasts: the holder held from before the click to 300 ms after the
  // dialog was gone, so the result on the clipboard proves the retries).
  if (hold_ms >= 2000) {
    CheckEqual(report, "clipboard still held when Tintra ended", true, held_by_holder());
  }
  CheckEqual(report, "holder ended", true, WaitForProcessEnd(holder, hold_ms + kExitTimeoutMs));
  CheckEqual(report, "holder exit code", 0ul, static_cast<unsigned long>(holder.ExitCode()));
  CheckEqual(report, "clipboard text", Shown(std::string(expected)), Shown(ClipboardText()));
}

// ---------------------------------------------------------------------------
// Many runs in a row.

// The input of soak run `i` and the text Tintra must write back for it: RGB
// and hexadecimal notation in turn, written so that the result differs from
// the input (spaces, letter case) and from the run before (the colour).
struct SoakRun {
  std::string input;
  std::string expected;
  std::string dialog_color;  // DialogColor() with the colour read
};

SoakRun SoakRunFor(int i) {
  const int r = i % 256;
  const int g = (i * 7 + 3) % 256;
  const int b = 255 - r;
  char hex[8];
  std::snprintf(hex, sizeof hex, "%02X%02X%02X", b, g, r);
  const std::string rgb =
      "RGB(" + std::to_string(r) + ", " + std::to_string(g) + ", " + std::to_string(b) + ")";
  SoakRun run;
  run.dialog_color = std::to_string(r) + " " + std::to_string(g) + " " + std::to_string(b) +
                     " | $" + hex + " | " + rgb;
  if (i % 2 == 0) {
    run.input =
        "rgb(" + std::to_string(r) + "," + std::to_string(g) + "," + std::to_string(b) + ")";
    run.expected = rgb;
  } else {
    char lower[8];
    std::snprintf(lower, sizeof lower, "%02x%02x%02x", b, g, r);
    run.input = std::string("$") + lower;
    run.expected = std::string("$") + hex;
  }
  return run;
}

// One soak run: clipboard in, OK, clipboard out. True when every check held.
bool RunSoakOnce(TestReport& report, int i) {
  const SoakRun soak = SoakRunFor(i);
  const int failed_before = report.failed;
  if (!PrepareClipboard(report, Start::kText, soak.input.c_str())) return false;
  TintraRun run;
  if (!StartTintra(report, run)) return false;
  WaitUntil([&] { return DialogColor(run.dialog, 0) == soak.dialog_color; });
  if (!CheckEqual(report, "run " + std::to_string(i) + ": dialog colour", soak.dialog_color,
                  DialogColor(run.dialog, 0)))
    return false;
  ClickClient(run.dialog, kOkCentre);
  if (!FinishRun(report, run)) return false;
  CheckEqual(report, "run " + std::to_string(i) + ": clipboard text", Shown(soak.expected),
             Shown(ClipboardText()));
  return report.failed == failed_before;
}

struct UsageSample {
  int runs;  // done when sampled
  ProcessUsage usage;
  unsigned handle_slot;
  int windows;
};

void PrintUsage(const UsageSample& s) {
  std::printf(
      "   after %d runs: private %s, handles %lu, lowest free handle slot %u,"
      " GDI objects %lu, USER objects %lu, windows %d\n",
      s.runs, MiBText(s.usage.private_bytes).c_str(), static_cast<unsigned long>(s.usage.handles),
      s.handle_slot, static_cast<unsigned long>(s.usage.gdi_objects),
      static_cast<unsigned long>(s.usage.user_objects), s.windows);
  std::fflush(stdout);
}

// Each run's result and exit code are checked; what the test itself holds
// (kernel handles for the processes, GDI and USER objects for the clipboard
// and the windows it reads, its own windows) must not grow with the runs. The
// first run is left out: it loads what the test keeps for good.
void RunSoak(TestReport& report, int runs) {
  BeginSection(report, std::to_string(runs) + " runs in a row (soak)");
  const double start = NowMs();
  std::vector<UsageSample> samples;
  int good = 0;
  int bad = 0;
  for (int i = 0; i < runs && bad < 5; ++i) {
    if (RunSoakOnce(report, i)) {
      ++good;
    } else {
      ++bad;  // a broken program would fail every run: stop after a few
    }
    const int done = i + 1;
    if (done == 1 || done % ((runs + 3) / 4) == 0 || done == runs) {
      samples.push_back(
          {done, UsageOf(GetCurrentProcess()), LowestFreeHandleSlot(), ThreadWindowCount()});
      PrintUsage(samples.back());
    }
  }
  std::printf("   %d runs in %.1f s\n", good + bad, (NowMs() - start) / 1000.0);
  CheckEqual(report, "runs with the right result and exit code 0", runs, good);
  if (samples.size() < 2) return;
  const UsageSample& first = samples.front();
  const UsageSample& last = samples.back();
  // A few handles come and go with the system's own bookkeeping; one kept per
  // run would add one per run. Wine counts none: the lowest free slot shows
  // kept handles there.
  Check(report, last.usage.handles <= first.usage.handles + 8, "test process handles",
        "at most " + std::to_string(first.usage.handles + 8), std::to_string(last.usage.handles));
  Check(report, last.handle_slot <= first.handle_slot + 8, "test process lowest free handle slot",
        "at most " + std::to_string(first.handle_slot + 8), std::to_string(last.handle_slot));
  // Wine reports 0 GDI and USER objects; Windows counts them.
  Check(report, last.usage.gdi_objects <= first.usage.gdi_objects + 8, "test process GDI objects",
        "at most " + std::to_string(first.usage.gdi_objects + 8),
        std::to_string(last.usage.gdi_objects));
  Check(report, last.usage.user_objects <= first.usage.user_objects + 8,
        "test process USER objects", "at most " + std::to_string(first.usage.user_objects + 8),
        std::to_string(last.usage.user_objects));
  CheckEqual(report, "test process windows", first.windows, last.windows);
}

}  // namespace
}  // namespace tintra::wintest

int main(int argc, char** argv) {
  using namespace tintra::wintest;
  const TestSelection selection = ReadTestSelection(argc, argv, "--soak", 200, 2);
  if (!selection.valid) return 2;
  TestReport report;
  // Small, inactive, in a corner: away from the centred dialog and chooser.
  g_keeper = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "STATIC", "standalone test",
                             WS_POPUP | WS_BORDER, 0, 0, 120, 24, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  if (g_keeper == nullptr) {
    Check(report, false, "test window", "created", "failed");
    return FinishReport(report);
  }
  ShowWindow(g_keeper, SW_SHOWNOACTIVATE);
  PumpMessages();

  // An argument runs only the cases whose name contains it.
  const auto wanted = [&](std::string_view name) { return Wanted(selection, name); };
  for (const FlowCase& c : kFlows) {
    if (wanted(c.name)) RunFlow(report, c);
  }
  if (wanted("red typed")) RunTypedRed(report);
  if (wanted("clipboard held")) {
    RunHeldClipboard(report, 300, "$FF8000");   // outlasted: the result arrives
    RunHeldClipboard(report, 3000, "$ff8000");  // given up: the clipboard unchanged
  }
  if (wanted("soak")) RunSoak(report, selection.size);

  DestroyWindow(g_keeper);
  return FinishReport(report);
}
