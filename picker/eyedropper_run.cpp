#include "picker/eyedropper_run.h"

#include <algorithm>
#include <array>

namespace tintra {

namespace {

int PixelSize(PixelLayout layout) {
  return layout == PixelLayout::kBgr24 || layout == PixelLayout::kRgb24 ? 3 : 4;
}

bool RedFirst(PixelLayout layout) {
  return layout == PixelLayout::kRgb24 || layout == PixelLayout::kRgbx32;
}

// Appends a request of `kind`; the caller fills in what else it says.
EyedropperRequest& Record(EyedropperRun& run, EyedropperRequestKind kind) {
  EyedropperRequest& r = run.requests.emplace_back();
  r.kind = kind;
  return r;
}

// Every way out: what the run holds of the platform is given back first.
void End(EyedropperRun& run) {
  if (run.phase == EyedropperPhase::kEnded) return;
  if (run.captured_window != 0) {
    Record(run, EyedropperRequestKind::kReleasePointer).window = run.captured_window;
  }
  if (run.watching) Record(run, EyedropperRequestKind::kStopWatching);
  run.captured_window = 0;
  run.watching = false;
  run.phase = EyedropperPhase::kEnded;
  Record(run, EyedropperRequestKind::kEndRun);
}

// The colour of the last update is the pick; the run ends on the release.
void Pick(EyedropperRun& run, EyedropperInput input) {
  run.picked = true;
  run.phase = input == EyedropperInput::kLeftButton ? EyedropperPhase::kAwaitingButtonUp
                                                    : EyedropperPhase::kAwaitingEnterUp;
  run.watching = true;
  EyedropperRequest& watch = Record(run, EyedropperRequestKind::kWatchRelease);
  watch.input = input;
  watch.ms = kEyedropperReleasePollMs;
}

// Records one step of the sequence and has the shell carry it out (with
// whatever was recorded before it); the step's result.
bool Step(EyedropperRun& run, const EyedropperShell& shell, EyedropperRequestKind kind,
          int ms = 0) {
  CarryOutEyedropperRequests(run, shell);
  EyedropperRequest r;
  r.kind = kind;
  r.ms = ms;
  // The magnifier opens at the size it has over the primary monitor.
  if (!run.monitors.empty()) r.side = MagnifierSide(run.monitors.front().dpi);
  return shell.carry_out(shell.context, r);
}

}  // namespace

ColorValue ViewPixelAt(const PixelView& view, int x, int y) {
  const int size = PixelSize(view.layout);
  if (view.bytes == nullptr || view.width < 1 || view.height < 1 ||
      view.stride < static_cast<std::ptrdiff_t>(view.width) * size) {
    return 0;
  }
  if (x < 0 || y < 0 || x >= view.width || y >= view.height) return 0;
  const std::uint8_t* p = view.bytes + static_cast<std::ptrdiff_t>(y) * view.stride +
                          static_cast<std::ptrdiff_t>(x) * size;
  const bool red_first = RedFirst(view.layout);
  return ComposeColor(red_first ? p[0] : p[2], p[1], red_first ? p[2] : p[0]);
}

ColorValue FillMagnifier(Image& magnifier, const MonitorRect& monitor, const PixelView& capture,
                         int x, int y) {
  std::array<ColorValue, kZoomSize * kZoomSize> zoom{};  // black where nothing is copied
  const ZoomCopy copy = ZoomSource(monitor, x, y);
  for (int row = 0; row < copy.height; ++row) {
    for (int column = 0; column < copy.width; ++column) {
      zoom[static_cast<std::size_t>((copy.dest_y + row) * kZoomSize + copy.dest_x + column)] =
          ViewPixelAt(capture, copy.src_x + column, copy.src_y + row);
    }
  }
  const int side = MagnifierSide(monitor.dpi);
  if (magnifier.width != side || magnifier.height != side || magnifier.bits != 24 ||
      magnifier.pixels.size() != static_cast<std::size_t>(side) * side) {
    magnifier = CreateImage(side, side, 24);
  }
  for (int v = 0; v < side; ++v) {
    for (int u = 0; u < side; ++u) {
      const MagnifierPixel shown = ScaledMagnifierPixelAt(u, v, side);
      ColorValue c =
          shown.frame ? 0 : zoom[static_cast<std::size_t>(shown.zoom_y * kZoomSize + shown.zoom_x)];
      if (shown.inverted) c ^= kRgbMask;
      magnifier.pixels[static_cast<std::size_t>(v) * side + u] = c;
    }
  }
  return zoom[kZoomCentre * kZoomSize + kZoomCentre];
}

bool CaptureFits(int width, int height) {
  return width > 0 && height > 0 &&
         static_cast<long long>(width) * static_cast<long long>(height) <= kMaxCapturePixels;
}

void CarryOutEyedropperRequests(EyedropperRun& run, const EyedropperShell& shell) {
  while (!run.requests.empty()) {
    std::vector<EyedropperRequest> batch;
    batch.swap(run.requests);
    for (const EyedropperRequest& r : batch) shell.carry_out(shell.context, r);
  }
}

bool RunEyedropperSequence(EyedropperRun& run, ColorValue& kept, const EyedropperShell& shell) {
  using K = EyedropperRequestKind;
  run = StartEyedropperRun(kept);
  Step(run, shell, K::kHideDialog);
  Step(run, shell, K::kWait, kEyedropperHideWaitMs);
  Step(run, shell, K::kDropInput);
  // A close request may come at any step (the dialog's): the run is over then.
  if (run.phase == EyedropperPhase::kCapturing) Step(run, shell, K::kFreezeScreens);
  if (run.phase == EyedropperPhase::kCapturing && !run.monitors.empty() &&
      Step(run, shell, K::kOpenMagnifier)) {
    BeginEyedropperPicking(run);
    CarryOutEyedropperRequests(run, shell);
    if (run.phase != EyedropperPhase::kEnded) Step(run, shell, K::kPick);
  }
  End(run);  // no capture is read once the windows close
  Step(run, shell, K::kCloseWindows);
  run.windows.clear();  // the system may give their handles to new windows
  Step(run, shell, K::kShowDialog);
  Step(run, shell, K::kRestoreFocus);
  kept = run.color;
  return run.picked;
}

EyedropperRun StartEyedropperRun(ColorValue kept) {
  EyedropperRun run;
  run.color = kept & kRgbMask;
  run.magnifier = CreateImage(kMagnifierSize, kMagnifierSize, 24);
  return run;
}

void AddEyedropperMonitor(EyedropperRun& run, const MonitorRect& monitor,
                          const PixelView& capture) {
  if (run.phase != EyedropperPhase::kCapturing) return;
  run.monitors.push_back(monitor);
  run.captures.push_back(capture);
}

void BeginEyedropperPicking(EyedropperRun& run) {
  if (run.phase != EyedropperPhase::kCapturing) return;
  if (run.monitors.empty()) return End(run);
  run.phase = EyedropperPhase::kPicking;
}

namespace {

int FindEyedropperShortcut(EyedropperKey key, KeyModifiers modifiers) {
  if (modifiers.control || modifiers.alt) return -1;
  for (int i = 0; i < kEyedropperShortcutCount; ++i) {
    if (kEyedropperShortcuts[i].key == key && kEyedropperShortcuts[i].shift == modifiers.shift) {
      return i;
    }
  }
  return -1;
}

void OnEyedropperPointerMove(EyedropperRun& run, ScreenPoint p) {
  if (run.phase != EyedropperPhase::kPicking) return;
  const int index = FindMonitorAt(run.monitors, p.x, p.y);
  if (index < 0) return;
  const auto i = static_cast<std::size_t>(index);
  const MonitorRect& monitor = run.monitors[i];
  run.current_monitor = index;
  EyedropperRequest& move = Record(run, EyedropperRequestKind::kMoveMagnifier);
  move.at = PlaceMagnifier(monitor, p.x, p.y);
  move.side = MagnifierSide(monitor.dpi);
  const PixelView none;
  run.color = FillMagnifier(run.magnifier, monitor,
                            i < run.captures.size() ? run.captures[i] : none, p.x, p.y);
  Record(run, EyedropperRequestKind::kShowMagnifier);
}

}  // namespace

void OnEyedropperShortcut(EyedropperRun& run, int index, std::optional<ScreenPoint> pointer) {
  if (index < 0 || index >= kEyedropperShortcutCount) return;
  if (run.phase == EyedropperPhase::kCapturing || run.phase == EyedropperPhase::kEnded) return;
  const EyedropperShortcut& s = kEyedropperShortcuts[index];
  if (s.key == EyedropperKey::kEscape) return End(run);
  if (run.phase != EyedropperPhase::kPicking) return;  // picked already: key repeats
  if (s.key == EyedropperKey::kEnter) return Pick(run, EyedropperInput::kEnter);
  if (!pointer) return;
  const ScreenPoint to = NudgePointer(run.monitors, *pointer, s.dx, s.dy);
  Record(run, EyedropperRequestKind::kMovePointer).at = to;
  OnEyedropperPointerMove(run, to);
}

namespace {

void OnEyedropperKeyDown(EyedropperRun& run, EyedropperKey key, KeyModifiers modifiers,
                         std::optional<ScreenPoint> pointer) {
  OnEyedropperShortcut(run, FindEyedropperShortcut(key, modifiers), pointer);
}

bool OnEyedropperButtonDown(EyedropperRun& run, int monitor) {
  if (run.phase != EyedropperPhase::kPicking || monitor < 0 ||
      static_cast<std::size_t>(monitor) >= run.monitors.size()) {
    return false;
  }
  // Captured by the monitor's own window, which the click came to.
  const auto own =
      std::find_if(run.windows.begin(), run.windows.end(),
                   [monitor](const EyedropperWindow& w) { return w.index == monitor && !w.frame; });
  if (own != run.windows.end()) {
    Record(run, EyedropperRequestKind::kCapturePointer).window = run.captured_window = own->handle;
  }
  Pick(run, EyedropperInput::kLeftButton);
  return true;
}

bool OnEyedropperButtonUp(EyedropperRun& run) {
  if (run.phase != EyedropperPhase::kAwaitingButtonUp) return false;
  End(run);
  return true;
}

bool OnEyedropperKeyUp(EyedropperRun& run, EyedropperKey key) {
  if (run.phase != EyedropperPhase::kAwaitingEnterUp || key != EyedropperKey::kEnter) return false;
  End(run);
  return true;
}

}  // namespace

void OnEyedropperReleasePoll(EyedropperRun& run, HeldInputs held) {
  EyedropperInput input;
  if (run.phase == EyedropperPhase::kAwaitingButtonUp && !held.left_button) {
    input = EyedropperInput::kLeftButton;
  } else if (run.phase == EyedropperPhase::kAwaitingEnterUp && !held.enter) {
    input = EyedropperInput::kEnter;
  } else {
    return;
  }
  Record(run, EyedropperRequestKind::kDropQueuedRelease).input = input;
  End(run);
}

void AddEyedropperWindow(EyedropperRun& run, std::uintptr_t handle, int index, bool frame) {
  if (handle != 0) run.windows.push_back({handle, index, frame});
}

const EyedropperWindow* FindEyedropperWindow(const EyedropperRun& run, std::uintptr_t handle) {
  for (const EyedropperWindow& w : run.windows) {
    if (handle != 0 && w.handle == handle) return &w;
  }
  return nullptr;
}

bool OnEyedropperEvent(EyedropperRun& run, const EyedropperEvent& event) {
  using K = EyedropperEventKind;
  const EyedropperWindow* own = FindEyedropperWindow(run, event.window);
  if (event.kind == K::kOther) return false;
  if (event.kind == K::kClose) {
    OnEyedropperCloseRequest(run);
    return own != nullptr;
  }
  if (own == nullptr) return true;  // stray: not for the hidden dialog
  if (own->frame || event.kind == K::kOtherInput) return false;
  switch (event.kind) {
    case K::kPointerMove:
      if (event.pointer) OnEyedropperPointerMove(run, *event.pointer);
      break;
    case K::kButtonDown:
      if (event.left_button) OnEyedropperButtonDown(run, own->index);
      break;
    case K::kButtonUp:
      if (event.left_button) OnEyedropperButtonUp(run);
      break;
    case K::kKeyDown:
      if (event.key) OnEyedropperKeyDown(run, *event.key, event.modifiers, event.pointer);
      break;
    case K::kKeyUp:
      if (event.key && !event.repeat) OnEyedropperKeyUp(run, *event.key);
      break;
    default:
      break;
  }
  return true;
}

void OnEyedropperCloseRequest(EyedropperRun& run) {
  End(run);
}

}  // namespace tintra
