// tintra from end to end, as a user runs it on X11: a text on the real
// clipboard (xclip), the program started as a process of its own, its dialog
// and format chooser driven with real X input (xdotool) at the places the
// program's own layout gives for the display's scale, and the clipboard read
// once the program has ended. Runs on the display in $DISPLAY, with a window
// manager (tests/linux/x-run.sh starts both).
//
//   standalone_linuxtest --tintra PATH [--scale N] [NAME...]
// --scale N runs tintra with QT_SCALE_FACTOR=N (a layout at 96 x N DPI);
// NAME runs only the rows whose name contains it (or one of them).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "colortext/color_tokens.h"
#include "colortext/language_texts.h"
#include "colortext/windows_1252.h"
#include "picker/dialog_layout.h"
#include "picker/picker_session.h"
#include "picker/render.h"
#include "tests/clipboard_cases.h"

extern char** environ;

namespace tintra::linuxtest {
namespace {

using clipboard_cases::Start;

constexpr char kFrenchDialogTitle[] = "S\xE9lection de couleur";
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
// when `output` (`errors`) is given, its standard output (error) into a pipe
// whose reading end it gets. `extra_environment` entries "NAME=VALUE" replace
// or add a variable, a bare "NAME" removes it. With `input_fd`, `input` is
// not written: the caller gets the (non-blocking) writing end instead.
bool StartProcess(const std::vector<std::string>& args, const std::string& input, Process& process,
                  int* output = nullptr, const std::vector<std::string>& extra_environment = {},
                  int* errors = nullptr, int* input_fd = nullptr) {
  int in[2] = {-1, -1};
  int out[2] = {-1, -1};
  int err[2] = {-1, -1};
  const auto close_all = [&] {
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
      if (fd >= 0) close(fd);
    }
  };
  if (pipe2(in, O_CLOEXEC) != 0 || (output != nullptr && pipe2(out, O_CLOEXEC) != 0) ||
      (errors != nullptr && pipe2(err, O_CLOEXEC) != 0)) {
    close_all();
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  if (output != nullptr) posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  if (output == nullptr) {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  }
  if (errors != nullptr) posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  const auto name_of = [](const std::string& e) { return e.substr(0, e.find('=')); };
  std::vector<std::string> env_text;
  for (char** e = environ; *e != nullptr; ++e) {
    bool replaced = false;
    for (const std::string& x : extra_environment) replaced = replaced || name_of(x) == name_of(*e);
    if (!replaced) env_text.emplace_back(*e);
  }
  for (const std::string& e : extra_environment) {
    if (e.find('=') != std::string::npos) env_text.push_back(e);
  }
  std::vector<char*> env;
  for (std::string& e : env_text) env.push_back(e.data());
  env.push_back(nullptr);
  std::vector<std::string> arg_text = args;
  std::vector<char*> argv;
  for (std::string& a : arg_text) argv.push_back(a.data());
  argv.push_back(nullptr);
  // SIGPIPE as the programs find it outside the test (which ignores it).
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t pipe_signal;
  sigemptyset(&pipe_signal);
  sigaddset(&pipe_signal, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &pipe_signal);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  const int spawned =
      posix_spawnp(&process.pid, argv[0], &actions, &attributes, argv.data(), env.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  in[0] = -1;
  if (output != nullptr) close(out[1]);
  if (errors != nullptr) close(err[1]);
  if (spawned != 0) {
    process.pid = -1;
    close(in[1]);
    if (output != nullptr) close(out[0]);
    if (errors != nullptr) close(err[0]);
    return false;
  }
  if (input_fd != nullptr) {
    fcntl(in[1], F_SETFL, O_NONBLOCK);
    *input_fd = in[1];
  } else {
    std::size_t done = 0;
    while (done < input.size()) {
      const ssize_t n = write(in[1], input.data() + done, input.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    close(in[1]);
  }
  if (output != nullptr) *output = out[0];
  if (errors != nullptr) *errors = err[0];
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
  // A helper stuck on the display (import on a window that went away holds
  // the server) is ended at the deadline: it would freeze every client.
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          end - std::chrono::steady_clock::now())
                          .count();
    pollfd ready{fd, POLLIN, 0};
    if (left <= 0 || poll(&ready, 1, static_cast<int>(left)) == 0) {
      close(fd);
      return std::nullopt;  // `p` ends the helper
    }
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
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

// The clipboard's text as UTF-8, read as `target` (default: UTF8_STRING).
std::optional<std::string> ClipboardText(const char* target = nullptr) {
  if (!ClipboardOffersText()) return std::nullopt;
  std::vector<std::string> args = {"xclip", "-selection", "clipboard", "-o"};
  if (target != nullptr) args.insert(args.end(), {"-t", target});
  return Output(args);
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

// `text` (UTF-8) on the clipboard, offered as `target` alone when given.
bool PrepareClipboard(Start start, const char* text, const char* target = nullptr) {
  EndHolders();
  switch (start) {
    case Start::kText:
      return Hold(text, target) && WaitUntil([&] { return ClipboardText(target) == text; });
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

// The pattern of a title (Windows-1252) that its window's name matches in
// any encoding tintra's locale gives it: each non-ASCII letter any bytes.
std::string TitlePattern(const char* title) {
  std::string pattern = "^";
  for (const char* c = title; *c != '\0'; ++c) {
    if (static_cast<unsigned char>(*c) < 0x80) {
      pattern += *c;
    } else if (!pattern.ends_with(".+")) {
      pattern += ".+";
    }
  }
  return pattern + "$";
}

std::optional<std::string> WindowOf(pid_t pid, const char* title) {
  const std::optional<std::string> found =
      Output({"xdotool", "search", "--all", "--onlyvisible", "--pid", std::to_string(pid), "--name",
              TitlePattern(title)});
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
// same start (the first colour of `input`, else opaque black) at the same
// DPI, composited over the window colour as the window shows it below the
// canvas: byte for byte.
void CheckCanvas(const std::string& window, const std::string& input) {
  struct {
    ColorValue color = 0xFF000000u;
    int alpha_flag = 0;
    std::string descriptor;
  } start;
  if (const std::optional<ColorToken> token = ChooseColorToken(input, TokenOptions{})) {
    start.color = token->color;
    start.alpha_flag = token->alpha_flag;
  }
  // The canvas depends on the rows' count, not on their texts.
  start.descriptor = LanguageDescriptor(Language::kEnglish, start.alpha_flag);
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

// ---------------------------------------------------------------------------
// tintra runs: its standard input fed and its outputs collected while its
// windows are driven.

// The language of a run: the first of LC_ALL, LC_MESSAGES, LANG decides.
const std::vector<std::string> kEnglishLocale = {"LC_ALL=C.UTF-8", "LC_MESSAGES", "LANG"};
const std::vector<std::string> kFrenchLocale = {"LC_ALL=fr_FR.UTF-8", "LC_MESSAGES", "LANG"};
constexpr char kEnglishDialogTitle[] = "Color";
constexpr char kEnglishChooserTitle[] = "Choose a notation";
constexpr char kFrenchChooserTitle[] = "Choisir une notation";

struct TintraRun {
  Process process;
  int in = -1, out = -1, err = -1;
  std::string input;
  std::size_t fed = 0;
  std::string output, errors;
  std::string dialog;
  DialogLayout layout;
  TintraRun() = default;
  TintraRun(const TintraRun&) = delete;
  TintraRun& operator=(const TintraRun&) = delete;
  ~TintraRun() {
    for (int fd : {in, out, err}) {
      if (fd >= 0) close(fd);
    }
  }
};

// Feeds the input and reads both outputs until the three pipes are closed
// (or, with `fed_only`, the input is), for up to `timeout_ms`.
bool Communicate(TintraRun& run, int timeout_ms, bool fed_only = false) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  const auto close_fd = [](int& fd) {
    close(fd);
    fd = -1;
  };
  while (run.in >= 0 || (!fed_only && (run.out >= 0 || run.err >= 0))) {
    pollfd fds[3];
    int* owners[3];
    nfds_t n = 0;
    for (int* fd : {&run.in, &run.out, &run.err}) {
      if (*fd < 0) continue;
      fds[n] = {*fd, static_cast<short>(fd == &run.in ? POLLOUT : POLLIN), 0};
      owners[n++] = fd;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          end - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) return false;
    if (poll(fds, n, static_cast<int>(left)) < 0 && errno != EINTR) return false;
    for (nfds_t i = 0; i < n; ++i) {
      if (fds[i].revents == 0) continue;
      int& fd = *owners[i];
      if (&fd == &run.in) {
        const ssize_t w = write(fd, run.input.data() + run.fed, run.input.size() - run.fed);
        if (w > 0) run.fed += static_cast<std::size_t>(w);
        if ((w < 0 && errno != EAGAIN && errno != EINTR) || run.fed == run.input.size()) {
          close_fd(fd);
        }
        continue;
      }
      char buffer[65536];
      const ssize_t r = read(fd, buffer, sizeof buffer);
      if (r > 0) {
        (&fd == &run.out ? run.output : run.errors).append(buffer, static_cast<std::size_t>(r));
      } else if (r == 0 || (errno != EAGAIN && errno != EINTR)) {
        close_fd(fd);
      }
    }
  }
  return true;
}

// Starts tintra with `args`, `input` on its standard input and the
// environment changes (StartProcess), at the test's scale.
bool LaunchTintra(TintraRun& run, const std::vector<std::string>& args, const std::string& input,
                  std::vector<std::string> environment) {
  std::vector<std::string> command = {g_tintra};
  command.insert(command.end(), args.begin(), args.end());
  environment.push_back("QT_SCALE_FACTOR=" + std::to_string(g_scale));
  run.input = input;
  return Check(StartProcess(command, "", run.process, &run.out, environment, &run.err, &run.in),
               "start tintra", "started", "posix_spawn failed");
}

// Starts tintra and waits for its dialog (`title`) at the layout's size.
// `opaque_rgb` ("r g b") is the colour the upper swatch must show once it is
// painted; empty to wait only for the paint.
bool StartTintra(TintraRun& run, int alpha_flag, const std::string& opaque_rgb,
                 const std::vector<std::string>& args = {}, const std::string& input = "",
                 const std::vector<std::string>& environment = kEnglishLocale,
                 const char* title = kEnglishDialogTitle) {
  run.layout = MakeDialogLayout(alpha_flag, 2, Dpi());
  if (!LaunchTintra(run, args, input, environment)) return false;
  // tintra reads its whole input before it opens a window.
  if (!Check(Communicate(run, kWaitMs, true), "input read", "all of it", "not read")) return false;
  std::optional<std::string> dialog;
  WaitUntil([&] { return (dialog = WindowOf(run.process.pid, title)).has_value(); });
  if (!Check(dialog.has_value(), "dialog window", std::string("a window titled ") + title, "none"))
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
  if (!opaque_rgb.empty()) {
    CheckEqual("upper swatch", opaque_rgb, PixelOf(run.dialog, x, y));
  } else {
    Check(shown, "dialog painted", "not black", "black");
  }
  return shown;
}

std::string StatusText(int status) {
  return WIFEXITED(status) ? std::to_string(WEXITSTATUS(status))
                           : "signal " + std::to_string(WTERMSIG(status));
}

std::string Escaped(std::string_view bytes);

// Waits for the end of the run and checks its exit status.
bool FinishRun(TintraRun& run, int expected_status = 0) {
  const bool ended =
      Communicate(run, 15000) && WaitUntil([&] { return run.process.Ended(); }, 15000);
  if (!Check(ended, "tintra ended", "exited", "still running")) return false;
  const bool as_expected =
      CheckEqual("exit status", std::to_string(expected_status), StatusText(run.process.status));
  // What tintra said of an unexpected end: the one clue to a failure seen once.
  if (!as_expected) std::printf("   its standard error: %s\n", Escaped(run.errors).c_str());
  return as_expected;
}

// The chooser's answer: the keys pressed in it ("Down Return"), or
// kCloseChooserKeys for its close box.
constexpr char kCloseChooserKeys[] = "";

void UseChooser(TintraRun& run, bool french, const char* keys) {
  const char* title = french ? kFrenchChooserTitle : kEnglishChooserTitle;
  std::optional<std::string> chooser;
  WaitUntil([&] { return (chooser = WindowOf(run.process.pid, title)).has_value(); });
  if (!Check(chooser.has_value(), "chooser window", std::string("a window titled ") + title,
             "none"))
    return;
  CheckEqual("dialog gone when the chooser shows", "gone",
             WindowOf(run.process.pid, french ? kFrenchDialogTitle : kEnglishDialogTitle) ? "shown"
                                                                                          : "gone");
  if (*keys == '\0') {
    // The close box's request; again while the window stays, for a window
    // that was not ready for it yet.
    const bool closed = WaitUntil([&] {
      AskToClose(*chooser);
      return WaitUntil([&] { return !WindowOf(run.process.pid, title); }, 1000);
    });
    Check(closed, "chooser closed by its close request", "closed", "still shown");
    return;
  }
  // Real key presses and releases (XTEST) to the focused window, which the
  // chooser must be: keys sent to a window instead leave a key held down.
  std::vector<std::string> press = {"xdotool", "key", "--delay", "50"};
  for (const char* k = keys; *k != '\0';) {
    const char* space = std::strchr(k, ' ');
    press.emplace_back(k, space != nullptr ? space : k + std::strlen(k));
    k = space != nullptr ? space + 1 : k + std::strlen(k);
  }
  Run(press);
}

// A press on a channel strip at `value` (0..255); strip 0..3: red, green,
// blue, alpha.
void PressStrip(TintraRun& run, int strip, int value) {
  const PixelRect& r = run.layout.strips[static_cast<std::size_t>(strip)].logical;
  // The first physical pixel of the logical column: it maps back to it.
  ClickAt(run.dialog, ToPhysical(r.x + value, Dpi()), ToPhysical(r.y + r.height / 2, Dpi()));
}

// ---------------------------------------------------------------------------
// The filter without a dialog: standard output, standard error (not a
// terminal here: empty unless --verbose) and the exit status.

enum class Env {
  kNoToolkit,  // no display, and a platform Qt cannot load: starting it would abort
  kNoDisplay,  // no display at all
};

struct FilterRow {
  const char* name;
  bool filter;  // --filter first
  std::vector<std::string> args;
  std::string_view input;
  std::string_view expected;  // standard output; the input itself when echoed
  bool echoed;
  int status;
  std::string_view errors;  // standard error
  Env env;
  int filler_mib = 0;  // this many MiB of "a\n" lines before the input (and output)
};

using namespace std::string_view_literals;

const FilterRow kFilterRows[] = {
    // A conversion rewrites the token alone, the rest of the line kept.
    {"--to css-rgb on a CSS line",
     true,
     {"--no-dialog", "--to", "css-rgb"},
     "color: #ff8000;\n",
     "color: rgb(255, 128, 0);\n",
     false,
     0,
     "",
     Env::kNoToolkit},
    // --set in the token's own notation (pascal-hex: red in the low byte).
    {"--set in pascal-hex",
     true,
     {"--no-dialog", "--set", "#0000ff"},
     "x := $0080FF;\n",
     "x := $FF0000;\n",
     false,
     0,
     "",
     Env::kNoToolkit},
    // --at 15 is the second token's first byte.
    {"--at picks the second colour",
     true,
     {"--no-dialog", "--at", "15", "--set", "#ff0000"},
     "a: #111111; b: #222222;\n",
     "a: #111111; b: #ff0000;\n",
     false,
     0,
     "",
     Env::kNoToolkit},
    {"no colour: 2, echoed",
     true,
     {"--no-dialog", "--to", "css-hex"},
     "no colour here\n",
     "",
     true,
     2,
     "",
     Env::kNoToolkit},
    // --verbose tells why even when standard error is no terminal.
    {"--verbose says why",
     true,
     {"--no-dialog", "--to", "css-hex", "--verbose"},
     "nothing\n",
     "",
     true,
     2,
     "tintra: no colour in the input\n",
     Env::kNoToolkit},
    // Empty input: the --set colour alone, in the notation it was given in.
    {"empty input, --set alone",
     true,
     {"--no-dialog", "--set", "rgb(1, 2, 3)"},
     "",
     "rgb(1, 2, 3)",
     false,
     0,
     "",
     Env::kNoToolkit},
    // ... and followed by the input's line break.
    {"CR LF input, --set and --to",
     true,
     {"--no-dialog", "--set", "#010203", "--to", "hex-0x"},
     "\r\n",
     "0x010203\r\n",
     false,
     0,
     "",
     Env::kNoToolkit},
    {"wrong option: 64, echoed, quiet",
     true,
     {"--bogus"},
     "color: #ff8000;\n",
     "",
     true,
     64,
     "",
     Env::kNoToolkit},
    {"--no-dialog alone: 64",
     true,
     {"--no-dialog"},
     "color: #ff8000;\n",
     "",
     true,
     64,
     "",
     Env::kNoToolkit},
    {"--to with no notation's name: 64",
     true,
     {"--no-dialog", "--to", "css-rbg"},
     "#ff8000\n",
     "",
     true,
     64,
     "",
     Env::kNoToolkit},
    // Bytes of any value around the colour, NULs included, stay.
    {"binary input with a colour",
     true,
     {"--no-dialog", "--to", "hex-0x"},
     "\0\xff\xfe#00ff00\x80\0\xc3\n"sv,
     "\0\xff\xfe"
     "0x00FF00\x80\0\xc3\n"sv,
     false,
     0,
     "",
     Env::kNoToolkit},
    // Read in parts and written whole: 16 MiB before the colour.
    {"16 MiB of text before the colour",
     true,
     {"--no-dialog", "--to", "css-rgb"},
     "#ff8000\n",
     "rgb(255, 128, 0)\n",
     false,
     0,
     "",
     Env::kNoToolkit,
     16},
    // The dialog needs a display: none, so 3 and the input back.
    {"no display: 3, echoed", true, {}, "color: #ff8000;\n", "", true, 3, "", Env::kNoDisplay},
    // The input is searched first: no colour is 2 without a toolkit.
    {"no colour, dialog wanted: 2", true, {}, "nothing here\n", "", true, 2, "", Env::kNoToolkit},
    // Without --filter: the clipboard mode says why it cannot start.
    {"clipboard mode without display",
     false,
     {},
     "",
     "",
     false,
     1,
     "tintra: cannot open display\n",
     Env::kNoDisplay},
    {"--version",
     false,
     {"--version"},
     "",
     "tintra " TINTRA_TEST_VERSION "\n",
     false,
     0,
     "",
     Env::kNoToolkit},
};

// Shows bytes as C escapes, for a failure's message.
std::string Escaped(std::string_view bytes) {
  if (bytes.size() > 200) {
    return Escaped(bytes.substr(0, 100)) + "..." + Escaped(bytes.substr(bytes.size() - 100));
  }
  std::string text = "\"";
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F && c != '\\' && c != '"') {
      text += c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", b);
      text += hex;
    }
  }
  return text + "\"";
}

void RunFilterRow(const FilterRow& row) {
  std::printf("-- %s\n", row.name);
  std::vector<std::string> args;
  if (row.filter) args.push_back("--filter");
  args.insert(args.end(), row.args.begin(), row.args.end());
  std::vector<std::string> environment = {"DISPLAY", "WAYLAND_DISPLAY"};
  environment.push_back(row.env == Env::kNoToolkit ? "QT_QPA_PLATFORM=tintra-test-none"
                                                   : "QT_QPA_PLATFORM");
  std::string filler;
  for (int i = 0; i < row.filler_mib; ++i) {
    for (int line = 0; line < (1 << 19); ++line) filler += "a\n";
  }
  const std::string input = filler + std::string(row.input);
  TintraRun run;
  if (!LaunchTintra(run, args, input, environment)) return;
  if (!FinishRun(run, row.status)) return;
  const std::string expected = row.echoed ? input : filler + std::string(row.expected);
  CheckEqual("standard output", Escaped(expected), Escaped(run.output));
  CheckEqual("standard error", Escaped(row.errors), Escaped(run.errors));
}

// ---------------------------------------------------------------------------
// The filter with its dialog: what is done in it, what comes out.

enum class Action {
  kStripPress,  // a press on strip `strip` at channel value `value`, then OK
  kTypeRed,     // `typed` over the red field's text, then OK
  kStripDrag,   // a press on strip `strip` at `value`, a drag far right of the window, OK
  kCancel,      // a strip press as kStripPress, then Cancel
  kEyedropper,  // the eyedropper picks with a nudge (eyedropper_rows.inc), then OK
  kOk,          // OK alone
};

#include "tests/linux/eyedropper_rows.inc"

// The action's presses in the dialog, then OK or Cancel.
void Act(TintraRun& run, Action action, int strip, int value, const char* typed) {
  const DialogLayout& l = run.layout;
  switch (action) {
    case Action::kStripPress:
    case Action::kCancel:
      PressStrip(run, strip, value);
      break;
    case Action::kStripDrag: {
      const PixelRect& r = l.strips[static_cast<std::size_t>(strip)].logical;
      const std::string y = std::to_string(ToPhysical(r.y + r.height / 2, Dpi()));
      const std::string beyond = std::to_string(l.client.physical.width + 40);
      Run({"xdotool", "mousemove", "--window", run.dialog,
           std::to_string(ToPhysical(r.x + value, Dpi())), y, "mousedown", "1"});
      Run({"xdotool", "mousemove", "--window", run.dialog, beyond, y, "mouseup", "1"});
      break;
    }
    case Action::kTypeRed:
      ClickIn(run.dialog, l.channel_fields[0].physical);
      Run({"xdotool", "key", "--clearmodifiers", "ctrl+a"});
      Run({"xdotool", "type", "--delay", "20", typed});
      break;
    case Action::kEyedropper:
      PickWithNudge(run);
      break;
    case Action::kOk:
      break;
  }
  ClickIn(run.dialog, action == Action::kCancel ? l.cancel_button.physical : l.ok_button.physical);
}

struct FilterDialogRow {
  const char* name;
  std::string_view input;
  const char* swatch;  // "r g b" the dialog opens on
  Action action;
  int strip;
  int value;
  const char* chooser_keys;   // nullptr: no chooser
  std::string_view expected;  // standard output
  int status;
};

const FilterDialogRow kFilterDialogRows[] = {
    // Only the token's digits change.
    {"filter: OK after a red strip press", "color: #010203; /* \xc3\xa9 */\n", "1 2 3",
     Action::kStripPress, 0, 100, nullptr, "color: #640203; /* \xc3\xa9 */\n", 0},
    {"filter: Cancel echoes", "color: #010203;\n", "1 2 3", Action::kCancel, 0, 100, nullptr,
     "color: #010203;\n", 1},
    // Empty input: black, then the chooser's second notation (css-rgb).
    {"filter: empty input, chooser", "\n", "0 0 0", Action::kOk, 0, 0, "Down Return",
     "rgb(0, 0, 0)\n", 0},
    {"filter: empty input, chooser closed", "\n", "0 0 0", Action::kOk, 0, 0, kCloseChooserKeys,
     "\n", 1},
};

void RunFilterDialogRow(const FilterDialogRow& row) {
  std::printf("-- %s\n", row.name);
  TintraRun run;
  if (!StartTintra(run, 0, row.swatch, {"--filter"}, std::string(row.input))) return;
  Act(run, row.action, row.strip, row.value, nullptr);
  if (row.chooser_keys != nullptr) UseChooser(run, false, row.chooser_keys);
  if (!FinishRun(run, row.status)) return;
  CheckEqual("standard output", Escaped(row.expected), Escaped(run.output));
  CheckEqual("standard error", Escaped(""), Escaped(run.errors));
}

// ---------------------------------------------------------------------------
// The clipboard mode: the clipboard's text in, the same text with its first
// colour rewritten out (tintra exits with 0 on every path).

struct ClipboardRow {
  const char* name;
  Start start;
  const char* clipboard;  // UTF-8, kText only
  const char* target;     // the one target it is offered as; nullptr: xclip's own
  int alpha_flag;         // of the dialog
  const char* swatch;     // "r g b" the dialog opens on, when opaque; "" otherwise
  Action action;
  int strip, value;
  const char* typed;
  const char* chooser_keys;  // nullptr: no chooser
  const char* expected;      // the clipboard text at the end; nullptr: no text
  bool bitmap_kept;
  bool french;  // a French locale: French titles
};

const ClipboardRow kClipboardRows[] = {
    // A whole CSS line: only the token's digits change.
    {"CSS line rewritten in place", Start::kText, "color: #010203;", nullptr, 0, "1 2 3",
     Action::kStripPress, 0, 100, nullptr, nullptr, "color: #640203;", false, false},
    {"Cancel leaves the clipboard", Start::kText, "color: #010203;", nullptr, 0, "1 2 3",
     Action::kCancel, 0, 100, nullptr, nullptr, "color: #010203;", false, false},
    // OK on an unchanged colour: the text as it was, spaces and all.
    {"OK unchanged keeps every byte", Start::kText, "  rgb(1,2,3)  ", nullptr, 0, "1 2 3",
     Action::kOk, 0, 0, nullptr, nullptr, "  rgb(1,2,3)  ", false, false},
    // Lower-case digits stay lower case; red is the low byte.
    {"$ff8000, red strip", Start::kText, "$ff8000", nullptr, 0, "0 128 255", Action::kStripPress, 0,
     100, nullptr, nullptr, "$ff8064", false, false},
    // Alpha kept; the classic notation's blanks kept.
    {"RGBA(, blue strip", Start::kText, "RGBA(10, 20,30,40)", nullptr, 1, "", Action::kStripPress,
     2, 0, nullptr, nullptr, "RGBA(10, 20,0,40)", false, false},
    // The line break after the token stays.
    {"$FF8000 with a line break", Start::kText, "$FF8000\r\n", nullptr, 0, "0 128 255",
     Action::kStripPress, 0, 100, nullptr, nullptr, "$FF8064\r\n", false, false},
    // A whole decimal number is a colour (red in the low byte).
    {"255, red field typed", Start::kText, "255", nullptr, 0, "255 0 0", Action::kTypeRed, 0, 0,
     "100", nullptr, "100", false, false},
    // Text without a colour: black, the chooser, the colour text alone.
    {"no colour, chooser", Start::kText, "hello", nullptr, 0, "0 0 0", Action::kStripPress, 0, 100,
     nullptr, "Down Return", "rgb(100, 0, 0)", false, false},
    {"no colour, chooser closed", Start::kText, "hello", nullptr, 0, "0 0 0", Action::kOk, 0, 0,
     nullptr, kCloseChooserKeys, "hello", false, false},
    {"empty clipboard, chooser", Start::kEmpty, nullptr, nullptr, 0, "0 0 0", Action::kOk, 0, 0,
     nullptr, "Return", "#000000", false, false},
    {"empty clipboard, chooser closed", Start::kEmpty, nullptr, nullptr, 0, "0 0 0", Action::kOk, 0,
     0, nullptr, kCloseChooserKeys, nullptr, false, false},
    // An image is no text; closing the chooser keeps it, a choice replaces it.
    {"image, chooser closed", Start::kBitmap, nullptr, nullptr, 0, "0 0 0", Action::kOk, 0, 0,
     nullptr, kCloseChooserKeys, nullptr, true, false},
    {"image, hex-0x chosen", Start::kBitmap, nullptr, nullptr, 0, "0 0 0", Action::kOk, 0, 0,
     nullptr, "Down Down Down Return", "0x000000", false, false},
    // An owner that offers text/plain;charset=utf-8 alone; a French locale.
    {"UTF-8-only owner, French", Start::kText, "couleur\xc2\xa0: #010203; // \xc3\xa9t\xc3\xa9",
     "text/plain;charset=utf-8", 0, "1 2 3", Action::kStripPress, 0, 100, nullptr, nullptr,
     "couleur\xc2\xa0: #640203; // \xc3\xa9t\xc3\xa9", false, true},
    // Outside the window the drag still holds (Qt's grab) and stops at 255.
    {"red strip dragged past the window", Start::kText, "RGB(1,2,3)", nullptr, 0, "1 2 3",
     Action::kStripDrag, 0, 100, nullptr, nullptr, "RGB(255,2,3)", false, false},
    // The pixel (101, 90) of the root window's tile.
    {"eyedropper pick with a nudge", Start::kText, "RGB(1,2,3)", nullptr, 0, "1 2 3",
     Action::kEyedropper, 0, 0, nullptr, nullptr, "RGB(101,90,0)", false, false},
};

void RunClipboardRow(const ClipboardRow& row) {
  std::printf("-- %s\n", row.name);
  if (!Check(PrepareClipboard(row.start, row.clipboard, row.target), "clipboard prepared", "done",
             "failed"))
    return;
  TintraRun run;
  if (!StartTintra(run, row.alpha_flag, row.swatch, {}, "",
                   row.french ? kFrenchLocale : kEnglishLocale,
                   row.french ? kFrenchDialogTitle : kEnglishDialogTitle))
    return;
  CheckCanvas(run.dialog, row.start == Start::kText ? row.clipboard : "");
  Act(run, row.action, row.strip, row.value, row.typed);
  if (row.chooser_keys != nullptr) {
    UseChooser(run, row.french, row.chooser_keys);
  }
  if (!FinishRun(run)) return;
  const std::optional<std::string> expected =
      row.expected ? std::optional<std::string>(row.expected) : std::nullopt;
  CheckEqual("clipboard text", Shown(expected), Shown(ClipboardText()));
  CheckEqual("image on the clipboard", row.bitmap_kept ? "yes" : "no",
             ClipboardHasImage() ? "yes" : "no");
}

// An owner of the clipboard that never answers: it takes the selection with
// a window of its own and leaves every request waiting.
struct SilentOwner {
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  xcb_window_t window = XCB_WINDOW_NONE;
  xcb_atom_t clipboard = XCB_ATOM_NONE;
  SilentOwner() = default;
  SilentOwner(const SilentOwner&) = delete;
  SilentOwner& operator=(const SilentOwner&) = delete;
  ~SilentOwner() { xcb_disconnect(x); }
  bool Take() {
    if (xcb_connection_has_error(x) != 0) return false;
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, 9, "CLIPBOARD"), nullptr);
    if (atom == nullptr) return false;
    clipboard = atom->atom;
    std::free(atom);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    window = xcb_generate_id(x);
    xcb_create_window(x, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_set_selection_owner(x, window, clipboard, XCB_CURRENT_TIME);
    return Owns();
  }
  bool Owns() {
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(x, xcb_get_selection_owner(x, clipboard), nullptr);
    const bool owns = owner != nullptr && owner->owner == window;
    std::free(owner);
    return owns;
  }
};

// Milliseconds from tintra's start to its dialog on black, or -1.
double TimeToBlackDialog(TintraRun& run) {
  const auto start = std::chrono::steady_clock::now();
  if (!StartTintra(run, 0, "0 0 0")) return -1;
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// A silent owner costs tintra about kClipboardReplyTimeoutMs (1 s), not
// the toolkit's several seconds: timed against an empty clipboard.
void RunSilentOwnerRow() {
  std::printf("-- silent clipboard owner\n");
  if (!Check(PrepareClipboard(Start::kEmpty, nullptr), "clipboard emptied", "done", "failed")) {
    return;
  }
  double empty_ms = -1;
  {
    TintraRun run;
    empty_ms = TimeToBlackDialog(run);
    ClickIn(run.dialog, run.layout.cancel_button.physical);  // no chooser after Cancel
    FinishRun(run);
  }
  SilentOwner owner;
  if (!Check(owner.Take(), "silent owner", "owns the clipboard", "does not")) return;
  TintraRun run;
  const double silent_ms = TimeToBlackDialog(run);
  std::printf("   dialog after %.0f ms (empty clipboard: %.0f ms)\n", silent_ms, empty_ms);
  Check(empty_ms >= 0 && silent_ms >= 0 && silent_ms - empty_ms < 1800, "time lost to the owner",
        "under 1.8 s", std::to_string(static_cast<int>(silent_ms - empty_ms)) + " ms");
  ClickIn(run.dialog, run.layout.cancel_button.physical);
  FinishRun(run);
  CheckEqual("owner after the run", "the silent one", owner.Owns() ? "the silent one" : "another");
}

}  // namespace
}  // namespace tintra::linuxtest

int main(int argc, char** argv) {
  using namespace tintra::linuxtest;
  std::vector<std::string> wanted;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--tintra") == 0 && i + 1 < argc) {
      g_tintra = argv[++i];
    } else if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc) {
      g_scale = std::atoi(argv[++i]);
    } else {
      wanted.push_back(argv[i]);
    }
  }
  if (g_tintra.empty() || g_scale < 1 || g_scale > 8 || std::getenv("DISPLAY") == nullptr) {
    std::fprintf(stderr,
                 "usage: standalone_linuxtest --tintra PATH [--scale N] [NAME]"
                 " (on an X display)\n");
    return 2;
  }
  // A reader that goes away makes writes fail, not the test end; the
  // programs it starts get the default back (StartProcess).
  signal(SIGPIPE, SIG_IGN);
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each row's lines as they come, even in a pipe
  std::printf("tintra %s at %d DPI\n", g_tintra.c_str(), Dpi());
  const auto selected = [&](const char* name) {
    for (const std::string& w : wanted) {
      if (std::string(name).find(w) != std::string::npos) return true;
    }
    return wanted.empty();
  };
  // The rows without a display do not depend on the scale: run at 1 only.
  for (const FilterRow& row : kFilterRows) {
    if (g_scale == 1 && selected(row.name)) RunFilterRow(row);
  }
  for (const FilterDialogRow& row : kFilterDialogRows) {
    if (selected(row.name)) RunFilterDialogRow(row);
  }
  for (const ClipboardRow& row : kClipboardRows) {
    if (selected(row.name)) RunClipboardRow(row);
  }
  if (selected("silent clipboard owner")) RunSilentOwnerRow();
  EndHolders();
  std::printf("%d checks, %d failed\n", g_checks, g_failed);
  return g_failed == 0 ? 0 : 1;
}
