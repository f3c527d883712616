// Tintra.exe from end to end, as a user runs it: a text on the real
// clipboard, the program started as a process of its own, its dialog and
// format chooser driven with real pointer and keyboard input, and the
// clipboard read once the program has ended. And Tintra.exe --filter as an
// editor runs it: the standard handles on pipes, the input written and
// closed, the output, the message and the exit status read at the end.
//
// The test keeps a small window of its own open the whole time: Wine bridges
// its clipboard to X only while some Wine program has a window.
//
//   standalone_wintest [--soak RUNS] [NAME]
// NAME runs only the cases whose name contains it ("filter": the filter's
// rows); the soak, many runs in a row, is the case "soak" (200 runs by
// default, CI runs fewer).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "picker/handles_win32.h"
#include "tests/clipboard_cases.h"
#include "tests/windows/support/wintest_dialog.h"
#include "tests/windows/support/wintest_input.h"
#include "tests/windows/support/wintest_report.h"
#include "tests/windows/support/wintest_usage.h"
#include "tests/windows/support/wintest_wait.h"
#include "tests/windows/support/wintest_windows.h"

namespace tintra::wintest {
namespace {

using clipboard_cases::FlowCase;
using clipboard_cases::kCloseChooser;
using clipboard_cases::kFlows;
using clipboard_cases::kNoChooser;
using clipboard_cases::Start;

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

// ---------------------------------------------------------------------------
// The text filter as an editor runs it: its standard handles on pipes.

enum class FilterUser { kNone, kStripThenOk, kCancel, kEnter, kSecondLabel };

struct FilterCase {
  const char* name;
  const char* arguments;
  std::optional<std::string> input;  // written, then closed; nothing: no input handle at all
  FilterUser user;                   // kNone: no window may show
  DWORD status;
  std::string output;             // standard output, byte for byte
  bool contains = false;          // standard output need only hold `output`
  bool error_text = false;        // a message on standard error (a pipe, not a console)
  const char* desktop = nullptr;  // "STATION\\DESKTOP" to start it in
  bool title = false;             // the dialog's title is checked
};

// A window station of the test's own, which nobody sees (as a service's).
constexpr char kHiddenDesktop[] = "TintraHidden\\Default";

// The dialog's title in the interface language this process has: the ctest
// entry with LC_ALL=fr_FR.UTF-8 (tests.cmake) sets TINTRA_EXPECT_FRENCH.
std::string InterfaceTitle(TestReport& report) {
  const bool french = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_FRENCH;
  if (std::getenv("TINTRA_EXPECT_FRENCH") != nullptr) {
    CheckEqual(report, "the test's interface language is French", true, french);
  }
  return french ? "S\xE9lection de couleur" : "Color";
}

// Gathers a pipe's bytes until every writer has closed it.
std::thread Drain(HANDLE pipe, std::string& bytes) {
  return std::thread([pipe, &bytes] {
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  });
}

// A pipe: the filter inherits `child`, the test keeps `own`.
bool MakePipe(bool child_reads, OwnedKernelHandle& child, OwnedKernelHandle& own) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE ends[2] = {};  // read, write
  if (!CreatePipe(&ends[0], &ends[1], &inherit, 0)) return false;
  child.reset(ends[child_reads ? 0 : 1]);
  own.reset(ends[child_reads ? 1 : 0]);
  return SetHandleInformation(own.get(), HANDLE_FLAG_INHERIT, 0) != FALSE;
}

// What the user does once the dialog shows its colour.
void ActInDialog(TestReport& report, const FilterCase& c, const StartedProcess& process,
                 HWND dialog) {
  const bool active = WaitUntil([&] { return GetForegroundWindow() == dialog; });
  if (c.user == FilterUser::kStripThenOk) {
    ClickClient(dialog, {144, 285});  // red 100
    WaitUntil([&] { return ControlText(ChildAt(dialog, kRedField)) == "100"; });
  }
  if (c.user == FilterUser::kCancel) ClickClient(dialog, {336, 248});
  if (c.user == FilterUser::kEnter && active) PressKey(VK_RETURN);
  if (c.user != FilterUser::kStripThenOk && c.user != FilterUser::kSecondLabel) return;
  ClickClient(dialog, kOkCentre);
  if (c.user != FilterUser::kSecondLabel) return;
  HWND chooser = nullptr;
  WaitUntil([&] {
    for (HWND w : FindTopWindows(process.info.dwProcessId, "")) chooser = w != dialog ? w : chooser;
    return chooser != nullptr;
  });
  if (Check(report, chooser != nullptr, "chooser", "shown after OK", "none")) {
    PressChooserButton(chooser, 2);
  }
}

std::string Clipped(const std::string& bytes) {
  return "\"" + bytes.substr(0, 160) + "\" (" + std::to_string(bytes.size()) + " bytes)";
}

void RunFilterCase(TestReport& report, const FilterCase& c) {
  BeginSection(report, c.name);
  OwnedKernelHandle in, out, err, input, output, error;
  if (!Check(report,
             (!c.input || MakePipe(true, in, input)) && MakePipe(false, out, output) &&
                 MakePipe(false, err, error),
             "pipes", "made", "failed"))
    return;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in.get();
  startup.hStdOutput = out.get();
  startup.hStdError = err.get();
  const std::string path = ProgramFolder() + "Tintra.exe";
  std::string command_line = "\"" + path + "\" " + c.arguments;
  std::string desktop = c.desktop ? c.desktop : "";
  startup.lpDesktop = c.desktop ? desktop.data() : nullptr;
  StartedProcess process;
  process.started = CreateProcessA(path.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0,
                                   nullptr, nullptr, &startup, &process.info) != FALSE;
  in.reset();
  out.reset();
  err.reset();
  if (!Check(report, process.started, "Tintra.exe started", "yes", "no")) return;
  std::string got_output, got_error;
  std::thread output_drain = Drain(output.get(), got_output);
  std::thread error_drain = Drain(error.get(), got_error);
  DWORD written = 0;
  if (c.input) WriteFile(input.get(), c.input->data(), DWORD(c.input->size()), &written, nullptr);
  input.reset();
  bool window_seen = false;
  if (c.user == FilterUser::kNone) {
    WaitUntil([&] {
      window_seen = window_seen || !FindTopWindows(process.info.dwProcessId, "").empty();
      return process.WaitForExit(0);
    });
  } else if (HWND dialog =
                 WaitForTopWindow(process.info.dwProcessId, "", kDefaultTimeoutMs, &process)) {
    WaitUntil([&] {
      const std::string red = ControlText(ChildAt(dialog, kRedField));
      return !red.empty() && red != "<no control>";
    });
    if (c.title) CheckEqual(report, "dialog title", InterfaceTitle(report), WindowText(dialog));
    ActInDialog(report, c, process, dialog);
  }
  const bool ended = WaitForProcessEnd(process, kExitTimeoutMs);
  process.End();
  output_drain.join();
  error_drain.join();
  if (!Check(report, ended, "Tintra ended", "exited", "still running")) return;
  CheckEqual(report, "a window shown", false, window_seen);
  CheckEqual(report, "exit status", c.status, process.ExitCode());
  Check(report, c.contains ? got_output.find(c.output) != got_output.npos : got_output == c.output,
        c.contains ? "standard output holding" : "standard output", Clipped(c.output),
        Clipped(got_output));
  Check(report, c.error_text == !got_error.empty(), "standard error",
        c.error_text ? "a message" : "nothing", Clipped(got_error));
}

std::vector<FilterCase> FilterCases() {
  const std::string css = "color: #ff8000;\n";
  // CR LF, Windows-1252, a NUL, no final line feed: all given back.
  static constexpr char kMixed[] = "a { color: #ff8000; }\r\n/* \xE9t\xE9 */\0 end";
  const std::string mixed(kMixed, sizeof kMixed - 1);
  // A megabyte without a colour, then one: many reads and writes of the pipes.
  std::string filler;
  while (filler.size() < (1 << 20)) filler += "nothing to read on this line\n";
  using enum FilterUser;
  return {
      {"filter: OK after a strip press", "--filter", css, kStripThenOk, 0, "color: #648000;\n"},
      {"filter: Cancel", "--filter", mixed, kCancel, 1, mixed},
      {"filter: Enter, the colour unchanged", "--filter", "a{color:#FF8000}\r\n", kEnter, 0,
       "a{color:#FF8000}\r\n"},
      {"filter: --no-dialog --to", "--filter --no-dialog --to css-rgb", css, kNone, 0,
       "color: rgb(255, 128, 0);\n"},
      {"filter: a megabyte", "--filter --no-dialog --to hex-0x", filler + "#ff8000\n", kNone, 0,
       filler + "0xFF8000\n"},
      {"filter: no colour", "--filter", "none here\n", kNone, 2, "none here\n"},
      {"filter: a wrong option", "--filter --frobnicate", css, kNone, 64, css},
      {"filter: a wrong option, --verbose", "--filter --verbose --frobnicate", css, kNone, 64, css,
       false, true},
      {"filter: --help", "--filter --help", "", kNone, 0, "--filter", true},
      {"filter: --version alone", "--version", "", kNone, 0, "Tintra", true},
      {"filter: no input handle", "--filter --no-dialog --set #ff8000 --to css-rgb", std::nullopt,
       kNone, 0, "rgb(255, 128, 0)"},
      // Blank input: black, then the chooser, whose second notation is css-rgb.
      {"filter: blank input", "--filter", "\r\n", kSecondLabel, 0, "rgb(0, 0, 0)\r\n"},
      {"filter: interface language", "--filter", css, kCancel, 1, css, false, false, nullptr, true},
      // Where nobody sees windows the picker cannot open; the input is searched first.
      {"filter: no display", "--filter", css, kNone, 3, css, false, false, kHiddenDesktop},
      {"filter: no display, no colour", "--filter", "none\n", kNone, 2, "none\n", false, false,
       kHiddenDesktop},
  };
}

void RunFilterCases(TestReport& report, const TestSelection& selection) {
  for (const FilterCase& c : FilterCases()) {
    if (Wanted(selection, c.name)) RunFilterCase(report, c);
  }
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
  RunFilterCases(report, selection);

  DestroyWindow(g_keeper);
  return FinishReport(report);
}
