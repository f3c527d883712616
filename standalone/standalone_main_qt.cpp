// tintra, the Linux program. Without arguments: the first colour of the
// clipboard's text edited in the picker and rewritten in place (or, without
// one, a colour chosen from scratch). With --filter: standard input to
// standard output for editors (frontend/filter.h). The toolkit lives in a
// module loaded only when a window or the clipboard is needed, so that a
// filter run without a dialog costs no more than a small program.
#include <dlfcn.h>
#include <errno.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/filter.h"
#include "frontend/standalone_pass.h"
#include "standalone/toolkit_module.h"

namespace tintra {
namespace {

constexpr char kProgram[] = "tintra";
constexpr int kInputError = 74;  // standard input or output failed (sysexits' EX_IOERR)

// ---------------------------------------------------------------------------
// Standard input and output.

// Standard input to its end, in chunks; false when reading failed (what was
// read is kept).
bool ReadAllInput(std::string& input) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    input.append(buffer, static_cast<std::size_t>(n));
  }
}

// All of `bytes`, through short writes and interruptions.
bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// A message for the person at the terminal, on its own line.
void Tell(std::string_view message) {
  if (message.empty()) return;
  std::string line(message);
  if (line.back() != '\n') line += '\n';
  WriteAll(STDERR_FILENO, line);
}

// ---------------------------------------------------------------------------
// The display, looked for before the toolkit starts: Qt aborts the process
// when it finds none.

bool X11DisplayAnswers() {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') return false;
  xcb_connection_t* x = xcb_connect(name, nullptr);
  const bool answers = xcb_connection_has_error(x) == 0;
  xcb_disconnect(x);
  return answers;
}

// The compositor's socket: $WAYLAND_DISPLAY, relative to $XDG_RUNTIME_DIR
// unless absolute.
bool WaylandDisplayAnswers() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  if (name == nullptr || *name == '\0') return false;
  std::string path = name;
  if (path[0] != '/') {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime == '\0') return false;
    path = std::string(runtime) + "/" + path;
  }
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool answers =
      ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return answers;
}

// Whether the platform Qt will use has a display to open. A platform named
// in QT_QPA_PLATFORM other than X11 or Wayland (offscreen, vnc...) is the
// toolkit's own affair.
bool DisplayReachable() {
  const char* platform_variable = std::getenv("QT_QPA_PLATFORM");
  const std::string_view platform = platform_variable != nullptr ? platform_variable : "";
  const bool names_xcb = platform.find("xcb") != std::string_view::npos;
  const bool names_wayland = platform.find("wayland") != std::string_view::npos;
  if (!platform.empty() && !names_xcb && !names_wayland) return true;
  if ((platform.empty() || names_xcb) && X11DisplayAnswers()) return true;
  return (platform.empty() || names_wayland) && WaylandDisplayAnswers();
}

// ---------------------------------------------------------------------------
// The shell the front-ends run over.

// The folder of the program's own file, with its final "/".
std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  const std::string file(path, static_cast<std::size_t>(n));
  return file.substr(0, file.rfind('/') + 1);
}

// The toolkit module, loaded once: beside the program (the build tree), or
// where the package puts it. Nothing when it cannot be loaded (`why` says).
const ToolkitModule* LoadToolkit(std::string& why) {
  static const ToolkitModule* module = nullptr;
  if (module != nullptr) return module;
  const std::string folder = ProgramFolder();
  for (const std::string& path :
       {folder + kToolkitModuleFile, folder + TINTRA_TOOLKIT_DIR + "/" + kToolkitModuleFile}) {
    if (::access(path.c_str(), R_OK) != 0) continue;
    // Never closed: the toolkit's code runs to the process's end.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      why = ::dlerror();
      return nullptr;
    }
    const auto entry = reinterpret_cast<ToolkitModuleEntry>(::dlsym(handle, kToolkitModuleEntry));
    module = entry != nullptr ? entry() : nullptr;
    if (module == nullptr) why = path + ": no toolkit entry";
    return module;
  }
  why = std::string("cannot find ") + kToolkitModuleFile;
  return nullptr;
}

// The toolkit of one run, started on demand; it outlives every window.
struct Toolkit {
  int argc = 1;
  char** argv = nullptr;  // the toolkit keeps references to both
  bool quiet = false;     // its own messages dropped
  bool tell = true;       // a failure to load it said on standard error
  const ToolkitModule* module = nullptr;
  Toolkit() = default;
  Toolkit(const Toolkit&) = delete;
  Toolkit& operator=(const Toolkit&) = delete;
  ~Toolkit() {
    if (module != nullptr) module->stop();
  }
};

bool OpenDisplay(void* context) {
  Toolkit& toolkit = *static_cast<Toolkit*>(context);
  if (toolkit.module != nullptr) return true;
  if (!DisplayReachable()) return false;
  std::string why;
  const ToolkitModule* module = LoadToolkit(why);
  if (module == nullptr) {
    if (toolkit.tell) Tell(std::string(kProgram) + ": " + why);
    return false;
  }
  module->start(&toolkit.argc, toolkit.argv, toolkit.quiet);
  toolkit.module = module;
  return true;
}

