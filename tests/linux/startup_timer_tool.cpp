// Start-up of a program to its first painted window, as the X server sees
// it: the program is started, its top-level window maps on the root (run it
// without a window manager), and the window's middle pixel is read until it
// is no longer black (the unpainted window). Runs the programs in turn,
// alternating, and prints each median and their ratio.
//
//   startup_timer_tool RUNS PROGRAM_A PROGRAM_B
//   prints "A median-ms M", "B median-ms M", "ratio B/A R"
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

// One start of `program`: milliseconds to its painted window, or -1.
double TimeOneStart(xcb_connection_t* x, xcb_window_t root, const char* program) {
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(x);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::string name = program;
  char* argv[] = {name.data(), nullptr};
  pid_t pid = -1;
  const Clock::time_point start = Clock::now();
  const int spawned = posix_spawn(&pid, program, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
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
  if (argc != 4 || std::atoi(argv[1]) < 1) {
    std::fprintf(stderr, "usage: startup_timer_tool RUNS PROGRAM_A PROGRAM_B\n");
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(x) != 0) {
    std::fprintf(stderr, "startup_timer_tool: no X display\n");
    return 2;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
  std::vector<double> a;
  std::vector<double> b;
  TimeOneStart(x, root, argv[2]);  // caches warmed for both alike
  TimeOneStart(x, root, argv[3]);
  for (int i = 0; i < runs; ++i) {
    const double ta = TimeOneStart(x, root, argv[2]);
    const double tb = TimeOneStart(x, root, argv[3]);
    if (ta < 0 || tb < 0) {
      std::fprintf(stderr, "startup_timer_tool: a window did not paint within %d ms\n", kTimeoutMs);
      xcb_disconnect(x);
      return 1;
    }
    a.push_back(ta);
    b.push_back(tb);
  }
  xcb_disconnect(x);
  const double ma = Median(a);
  const double mb = Median(b);
  std::printf("A median-ms %.1f\nB median-ms %.1f\nratio B/A %.2f\n", ma, mb, mb / ma);
  return 0;
}
