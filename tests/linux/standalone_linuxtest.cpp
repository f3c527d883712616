// tintra from end to end, as a user runs it on X11: a text on the real
// clipboard (xclip), the program started as a process of its own, its dialog
// and format chooser driven with real X input (xdotool) at the places the
// program's own layout gives for the display's scale, and the clipboard read
// once the program has ended. Runs on the display in $DISPLAY, with a window
// manager (tests/linux/x-run.sh starts both).
//
//   standalone_linuxtest --tintra PATH [--scale N] [NAME]
// --scale N runs tintra with QT_SCALE_FACTOR=N (a layout at 96 x N DPI);
// NAME runs only the rows whose name contains it.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "colortext/format_chooser.h"
#include "colortext/windows_1252.h"
#include "picker/dialog_layout.h"
#include "picker/picker_session.h"
#include "picker/render.h"
#include "standalone/standalone.h"
#include "tests/clipboard_cases.h"

extern char** environ;

namespace tintra::linuxtest {
namespace {

using clipboard_cases::FlowCase;
using clipboard_cases::kCloseChooser;
using clipboard_cases::kFlows;
using clipboard_cases::kNoChooser;
using clipboard_cases::Start;

constexpr char kDialogTitle[] = "S\xE9lection de couleur";
constexpr char kChooserTitle[] = "Choix du format";
constexpr int kWaitMs = 10000;

int g_failed = 0;
int g_checks = 0;

bool Check(bool ok, const std::string& what, const std::string& expected, const std::string& got) {
  ++g_checks;
  if (!ok) {
    ++g_failed;
    std::printf("   FAIL %s: expected %s, got %s\n", what.c_str(), expected.c_str(), got.c_str());
  }
  return ok;
}

bool CheckEqual(const std::string& what, const std::string& expected, const std::string& got) {
  return Check(expected == got, what, expected, got);
}

// Polls `condition` every 20 ms for up to `timeout_ms`.
bool WaitUntil(const std::function<bool()>& condition, int timeout_ms = kWaitMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// ---------------------------------------------------------------------------
// Processes of the test's own: each ended by its pid.

struct Process {
  pid_t pid = -1;
  int status = 0;
  bool ended = false;
  Process() = default;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() { End(); }
  bool Ended() {
    if (pid < 0 || ended) return true;
    ended = waitpid(pid, &status, WNOHANG) == pid;
    return ended;
  }
  void End() {
    if (pid < 0 || Ended()) return;
    kill(pid, SIGTERM);
    waitpid(pid, &status, 0);
    ended = true;
  }
};

// Starts `args` with `input` on its standard input (nothing when empty) and,
// when `output` is given, its standard output into a pipe read by Output().
bool StartProcess(const std::vector<std::string>& args, const std::string& input, Process& process,
                  int* output = nullptr, const std::vector<std::string>& extra_environment = {}) {
  int in[2] = {-1, -1};
  int out[2] = {-1, -1};
  if (pipe2(in, O_CLOEXEC) != 0) return false;
  if (output != nullptr && pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  if (output != nullptr) posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  if (output == nullptr) {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  }
  std::vector<std::string> env_text;
  for (char** e = environ; *e != nullptr; ++e) env_text.emplace_back(*e);
  for (const std::string& e : extra_environment) env_text.push_back(e);
  std::vector<char*> env;
  for (std::string& e : env_text) env.push_back(e.data());
  env.push_back(nullptr);
  std::vector<std::string> arg_text = args;
  std::vector<char*> argv;
  for (std::string& a : arg_text) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int spawned =
      posix_spawnp(&process.pid, argv[0], &actions, nullptr, argv.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  if (output != nullptr) close(out[1]);
  if (spawned != 0) {
    process.pid = -1;
    close(in[1]);
    if (output != nullptr) close(out[0]);
    return false;
  }
  std::size_t done = 0;
  while (done < input.size()) {
    const ssize_t n = write(in[1], input.data() + done, input.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  close(in[1]);
  if (output != nullptr) *output = out[0];
  return true;
}

// Runs `args` to its end (within kWaitMs) and gives its standard output, or
// nothing when it failed.
std::optional<std::string> Output(const std::vector<std::string>& args) {
  Process p;
  int fd = -1;
  if (!StartProcess(args, "", p, &fd)) return std::nullopt;
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  close(fd);
  if (!WaitUntil([&] { return p.Ended(); })) return std::nullopt;
  if (!WIFEXITED(p.status) || WEXITSTATUS(p.status) != 0) return std::nullopt;
  return text;
}

void Run(const std::vector<std::string>& args) {
  Output(args);
}

// ---------------------------------------------------------------------------
// The clipboard, through xclip. Each holder stays the owner until another
// program takes the clipboard.

std::vector<std::unique_ptr<Process>> g_holders;

void EndHolders() {
  g_holders.clear();
}

// Whether the clipboard offers text: an owner that offers an image alone
// would still hand its bytes to a reader that asks for text.
bool ClipboardOffersText() {
  const std::optional<std::string> targets =
      Output({"xclip", "-selection", "clipboard", "-o", "-t", "TARGETS"});
  return targets && (targets->find("UTF8_STRING") != std::string::npos ||
                     targets->find("text/plain") != std::string::npos);
}

std::optional<std::string> ClipboardText() {
  if (!ClipboardOffersText()) return std::nullopt;
  const std::optional<std::string> utf8 = Output({"xclip", "-selection", "clipboard", "-o"});
  if (!utf8) return std::nullopt;
  return Utf8ToWindows1252(*utf8);
}

bool ClipboardHasImage() {
  const std::optional<std::string> targets =
      Output({"xclip", "-selection", "clipboard", "-o", "-t", "TARGETS"});
  return targets && targets->find("image/png") != std::string::npos;
}

bool Hold(const std::string& data, const char* target) {
  auto holder = std::make_unique<Process>();
  std::vector<std::string> args = {"xclip", "-selection", "clipboard", "-quiet", "-i"};
  if (target != nullptr) args.insert(args.end(), {"-t", target});
  if (!StartProcess(args, data, *holder)) return false;
  g_holders.push_back(std::move(holder));
  return true;
}

bool PrepareClipboard(Start start, const char* text) {
  EndHolders();
  switch (start) {
    case Start::kText: {
      const std::string utf8 = Windows1252ToUtf8(text);
      return Hold(utf8, nullptr) && WaitUntil([&] { return ClipboardText() == text; });
    }
    case Start::kEmpty:
      // Taken by a holder of ours, which then ends: nobody owns it.
      if (!Hold("x", nullptr) || !WaitUntil([] { return ClipboardText() == "x"; })) return false;
      EndHolders();
      return WaitUntil([] { return !ClipboardText(); });
    case Start::kBitmap:
      // An image and nothing else (xclip offers the one target).
      return Hold("\x89PNG\r\n\x1A\n", "image/png") &&
             WaitUntil([] { return ClipboardHasImage() && !ClipboardText(); });
  }
  return false;
}

std::string Shown(const std::optional<std::string>& text) {
  return text ? "\"" + *text + "\"" : std::string("no text");
}

// ---------------------------------------------------------------------------
// Windows and input, through xdotool. Places are physical pixels of the
// window's client area.

std::string g_tintra;
int g_scale = 1;

int Dpi() {
  return kBaseDpi * g_scale;
}

std::optional<std::string> WindowOf(pid_t pid, const char* title) {
  const std::optional<std::string> found =
      Output({"xdotool", "search", "--all", "--onlyvisible", "--pid", std::to_string(pid), "--name",
              std::string("^") + Windows1252ToUtf8(title) + "$"});
  if (!found || found->empty()) return std::nullopt;
  return found->substr(0, found->find('\n'));
}

// "W x H" of the window's client area.
std::string WindowSize(const std::string& window) {
  const std::optional<std::string> shell =
      Output({"xdotool", "getwindowgeometry", "--shell", window});
  if (!shell) return "<no window>";
  auto value = [&](const char* key) {
    const std::size_t at = shell->find(key);
    if (at == std::string::npos) return std::string("?");
    const std::size_t start = at + std::strlen(key);
    return shell->substr(start, shell->find('\n', start) - start);
  };
  return value("WIDTH=") + " x " + value("HEIGHT=");
}

// Asks the window to close as its close box does: the ICCCM WM_DELETE_WINDOW
// message, which the window manager sends for the close box, sent here
// directly.
void AskToClose(const std::string& window) {
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  const auto atom = [x](const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        x, xcb_intern_atom(x, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return a;
  };
  if (xcb_connection_has_error(x) == 0) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(std::strtoul(window.c_str(), nullptr, 10));
    message.type = atom("WM_PROTOCOLS");
    message.data.data32[0] = atom("WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(x, 0, message.window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(x);
  }
  xcb_disconnect(x);
}

void ClickAt(const std::string& window, int x, int y) {
  Run({"xdotool", "mousemove", "--window", window, std::to_string(x), std::to_string(y), "click",
       "1"});
}

// The middle of a rectangle, physical.
void ClickIn(const std::string& window, const PixelRect& r) {
  ClickAt(window, r.x + r.width / 2, r.y + r.height / 2);
}

// The colour of the window's pixel as "r g b".
std::string PixelOf(const std::string& window, int x, int y) {
  const std::optional<std::string> text =
      Output({"import", "-window", window, "-crop",
              "1x1+" + std::to_string(x) + "+" + std::to_string(y), "-depth", "8", "txt:-"});
  if (!text) return "<no picture>";
  const std::size_t open = text->rfind('(');
  int r = -1, g = -1, b = -1;
  if (open == std::string::npos || std::sscanf(text->c_str() + open, "(%d,%d,%d", &r, &g, &b) != 3)
    return "<unreadable>";
  return std::to_string(r) + " " + std::to_string(g) + " " + std::to_string(b);
}

// The canvas as the window shows it against what the core draws for the
// same start (the clipboard text `input`) at the same DPI, composited over
// the window colour as the window shows it below the canvas: byte for byte.
void CheckCanvas(const std::string& window, const std::string& input) {
  const FrontEndRun start = StartStandaloneRun(input);
  const DialogLayout layout = MakeDialogLayout(start.alpha_flag, 2, Dpi());
  const PixelRect& canvas = layout.canvas.physical;
  int r = 0, g = 0, b = 0;
  const std::string below = PixelOf(window, 1, canvas.height + 1);
  if (!Check(std::sscanf(below.c_str(), "%d %d %d", &r, &g, &b) == 3, "window colour",
             "a pixel below the canvas", below))
    return;
  PickerSession session;
  OpenSession(session, start.color, start.descriptor, start.alpha_flag, ComposeColor(r, g, b),
              Dpi());
  RefreshSession(session);
  const std::vector<ColorValue> expected = CompositeOver(session.images.canvas, session.background);
  const std::optional<std::string> shown =
      Output({"import", "-window", window, "-crop",
              std::to_string(canvas.width) + "x" + std::to_string(canvas.height) + "+0+0", "-depth",
              "8", "rgb:-"});
  if (!Check(shown && shown->size() == expected.size() * 3, "canvas picture",
             std::to_string(expected.size() * 3) + " bytes",
             shown ? std::to_string(shown->size()) + " bytes" : "none"))
    return;
  // The widgets lie over the canvas (right of the field): their pixels are
  // theirs.
  std::vector<PixelRect> widgets = {layout.preset_combo.physical, layout.ok_button.physical,
                                    layout.cancel_button.physical,
                                    layout.eyedropper_button.physical};
  for (int c = 0; c < 3 + start.alpha_flag; ++c) {
    widgets.push_back(layout.channel_fields[static_cast<std::size_t>(c)].physical);
  }
  long differing = 0;
  std::string first;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const int x = static_cast<int>(i % canvas.width);
    const int y = static_cast<int>(i / canvas.width);
    bool under_widget = false;
    for (const PixelRect& w : widgets) under_widget = under_widget || w.Contains(x, y);
    if (under_widget) continue;
    const auto* p = reinterpret_cast<const unsigned char*>(shown->data() + 3 * i);
    const ColorValue c = expected[i];
    if (p[0] == RedOf(c) && p[1] == GreenOf(c) && p[2] == BlueOf(c)) continue;
    if (differing++ == 0) {
      first = " (first at " + std::to_string(x) + ", " + std::to_string(y) + ")";
    }
  }
  CheckEqual("canvas pixels unlike the core's", "0", std::to_string(differing) + first);
}

struct TintraRun {
  Process process;
  std::string dialog;
  DialogLayout layout;
};

// Starts tintra and waits for its dialog at the layout's size. `opaque_rgb`
// ("r g b") is the colour the upper swatch must show once it is painted;
// empty to wait only for the paint.
bool StartTintra(TintraRun& run, int alpha_flag, const std::string& opaque_rgb) {
  run.layout = MakeDialogLayout(alpha_flag, 2, Dpi());
  if (!Check(StartProcess({g_tintra}, "", run.process, nullptr,
                          {"QT_SCALE_FACTOR=" + std::to_string(g_scale)}),
             "start tintra", "started", "posix_spawn failed"))
    return false;
  std::optional<std::string> dialog;
  WaitUntil([&] { return (dialog = WindowOf(run.process.pid, kDialogTitle)).has_value(); });
  if (!Check(dialog.has_value(), "dialog window", "a window titled S\\xE9lection de couleur",
             "none"))
    return false;
  run.dialog = *dialog;
  const PixelRect& client = run.layout.client.physical;
  CheckEqual("dialog size", std::to_string(client.width) + " x " + std::to_string(client.height),
             WindowSize(run.dialog));
  const PixelRect& swatch = run.layout.upper_swatch.physical;
  const int x = swatch.x + swatch.width / 2;
  const int y = swatch.y + 2;
  const auto painted = [&] {
    const std::string p = PixelOf(run.dialog, x, y);
    return opaque_rgb.empty() ? p != "<no picture>" && p != "0 0 0" : p == opaque_rgb;
  };
  const bool shown = WaitUntil(painted);
  if (!opaque_rgb.empty()) CheckEqual("upper swatch", opaque_rgb, PixelOf(run.dialog, x, y));
  return shown;
}

bool FinishRun(TintraRun& run) {
  const bool ended = WaitUntil([&] { return run.process.Ended(); }, 15000);
  if (!Check(ended, "tintra ended", "exited", "still running")) return false;
  return CheckEqual(
      "exit code", "0",
      WIFEXITED(run.process.status) ? std::to_string(WEXITSTATUS(run.process.status)) : "a signal");
}

// "r g b" of a row's dialog colour when the swatch shows it as it is (no
// alpha, or opaque); empty otherwise.
std::string OpaqueRgb(const FlowCase& c) {
  int r = 0, g = 0, b = 0, a = 255;
  const int n = c.alpha_flag ? std::sscanf(c.dialog_color, "%d %d %d %d", &r, &g, &b, &a)
                             : std::sscanf(c.dialog_color, "%d %d %d", &r, &g, &b);
  if (n < 3 || a != 255) return "";
  return std::to_string(r) + " " + std::to_string(g) + " " + std::to_string(b);
}

void UseChooser(TintraRun& run, int alpha_flag, int choice) {
  std::optional<std::string> chooser;
  WaitUntil([&] { return (chooser = WindowOf(run.process.pid, kChooserTitle)).has_value(); });
  if (!Check(chooser.has_value(), "chooser window", "a window titled Choix du format", "none"))
    return;
  CheckEqual("dialog gone when the chooser shows", "gone",
             WindowOf(run.process.pid, kDialogTitle) ? "shown" : "gone");
  const ChooserLayout layout = LayoutFormatChooser(alpha_flag, Dpi());
  CheckEqual("chooser size",
             std::to_string(layout.client_width) + " x " + std::to_string(layout.client_height),
             WindowSize(*chooser));
  if (choice == kCloseChooser) {
    // The close box's request; again while the window stays, for a window
    // that was not ready for it yet.
    const bool closed = WaitUntil([&] {
      AskToClose(*chooser);
      return WaitUntil([&] { return !WindowOf(run.process.pid, kChooserTitle); }, 1000);
    });
    Check(closed, "chooser closed by its close request", "closed", "still shown");
    return;
  }
  for (int i = 0; i < layout.button_count; ++i) {
    const ChooserButton& b = layout.buttons[i];
    if (b.id == choice) ClickAt(*chooser, b.x + b.width / 2, b.y + b.height / 2);
  }
}

void RunFlow(const FlowCase& c) {
  std::printf("-- %s\n", c.name);
  if (!Check(PrepareClipboard(c.start, c.clipboard), "clipboard prepared", "done", "failed"))
    return;
  TintraRun run;
  if (!StartTintra(run, c.alpha_flag, OpaqueRgb(c))) return;
  CheckCanvas(run.dialog, c.start == Start::kText ? c.clipboard : "");
  ClickIn(run.dialog, run.layout.ok_button.physical);
  if (c.chooser != kNoChooser) UseChooser(run, c.alpha_flag, c.chooser);
  if (!FinishRun(run)) return;
  const std::optional<std::string> expected =
      c.expected ? std::optional<std::string>(c.expected) : std::nullopt;
  CheckEqual("clipboard text", Shown(expected), Shown(ClipboardText()));
  CheckEqual("image on the clipboard", c.bitmap_kept ? "yes" : "no",
             ClipboardHasImage() ? "yes" : "no");
}

// ---------------------------------------------------------------------------
// The dialog's own rows: what is done in it before it ends.

enum class Action {
  kStripPress,  // a press on strip `strip` at channel value `value`, then OK
  kTypeRed,     // `typed` over the red field's text, then OK
  kStripDrag,   // a press on strip `strip` at `value`, a drag far right of the window, OK
  kCancel,      // a strip press as kStripPress, then Cancel
  kEyedropper,  // the eyedropper picks with a nudge (eyedropper_rows.inc), then OK
};

#include "tests/linux/eyedropper_rows.inc"

struct DialogRow {
  const char* name;
  const char* clipboard;
  Action action;
  int strip;  // 0..3: red, green, blue, alpha
  int value;  // 0..255
  const char* typed;
  const char* expected;  // clipboard text at the end
};

const DialogRow kDialogRows[] = {
    // The press alone sets the channel; no drag follows.
    {"red strip press", "RGB(1,2,3)", Action::kStripPress, 0, 100, nullptr, "RGB(100, 2, 3)"},
    {"blue strip press, alpha kept", "RGBA(1,2,3,40)", Action::kStripPress, 2, 0, nullptr,
     "RGBA(1, 2, 0, 40)"},
    // Outside the window the drag still holds (Qt's grab) and stops at 255.
    {"red strip dragged past the window", "RGB(1,2,3)", Action::kStripDrag, 0, 100, nullptr,
     "RGB(255, 2, 3)"},
    // Typed digits replace the channel.
    {"red field typed", "RGB(1,2,3)", Action::kTypeRed, 0, 0, "200", "RGB(200, 2, 3)"},
    // Cancel gives the initial colour back, normalised.
    {"cancel after a press", "rgb(9,8,7)", Action::kCancel, 1, 250, nullptr, "RGB(9, 8, 7)"},
    // The pixel (101, 90) of the root window's tile.
    {"eyedropper pick with a nudge", "RGB(1,2,3)", Action::kEyedropper, 0, 0, nullptr,
     "RGB(101, 90, 0)"},
};

void RunDialogRow(const DialogRow& row) {
  std::printf("-- %s\n", row.name);
  if (!Check(PrepareClipboard(Start::kText, row.clipboard), "clipboard prepared", "done", "failed"))
    return;
  const int alpha_flag = std::strncmp(row.clipboard, "RGBA", 4) == 0 ? 1 : 0;
  TintraRun run;
  if (!StartTintra(run, alpha_flag, "")) return;
  const DialogLayout& l = run.layout;
  switch (row.action) {
    case Action::kStripPress:
    case Action::kCancel: {
      const PixelRect& strip = l.strips[static_cast<std::size_t>(row.strip)].logical;
      // The first physical pixel of the logical column: it maps back to it.
      ClickAt(run.dialog, ToPhysical(strip.x + row.value, Dpi()),
              ToPhysical(strip.y + strip.height / 2, Dpi()));
      break;
    }
    case Action::kStripDrag: {
      const PixelRect& strip = l.strips[static_cast<std::size_t>(row.strip)].logical;
      const std::string y = std::to_string(ToPhysical(strip.y + strip.height / 2, Dpi()));
      const std::string beyond = std::to_string(l.client.physical.width + 40);
      Run({"xdotool", "mousemove", "--window", run.dialog,
           std::to_string(ToPhysical(strip.x + row.value, Dpi())), y, "mousedown", "1"});
      Run({"xdotool", "mousemove", "--window", run.dialog, beyond, y, "mouseup", "1"});
      break;
    }
    case Action::kTypeRed:
      ClickIn(run.dialog, l.channel_fields[0].physical);
      Run({"xdotool", "key", "--clearmodifiers", "ctrl+a"});
      Run({"xdotool", "type", "--delay", "20", row.typed});
      break;
    case Action::kEyedropper:
      PickWithNudge(run);
      break;
  }
  ClickIn(run.dialog,
          row.action == Action::kCancel ? l.cancel_button.physical : l.ok_button.physical);
  if (!FinishRun(run)) return;
  CheckEqual("clipboard text", Shown(std::string(row.expected)), Shown(ClipboardText()));
}

}  // namespace
}  // namespace tintra::linuxtest

int main(int argc, char** argv) {
  using namespace tintra::linuxtest;
  std::string wanted;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--tintra") == 0 && i + 1 < argc) {
      g_tintra = argv[++i];
    } else if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc) {
      g_scale = std::atoi(argv[++i]);
    } else {
      wanted = argv[i];
    }
  }
  if (g_tintra.empty() || g_scale < 1 || g_scale > 8 || std::getenv("DISPLAY") == nullptr) {
    std::fprintf(stderr,
                 "usage: standalone_linuxtest --tintra PATH [--scale N] [NAME]"
                 " (on an X display)\n");
    return 2;
  }
  std::printf("tintra %s at %d DPI\n", g_tintra.c_str(), Dpi());
  const auto selected = [&](const char* name) {
    return wanted.empty() || std::string(name).find(wanted) != std::string::npos;
  };
  for (const FlowCase& c : kFlows) {
    if (selected(c.name)) RunFlow(c);
  }
  for (const DialogRow& row : kDialogRows) {
    if (selected(row.name)) RunDialogRow(row);
  }
  EndHolders();
  std::printf("%d checks, %d failed\n", g_checks, g_failed);
  return g_failed == 0 ? 0 : 1;
}