PickerAnswer Edit(void* context, ColorValue initial, std::string_view descriptor, int alpha_flag,
                  const PickerOptions& options) {
  const Toolkit& toolkit = *static_cast<Toolkit*>(context);
  if (toolkit.module == nullptr) return {initial, false};
  return toolkit.module->edit(initial, descriptor, alpha_flag, options);
}

int Choose(void* context, const ChooserList& list) {
  const Toolkit& toolkit = *static_cast<Toolkit*>(context);
  return toolkit.module != nullptr ? toolkit.module->choose(list) : 0;
}

FrontEndShell ShellOver(Toolkit& toolkit) {
  return FrontEndShell{&toolkit, &OpenDisplay, &Edit, &Choose};
}

Language LanguageOfLocale() {
  return LanguageFromLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

// The clipboard pass over the toolkit's clipboard (standalone/clipboard.h in
// the module), once the toolkit runs.
std::string ReadClipboard(void* context) {
  return static_cast<Toolkit*>(context)->module->read_clipboard();
}

std::optional<std::string> EditClipboardText(void* context, std::string_view text) {
  return RunClipboardPass(text, LanguageOfLocale(), ShellOver(*static_cast<Toolkit*>(context)));
}

bool WriteClipboard(void* context, std::string_view text) {
  return static_cast<Toolkit*>(context)->module->write_clipboard(text);
}

bool HasFilterFlag(const std::vector<std::string_view>& arguments) {
  for (const std::string_view a : arguments) {
    if (a == "--filter") return true;
  }
  return false;
}

// ---------------------------------------------------------------------------
// The two modes.

// --filter: standard input to standard output; the status of the filter's
// contract (kInputError when standard input or output failed).
int RunFilterMode(const FilterArguments& arguments, char* program) {
  const bool tell = arguments.verbose || ::isatty(STDERR_FILENO) == 1;
  std::string input;
  if (!ReadAllInput(input)) {
    const int error = errno;
    WriteAll(STDOUT_FILENO, input);
    if (tell) Tell(std::string(kProgram) + ": cannot read standard input: " + std::strerror(error));
    return kInputError;
  }
  // The filter's options are none of the toolkit's: it sees the name alone.
  char* toolkit_arguments[] = {program, nullptr};
  Toolkit toolkit;
  toolkit.argv = toolkit_arguments;
  toolkit.quiet = !arguments.verbose;
  toolkit.tell = tell;
  FilterOutcome outcome;
  try {
    outcome = RunFilter(input, arguments, LanguageOfLocale(), ShellOver(toolkit));
  } catch (const std::bad_alloc&) {
    // The text is the editor's: given back whatever failed.
    WriteAll(STDOUT_FILENO, input);
    if (tell) Tell(std::string(kProgram) + ": out of memory");
    return kInputError;
  }
  const bool written = WriteAll(STDOUT_FILENO, outcome.output);
  if (tell) Tell(outcome.message);
  if (!written) {
    if (tell) Tell(std::string(kProgram) + ": cannot write standard output");
    return kInputError;
  }
  return outcome.status;
}

// A wrong command line under --filter: the input echoed (it is an editor's
// text), the error told where a person reads it.
int RunUsageError(const FilterArguments& arguments) {
  std::string input;
  ReadAllInput(input);
  WriteAll(STDOUT_FILENO, input);
  if (arguments.verbose || ::isatty(STDERR_FILENO) == 1) {
    Tell(std::string(kProgram) + ": " + arguments.error + "\nTry '" + kProgram + " --help'.");
  }
  return kFilterUsage;
}

// Without --filter: the clipboard's text in, the same text with its colour
// rewritten out (other arguments are ignored, as they always were). 0 on every path but a missing
// display (1), as before.
int RunClipboardMode(int argc, char** argv) {
  if (!DisplayReachable()) {
    Tell(std::string(kProgram) + ": cannot open display");
    return 1;
  }
  Toolkit toolkit;
  toolkit.argc = argc;
  toolkit.argv = argv;
  if (!OpenDisplay(&toolkit)) return 1;
  RunStandalonePass({&toolkit, &ReadClipboard, &EditClipboardText, &WriteClipboard});
  return 0;
}

int Run(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], kClipboardKeeperFlag) == 0) {
    std::string why;
    const ToolkitModule* module = LoadToolkit(why);
    return module != nullptr ? module->run_keeper(argc, argv) : 1;
  }
  const std::vector<std::string_view> words(argv + 1, argv + argc);
  const FilterArguments arguments = ReadFilterArguments(words);
  const bool filter = HasFilterFlag(words);
  if (filter && !arguments.error.empty()) return RunUsageError(arguments);
  if (arguments.help) return WriteAll(STDOUT_FILENO, FilterHelpText(kProgram)) ? 0 : kInputError;
  if (arguments.version) return WriteAll(STDOUT_FILENO, VersionText(kProgram)) ? 0 : kInputError;
  static char kFallbackName[] = "tintra";
  if (filter) return RunFilterMode(arguments, argc > 0 ? argv[0] : kFallbackName);
  return RunClipboardMode(argc, argv);
}

}  // namespace
}  // namespace tintra

int main(int argc, char** argv) {
  try {
    return tintra::Run(argc, argv);
  } catch (const std::bad_alloc&) {
    // Memory ran out: the pass ends there. A filter's input may be lost;
    // the status says so.
    return tintra::kInputError;
  }
}
