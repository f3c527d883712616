#include "picker/eyedropper.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "picker/eyedropper_run.h"
#include "tests/rgba.h"

namespace tintra {
namespace {

// Layouts used below. The primary monitor is listed first.
const std::vector<MonitorRect> kSingle = {{0, 0, 1280, 1024}};
const std::vector<MonitorRect> kSideBySide = {{0, 0, 1280, 1024}, {1280, 0, 1024, 768}};
const std::vector<MonitorRect> kLeftOfPrimary = {{0, 0, 1920, 1080}, {-1280, 0, 1280, 1024}};
const std::vector<MonitorRect> kAbovePrimary = {{0, 0, 1920, 1080}, {0, -768, 1024, 768}};
const std::vector<MonitorRect> kMirrored = {{0, 0, 800, 600}, {0, 0, 800, 600}};
const std::vector<MonitorRect> kEmptyFirst = {{0, 0, 0, 600}, {0, 0, 800, 600}};
const std::vector<MonitorRect> kFarRight = {{INT_MAX - 9, INT_MAX - 9, 100, 100}};

struct HitCase {
  const std::vector<MonitorRect>* layout;
  int x, y;
  int expected;
};

TEST(EyedropperGeometry, FirstMonitorContainingThePointer) {
  const HitCase cases[] = {
      {&kSingle, 0, 0, 0},                 // top-left pixel
      {&kSingle, 1279, 1023, 0},           // bottom-right pixel
      {&kSingle, 1280, 0, -1},             // right edge excluded
      {&kSingle, 0, 1024, -1},             // bottom edge excluded
      {&kSingle, -1, 0, -1},               // left of the screen
      {&kSideBySide, 1279, 500, 0},        // last column of the primary
      {&kSideBySide, 1280, 500, 1},        // first column of the second
      {&kSideBySide, 2303, 767, 1},        // bottom-right pixel of the second
      {&kSideBySide, 2304, 0, -1},         // right of everything
      {&kSideBySide, 1500, 800, -1},       // gap below the smaller second monitor
      {&kLeftOfPrimary, -1, 0, 1},         // negative x, next to the primary
      {&kLeftOfPrimary, -1280, 1023, 1},   // outermost column and row of the left monitor
      {&kLeftOfPrimary, -1281, 0, -1},     // left of the left monitor
      {&kLeftOfPrimary, -5, 1030, -1},     // below the shorter left monitor
      {&kLeftOfPrimary, 0, 0, 0},          // primary origin
      {&kAbovePrimary, 0, -1, 1},          // negative y, just above the primary
      {&kAbovePrimary, 1023, -768, 1},     // top-right pixel of the upper monitor
      {&kAbovePrimary, 1024, -1, -1},      // right of the narrower upper monitor
      {&kMirrored, 10, 10, 0},             // same rectangle twice: the first wins
      {&kEmptyFirst, 0, 0, 1},             // a zero-width monitor covers nothing
      {&kFarRight, INT_MAX, INT_MAX, 0},   // left + width beyond the int range
      {&kFarRight, INT_MIN, INT_MIN, -1},  // the far opposite corner
  };
  for (const HitCase& c : cases) {
    EXPECT_EQ(FindMonitorAt(*c.layout, c.x, c.y), c.expected) << "pointer " << c.x << "," << c.y;
  }
  EXPECT_EQ(FindMonitorAt({}, 0, 0), -1);  // no monitor at all
}

struct PlaceCase {
  MonitorRect monitor;
  int x, y;
  int px, py;
};

TEST(EyedropperGeometry, MagnifierPlacementAndFlip) {
  const PlaceCase cases[] = {
      {{0, 0, 1280, 1024}, 100, 100, 116, 116},       // 16 right of and below the pointer
      {{0, 0, 1280, 1024}, 1144, 100, 1160, 116},     // px + 120 == right edge: no flip
      {{0, 0, 1280, 1024}, 1145, 100, 1008, 116},     // one further: left of the pointer
      {{0, 0, 1280, 1024}, 100, 888, 116, 904},       // py + 120 == bottom edge: no flip
      {{0, 0, 1280, 1024}, 100, 889, 116, 752},       // one further: above the pointer
      {{0, 0, 1280, 1024}, 1279, 1023, 1142, 886},    // bottom-right corner: both flip
      {{0, 0, 1280, 1024}, 0, 0, 16, 16},             // top-left corner
      {{1280, 0, 1024, 768}, 2303, 767, 2166, 630},   // corner of the second monitor
      {{1280, 0, 1024, 768}, 1280, 100, 1296, 116},   // left column of the second monitor
      {{0, 0, 1280, 1024}, 1279, 500, 1142, 516},     // primary's last column, second to its right
      {{-1280, 0, 1280, 1024}, -1, 10, -138, 26},     // left monitor: flips at its own edge
      {{-1280, 0, 1280, 1024}, -1280, 0, -1264, 16},  // left monitor's top-left pixel
      {{0, -768, 1024, 768}, 500, -1, 516, -138},     // upper monitor: flips at its own bottom
      {{0, -768, 1024, 768}, 1023, -1, 886, -138},    // upper monitor's bottom-right pixel
      {{INT_MAX - 9, 0, 100, 100}, INT_MAX, 0, INT_MAX - 137, -137},  // no overflow
  };
  for (const PlaceCase& c : cases) {
    const ScreenPoint p = PlaceMagnifier(c.monitor, c.x, c.y);
    EXPECT_EQ(p.x, c.px) << "pointer " << c.x << "," << c.y;
    EXPECT_EQ(p.y, c.py) << "pointer " << c.x << "," << c.y;
  }
}

struct ZoomCase {
  MonitorRect monitor;
  int x, y;
  ZoomCopy expected;
};

TEST(EyedropperGeometry, ZoomSourceClipsAtTheMonitorEdges) {
  const ZoomCase cases[] = {
      // inside: a full 17 x 17 block centred on the pointer
      {{0, 0, 1280, 1024}, 100, 100, {0, 0, 92, 92, 17, 17}},
      // top-left pixel: the capture starts at (8, 8); rows and columns 0..7 stay black
      {{0, 0, 1280, 1024}, 0, 0, {8, 8, 0, 0, 9, 9}},
      // bottom-right pixel: zoom columns and rows 9..16 stay black
      {{0, 0, 1280, 1024}, 1279, 1023, {0, 0, 1271, 1015, 9, 9}},
      // outermost column only
      {{0, 0, 1280, 1024}, 1279, 500, {0, 0, 1271, 492, 9, 17}},
      // one column in from the edge
      {{0, 0, 1280, 1024}, 1278, 500, {0, 0, 1270, 492, 10, 17}},
      // left monitor at negative x: its client x of -1 is 1279
      {{-1280, 0, 1280, 1024}, -1, 0, {0, 8, 1271, 0, 9, 9}},
      // upper monitor at negative y, pointer on its bottom row
      {{0, -768, 1024, 768}, 8, -1, {0, 0, 0, 759, 17, 9}},
      // second monitor: client coordinates are relative to its own origin
      {{1280, 0, 1024, 768}, 1280, 10, {8, 0, 0, 2, 9, 17}},
      // a monitor smaller than the zoom: black on both sides
      {{10, 20, 5, 3}, 12, 21, {6, 7, 0, 0, 5, 3}},
  };
  for (const ZoomCase& c : cases) {
    const ZoomCopy z = ZoomSource(c.monitor, c.x, c.y);
    const ZoomCopy& e = c.expected;
    EXPECT_EQ(z.dest_x, e.dest_x) << "pointer " << c.x << "," << c.y;
    EXPECT_EQ(z.dest_y, e.dest_y) << "pointer " << c.x << "," << c.y;
    EXPECT_EQ(z.src_x, e.src_x) << "pointer " << c.x << "," << c.y;
    EXPECT_EQ(z.src_y, e.src_y) << "pointer " << c.x << "," << c.y;
    EXPECT_EQ(z.width, e.width) << "pointer " << c.x << "," << c.y;
    EXPECT_EQ(z.height, e.height) << "pointer " << c.x << "," << c.y;
  }
}

// Wherever the pointer is on a monitor, its own pixel lands at (8, 8) and
// the copy stays within both the capture and the zoom image.
TEST(EyedropperGeometry, PointerPixelAlwaysLandsInTheCentre) {
  const MonitorRect monitors[] = {{-40, -30, 40, 30}, {7, 3, 20, 11}, {0, 0, 1, 1}};
  for (const MonitorRect& m : monitors) {
    for (int y = m.top; y < m.top + m.height; ++y) {
      for (int x = m.left; x < m.left + m.width; ++x) {
        const ZoomCopy z = ZoomSource(m, x, y);
        ASSERT_GT(z.width, 0);
        ASSERT_GT(z.height, 0);
        EXPECT_EQ(z.src_x + (kZoomCentre - z.dest_x), x - m.left);
        EXPECT_EQ(z.src_y + (kZoomCentre - z.dest_y), y - m.top);
        EXPECT_LE(z.dest_x, kZoomCentre);
        EXPECT_LE(z.dest_y, kZoomCentre);
        EXPECT_LE(z.dest_x + z.width, kZoomSize);
        EXPECT_LE(z.dest_y + z.height, kZoomSize);
        EXPECT_LE(z.src_x + z.width, m.width);
        EXPECT_LE(z.src_y + z.height, m.height);
      }
    }
  }
}

struct NudgeCase {
  const std::vector<MonitorRect>* layout;
  ScreenPoint from;
  int dx, dy;
  ScreenPoint expected;
};

TEST(EyedropperGeometry, NudgeLandsOnAMonitorPixel) {
  const NudgeCase cases[] = {
      {&kSingle, {100, 100}, 1, 0, {101, 100}},          // one pixel right
      {&kSingle, {100, 100}, 0, -10, {100, 90}},         // ten up
      {&kSingle, {1275, 5}, 10, 0, {1279, 5}},           // held at the right edge
      {&kSingle, {1279, 5}, 1, 0, {1279, 5}},            // already there: stays
      {&kSingle, {3, 1020}, -10, 0, {0, 1020}},          // held at the left edge
      {&kSingle, {3, 1020}, 0, 10, {3, 1023}},           // held at the bottom edge
      {&kSideBySide, {1279, 500}, 1, 0, {1280, 500}},    // across to the second monitor
      {&kSideBySide, {1279, 900}, 1, 0, {1279, 900}},    // beside the gap under the second: stays
      {&kSideBySide, {1300, 765}, 0, 10, {1300, 767}},   // stops at the second's bottom row
      {&kSideBySide, {1285, 800}, 0, -10, {1285, 800}},  // off every monitor: stays
      {&kSideBySide, {1285, 800}, 0, -40, {1285, 760}},  // ... unless the step reaches one
      {&kLeftOfPrimary, {2, 1000}, -10, 0, {-8, 1000}},  // onto the left monitor
      {&kLeftOfPrimary, {2, 1030}, -10, 0, {0, 1030}},   // below it: held at the primary's edge
      {&kAbovePrimary, {1020, 5}, 0, -10, {1020, -5}},   // up onto the upper monitor
      {&kAbovePrimary, {1030, 5}, 0, -10, {1030, 0}},    // beside it: the primary's top row
      {&kEmptyFirst, {0, 0}, 0, -1, {0, 0}},             // a zero-width monitor is no pixel
      {&kFarRight, {INT_MAX, INT_MAX}, 10, 10, {INT_MAX, INT_MAX}},  // no overflow
      {&kFarRight, {INT_MAX, INT_MAX}, -10, -10, {INT_MAX - 9, INT_MAX - 9}},
  };
  for (const NudgeCase& c : cases) {
    const ScreenPoint p = NudgePointer(*c.layout, c.from, c.dx, c.dy);
    EXPECT_EQ(p.x, c.expected.x) << "from " << c.from.x << "," << c.from.y << " by " << c.dx << ","
                                 << c.dy;
    EXPECT_EQ(p.y, c.expected.y) << "from " << c.from.x << "," << c.from.y << " by " << c.dx << ","
                                 << c.dy;
  }
  const ScreenPoint none = NudgePointer({}, {5, 6}, 1, 0);  // no monitor at all
  EXPECT_EQ(none.x, 5);
  EXPECT_EQ(none.y, 6);
}

struct PixelCase {
  int u, v;
  bool frame;
  int zoom_x, zoom_y;
  bool inverted;
};

TEST(EyedropperGeometry, MagnifierPixels) {
  const PixelCase cases[] = {
      {0, 0, true, -1, -1, false},       // frame corner
      {120, 5, true, -1, -1, false},     // right frame column
      {5, 120, true, -1, -1, false},     // bottom frame row
      {1, 1, false, 0, 0, false},        // first enlarged pixel
      {7, 7, false, 0, 0, false},        // last pixel of the first 7 x 7 block
      {8, 8, false, 1, 1, false},        // second block
      {119, 119, false, 16, 16, false},  // last enlarged pixel
      {56, 56, false, 7, 7, false},      // just before the centre block
      {57, 57, false, 8, 8, false},      // centre block 57..63
      {63, 63, false, 8, 8, false},     {64, 64, false, 9, 9, false},
      {60, 60, false, 8, 8, false},    // the crossing is inverted twice
      {61, 60, false, 8, 8, true},     // horizontal line
      {60, 59, false, 8, 8, true},     // vertical line
      {60, 0, true, -1, -1, true},     // the vertical line starts on the top frame
      {0, 60, true, -1, -1, true},     // the horizontal line starts on the left frame
      {60, 118, false, 8, 16, true},   // the vertical line ends at 118
      {60, 119, false, 8, 16, false},  // ... so the last enlarged row is untouched
      {118, 60, false, 16, 8, true},    {119, 60, false, 16, 8, false},
      {60, 120, true, -1, -1, false},  // bottom frame untouched
  };
  for (const PixelCase& c : cases) {
    const MagnifierPixel p = MagnifierPixelAt(c.u, c.v);
    EXPECT_EQ(p.frame, c.frame) << "pixel " << c.u << "," << c.v;
    EXPECT_EQ(p.zoom_x, c.zoom_x) << "pixel " << c.u << "," << c.v;
    EXPECT_EQ(p.zoom_y, c.zoom_y) << "pixel " << c.u << "," << c.v;
    EXPECT_EQ(p.inverted, c.inverted) << "pixel " << c.u << "," << c.v;
  }
}

// --- The run ------------------------------------------------------------------

// Capture pixel (x, y) of monitor `index`, spelt out: red the column, green
// the row, blue names the monitor (red on blue catches a swapped order).
ColorValue Pattern(int index, int x, int y) {
  return Rgba(x & 0xFF, y & 0xFF, 0x40 + index, 0);
}

// A capture of `m` in `layout` with two bytes of padding at each row's end.
std::vector<std::uint8_t> MakeCapture(int index, const MonitorRect& m, PixelLayout layout,
                                      PixelView& view) {
  const bool wide = layout == PixelLayout::kBgrx32 || layout == PixelLayout::kRgbx32;
  const bool red_first = layout == PixelLayout::kRgb24 || layout == PixelLayout::kRgbx32;
  const int size = wide ? 4 : 3;
  const int stride = m.width * size + 2;
  std::vector<std::uint8_t> bytes(static_cast<size_t>(stride) * m.height, 0xEE);
  for (int y = 0; y < m.height; ++y) {
    for (int x = 0; x < m.width; ++x) {
      std::uint8_t* p = &bytes[static_cast<size_t>(y) * stride + static_cast<size_t>(x) * size];
      const ColorValue c = Pattern(index, x, y);
      p[red_first ? 0 : 2] = c & 0xFF;
      p[1] = (c >> 8) & 0xFF;
      p[red_first ? 2 : 0] = (c >> 16) & 0xFF;
    }
  }
  view = {bytes.data(), m.width, m.height, stride, layout};
  return bytes;
}

enum class Ev { kMove, kKey, kShiftKey, kCtrlKey, kKeyUp, kDown, kUp, kPoll, kPollHeld, kClose };
struct Step {
  Ev ev;
  int x = 0;  // kMove, the keys: pointer; kDown: monitor
  int y = 0;
  EyedropperKey key = EyedropperKey::kEscape;
};
using K = EyedropperKey;
using R = EyedropperRequestKind;
using P = EyedropperPhase;
constexpr ColorValue kKept = 0x00ABCDEF;
constexpr ScreenPoint kKeptColor{-1, -1};

struct RunCase {
  const char* name;
  const std::vector<MonitorRect>* layout;
  std::vector<Step> steps;
  P phase;
  bool picked;
  ScreenPoint color_at;  // screen pixel of the colour, or kKeptColor
  int monitor;           // current monitor
  std::vector<R> last;   // requests of the last step
};

TEST(EyedropperRun, EventSequences) {
  const RunCase cases[] = {
      {"click picks and waits for the release",
       &kSingle,
       {{Ev::kMove, 100, 90}, {Ev::kDown, 0}},
       P::kAwaitingButtonUp,
       true,
       {100, 90},
       0,
       {R::kCapturePointer, R::kWatchRelease}},
      {"... which ends the run",
       &kSingle,
       {{Ev::kMove, 100, 90}, {Ev::kDown, 0}, {Ev::kUp}},
       P::kEnded,
       true,
       {100, 90},
       0,
       {R::kReleasePointer, R::kStopWatching, R::kEndRun}},
      {"release seen by the poll only",
       &kSingle,
       {{Ev::kMove, 7, 8}, {Ev::kDown, 0}, {Ev::kPoll}},
       P::kEnded,
       true,
       {7, 8},
       0,
       {R::kDropQueuedRelease, R::kReleasePointer, R::kStopWatching, R::kEndRun}},
      {"poll while held",
       &kSingle,
       {{Ev::kMove, 7, 8}, {Ev::kDown, 0}, {Ev::kPollHeld}},
       P::kAwaitingButtonUp,
       true,
       {7, 8},
       0,
       {}},
      {"click without a move takes the kept colour",
       &kSingle,
       {{Ev::kDown, 0}},
       P::kAwaitingButtonUp,
       true,
       kKeptColor,
       -1,
       {R::kCapturePointer, R::kWatchRelease}},
      {"press off the captures is not the run's",
       &kSingle,
       {{Ev::kDown, -1}, {Ev::kDown, 1}},
       P::kPicking,
       false,
       kKeptColor,
       -1,
       {}},
      {"Enter picks on its key-down",
       &kSingle,
       {{Ev::kMove, 5, 6}, {Ev::kKey, 5, 6, K::kEnter}},
       P::kAwaitingEnterUp,
       true,
       {5, 6},
       0,
       {R::kWatchRelease}},
      {"... and ends on its key-up",
       &kSingle,
       {{Ev::kMove, 5, 6}, {Ev::kKey, 5, 6, K::kEnter}, {Ev::kKeyUp, 0, 0, K::kEnter}},
       P::kEnded,
       true,
       {5, 6},
       0,
       {R::kStopWatching, R::kEndRun}},
      {"... not on the button's release",
       &kSingle,
       {{Ev::kMove, 5, 6}, {Ev::kKey, 5, 6, K::kEnter}, {Ev::kUp}, {Ev::kKeyUp, 0, 0, K::kLeft}},
       P::kAwaitingEnterUp,
       true,
       {5, 6},
       0,
       {}},
      {"Escape ends without a pick",
       &kSingle,
       {{Ev::kMove, 5, 6}, {Ev::kKey, 5, 6, K::kEscape}},
       P::kEnded,
       false,
       {5, 6},
       0,
       {R::kEndRun}},
      {"Shift+Escape and Ctrl+arrows do nothing",
       &kSingle,
       {{Ev::kMove, 5, 6}, {Ev::kShiftKey, 5, 6, K::kEscape}, {Ev::kCtrlKey, 5, 6, K::kLeft}},
       P::kPicking,
       false,
       {5, 6},
       0,
       {}},
      {"keys ignored once picked",
       &kSingle,
       {{Ev::kMove, 5, 6}, {Ev::kDown, 0}, {Ev::kKey, 5, 6, K::kEnter}, {Ev::kKey, 5, 6, K::kLeft}},
       P::kAwaitingButtonUp,
       true,
       {5, 6},
       0,
       {}},
      {"... but Escape, and the pick stands",
       &kSingle,
       {{Ev::kMove, 5, 6}, {Ev::kDown, 0}, {Ev::kKey, 5, 6, K::kEscape}},
       P::kEnded,
       true,
       {5, 6},
       0,
       {R::kReleasePointer, R::kStopWatching, R::kEndRun}},
      {"a close request ends",
       &kSingle,
       {{Ev::kMove, 5, 6}, {Ev::kClose}},
       P::kEnded,
       false,
       {5, 6},
       0,
       {R::kEndRun}},
      {"... also after Enter",
       &kSingle,
       {{Ev::kKey, 5, 6, K::kEnter}, {Ev::kClose}},
       P::kEnded,
       true,
       kKeptColor,
       -1,
       {R::kStopWatching, R::kEndRun}},
      {"a move to another monitor switches",
       &kSideBySide,
       {{Ev::kMove, 1279, 500}, {Ev::kMove, 1280, 10}},
       P::kPicking,
       false,
       {1280, 10},
       1,
       {R::kMoveMagnifier, R::kShowMagnifier}},
      {"... a move into the gap changes nothing",
       &kSideBySide,
       {{Ev::kMove, 1290, 10}, {Ev::kMove, 1500, 800}},
       P::kPicking,
       false,
       {1290, 10},
       1,
       {}},
      {"nudge by one",
       &kSingle,
       {{Ev::kMove, 100, 90}, {Ev::kKey, 100, 90, K::kRight}},
       P::kPicking,
       false,
       {101, 90},
       0,
       {R::kMovePointer, R::kMoveMagnifier, R::kShowMagnifier}},
      {"nudges then a pick",
       &kSideBySide,
       {{Ev::kKey, 1275, 500, K::kRight},
        {Ev::kShiftKey, 1276, 500, K::kRight},
        {Ev::kShiftKey, 1286, 500, K::kUp},
        {Ev::kKey, 1286, 490, K::kEnter}},
       P::kAwaitingEnterUp,
       true,
       {1286, 490},
       1,
       {R::kWatchRelease}},
      {"nudge with the pointer unknown",
       &kSingle,
       {{Ev::kMove, 5, 6}, {Ev::kKey, -1, -1, K::kUp}},
       P::kPicking,
       false,
       {5, 6},
       0,
       {}},
  };
  for (const RunCase& c : cases) {
    std::vector<std::vector<std::uint8_t>> bytes;
    EyedropperRun run = StartEyedropperRun(kKept | 0xFF000000u);
    for (size_t i = 0; i < c.layout->size(); ++i) {
      PixelView view;
      const auto layout = i == 0 ? PixelLayout::kBgr24 : PixelLayout::kRgbx32;
      bytes.push_back(MakeCapture(static_cast<int>(i), (*c.layout)[i], layout, view));
      AddEyedropperMonitor(run, (*c.layout)[i], view);
    }
    BeginEyedropperPicking(run);
    for (const Step& s : c.steps) {
      run.requests.clear();
      const std::optional<ScreenPoint> at =
          s.x < 0 ? std::nullopt : std::optional<ScreenPoint>(ScreenPoint{s.x, s.y});
      switch (s.ev) {
        case Ev::kMove:
          OnEyedropperPointerMove(run, {s.x, s.y});
          break;
        case Ev::kKey:
          OnEyedropperKeyDown(run, s.key, {}, at);
          break;
        case Ev::kShiftKey:
          OnEyedropperKeyDown(run, s.key, {true, false, false}, at);
          break;
        case Ev::kCtrlKey:
          OnEyedropperKeyDown(run, s.key, {false, true, false}, at);
          break;
        case Ev::kKeyUp:
          OnEyedropperKeyUp(run, s.key);
          break;
        case Ev::kDown:
          OnEyedropperButtonDown(run, s.x);
          break;
        case Ev::kUp:
          OnEyedropperButtonUp(run);
          break;
        case Ev::kPoll:
          OnEyedropperReleasePoll(run, {false, false});
          break;
        case Ev::kPollHeld:
          OnEyedropperReleasePoll(run, {true, true});
          break;
        case Ev::kClose:
          OnEyedropperCloseRequest(run);
          break;
      }
    }
    EXPECT_EQ(run.phase, c.phase) << c.name;
    EXPECT_EQ(run.picked, c.picked) << c.name;
    EXPECT_EQ(run.current_monitor, c.monitor) << c.name;
    const ColorValue want = c.color_at.x < 0
                                ? kKept
                                : Pattern(c.monitor, c.color_at.x - (*c.layout)[c.monitor].left,
                                          c.color_at.y - (*c.layout)[c.monitor].top);
    EXPECT_EQ(run.color, want) << c.name;
    std::vector<R> got;
    for (const EyedropperRequest& r : run.requests) got.push_back(r.kind);
    EXPECT_EQ(got, c.last) << c.name;
    for (const EyedropperRequest& r : run.requests) {
      if (r.kind == R::kMovePointer) {
        EXPECT_EQ(r.at.x, c.color_at.x) << c.name;
      }
    }
  }
  EyedropperRun none = StartEyedropperRun(0);
  BeginEyedropperPicking(none);  // no monitor: over at once
  EXPECT_EQ(none.phase, P::kEnded);
}

// The magnifier on a monitor smaller than the zoom, left of the primary
// (negative x), the pointer on its bottom-right pixel, in each byte order.
TEST(EyedropperRun, MagnifierContentAtTheMonitorsEdges) {
  const MonitorRect m{-11, 3, 11, 7};
  const ScreenPoint p{-1, 9};
  for (PixelLayout layout :
       {PixelLayout::kBgr24, PixelLayout::kRgb24, PixelLayout::kBgrx32, PixelLayout::kRgbx32}) {
    PixelView view;
    const std::vector<std::uint8_t> bytes = MakeCapture(2, m, layout, view);
    Image magnifier = CreateImage(kMagnifierSize, kMagnifierSize, 24);
    EXPECT_EQ(FillMagnifier(magnifier, m, view, p.x, p.y), Pattern(2, 10, 6));
    int wrong = 0;
    for (int v = 0; v < kMagnifierSize; ++v) {
      for (int u = 0; u < kMagnifierSize; ++u) {
        // Frame at 0 and 120; zoom column (u - 1) / 7 shows screen x - 8 + it.
        ColorValue want = 0;
        const int x = p.x - 8 + (u - 1) / 7;
        const int y = p.y - 8 + (v - 1) / 7;
        if (u >= 1 && u <= 119 && v >= 1 && v <= 119 && x >= m.left && x < 0 && y >= m.top &&
            y < m.top + m.height) {
          want = Pattern(2, x - m.left, y - m.top);
        }
        if ((u == 60 && v <= 118) != (v == 60 && u <= 118)) want ^= 0xFFFFFF;
        if (magnifier.pixels[static_cast<size_t>(v * kMagnifierSize + u)] != want && wrong++ < 3) {
          ADD_FAILURE() << "pixel " << u << "," << v << " in layout " << static_cast<int>(layout);
        }
      }
    }
    EXPECT_EQ(wrong, 0);
    // Worked pixels: the pointer's block (57..63) right of the crossing, the
    // block left of it (the monitor's pixel 9, 6), black below the monitor.
    EXPECT_EQ(magnifier.pixels[57 * kMagnifierSize + 63], Rgba(10, 6, 0x42, 0));
    EXPECT_EQ(magnifier.pixels[57 * kMagnifierSize + 50], Rgba(9, 6, 0x42, 0));
    EXPECT_EQ(magnifier.pixels[64 * kMagnifierSize + 63], 0u);
    EXPECT_EQ(magnifier.pixels[60 * kMagnifierSize + 60], Rgba(10, 6, 0x42, 0));
  }
  // Rows shorter than the width says, and no bytes at all: nothing is read.
  const std::vector<std::uint8_t> few(64, 0xFF);
  EXPECT_EQ(ViewPixelAt({few.data(), 4, 4, 15, PixelLayout::kRgbx32}, 0, 0), 0u);
  EXPECT_EQ(ViewPixelAt({few.data(), 4, 4, 16, PixelLayout::kRgbx32}, 3, 3), 0xFFFFFFu);
  EXPECT_EQ(ViewPixelAt({nullptr, 4, 4, 16, PixelLayout::kRgbx32}, 0, 0), 0u);
}

}  // namespace
}  // namespace tintra
