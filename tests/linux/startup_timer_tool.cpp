// Start-up of a program to its first painted window, as the X server sees
// it: the program is started, its top-level window maps on the root (run it
// without a window manager), and the window's middle pixel is read until it
// is no longer black (the unpainted window). With --until-exit, the time
// from the start to the program's exit instead (no display needed). Runs
// the programs in turn, alternating, and prints each median and their ratio.
//
//   startup_timer_tool [--input TEXT] [--until-exit] RUNS COMMAND_A COMMAND_B
// COMMAND_x: the program and its arguments, separated by spaces; TEXT is
// each start's standard input (else none).
//   prints "A median-ms M", "B median-ms M", "ratio B/A R"
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTimeoutMs = 10000;

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Whether the window's middle pixel has been painted (is not black).
bool Painted(xcb_connection_t* x, xcb_window_t window) {
  auto geometry = std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)>(
      xcb_get_geometry_reply(x, xcb_get_geometry(x, window), nullptr), &std::free);
  if (!geometry) return false;
  const int16_t cx = static_cast<int16_t>(geometry->width / 2);
  const int16_t cy = static_cast<int16_t>(geometry->height / 3);
  auto image = std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)>(
      xcb_get_image_reply(
          x, xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, window, cx, cy, 1, 1, 0xFFFFFFFF),
          nullptr),
      &std::free);
  if (!image || xcb_get_image_data_length(image.get()) < 3) return false;
  const uint8_t* p = xcb_get_image_data(image.get());
  return (p[0] | p[1] | p[2]) != 0;
}

// The words of a command line separated by spaces.
std::vector<std::string> Words(const std::string& command) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < command.size()) {
    const std::size_t end = std::min(command.find(' ', at), command.size());
    if (end > at) words.push_back(command.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

// Starts `command` with `input` on its standard input through a pipe (the
// whole of it written before the return; it must fit the pipe), its outputs
// to /dev/null. -1 when it could not be started.
pid_t Start(const std::string& command, const std::string& input) {
  std::vector<std::string> words = Words(command);
  if (words.empty()) return -1;
  int in[2];
  if (pipe2(in, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  // SIGPIPE as outside this tool, which ignores it.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t pipe_signal;
  sigemptyset(&pipe_signal);
  sigaddset(&pipe_signal, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &pipe_signal);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  // A program that ends without reading leaves the rest unwritten.
  for (std::size_t done = 0; spawned == 0 && done < input.size();) {
    const ssize_t n = write(in[1], input.data() + done, input.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  close(in[1]);
  return spawned == 0 ? pid : -1;
}

// One run of `command` to its exit: milliseconds, or -1.
double TimeOneRun(const std::string& command, const std::string& input) {
  const Clock::time_point start = Clock::now();
  const pid_t pid = Start(command, input);
  if (pid < 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  const double ms = Ms(Clock::now() - start);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ms : -1;
}

// One start of `command`: milliseconds to its painted window, or -1.
double TimeOneStart(xcb_connection_t* x, xcb_window_t root, const std::string& command,
                    const std::string& input) {
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(x);
  const Clock::time_point start = Clock::now();
  const pid_t pid = Start(command, input);
  if (pid < 0) return -1;
  double result = -1;
  xcb_window_t mapped = XCB_WINDOW_NONE;
  while (Ms(Clock::now() - start) < kTimeoutMs) {
    while (xcb_generic_event_t* e = xcb_poll_for_event(x)) {
      if ((e->response_type & 0x7F) == XCB_MAP_NOTIFY) {
        mapped = reinterpret_cast<xcb_map_notify_event_t*>(e)->window;
      }
      std::free(e);
    }
    if (mapped != XCB_WINDOW_NONE && Painted(x, mapped)) {
      result = Ms(Clock::now() - start);
      break;
    }
    timespec pause{0, 200000};  // 0.2 ms between looks
    nanosleep(&pause, nullptr);
  }
  const uint32_t none = 0;
  xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &none);
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  while (xcb_generic_event_t* e = xcb_poll_for_event(x)) std::free(e);
  return result;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? -1 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  std::string input;
  bool until_exit = false;
  int first = 1;
  for (; first < argc; ++first) {
    if (std::strcmp(argv[first], "--input") == 0 && first + 1 < argc) {
      input = argv[++first];
    } else if (std::strcmp(argv[first], "--until-exit") == 0) {
      until_exit = true;
    } else {
      break;
    }
  }
  if (argc - first != 3 || std::atoi(argv[first]) < 1) {
    std::fprintf(stderr,
                 "usage: startup_timer_tool [--input TEXT] [--until-exit] RUNS COMMAND_A "
                 "COMMAND_B\n");
    return 2;
  }
  signal(SIGPIPE, SIG_IGN);  // a program that ends unread fails the write, not the tool
  const int runs = std::atoi(argv[first]);
  const std::string a_command = argv[first + 1];
  const std::string b_command = argv[first + 2];
  xcb_connection_t* x = nullptr;
  xcb_window_t root = XCB_WINDOW_NONE;
  if (!until_exit) {
    x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x) != 0) {
      std::fprintf(stderr, "startup_timer_tool: no X display\n");
      xcb_disconnect(x);
      return 2;
    }
    root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
  }
  const auto time = [&](const std::string& command) {
    return until_exit ? TimeOneRun(command, input) : TimeOneStart(x, root, command, input);
  };
  std::vector<double> a;
  std::vector<double> b;
  time(a_command);  // caches warmed for both alike
  time(b_command);
  for (int i = 0; i < runs; ++i) {
    const double ta = time(a_command);
    const double tb = time(b_command);
    if (ta < 0 || tb < 0) {
      std::fprintf(stderr, "startup_timer_tool: a run failed or did not paint within %d ms\n",
                   kTimeoutMs);
      if (x != nullptr) xcb_disconnect(x);
      return 1;
    }
    a.push_back(ta);
    b.push_back(tb);
  }
  if (x != nullptr) xcb_disconnect(x);
  const double ma = Median(a);
  const double mb = Median(b);
  std::printf("A median-ms %.2f\nB median-ms %.2f\nratio B/A %.2f\n", ma, mb, mb / ma);
  return 0;
}
