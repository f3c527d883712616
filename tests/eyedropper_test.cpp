#include "picker/eyedropper.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
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

// Requests as letters, in the order of EyedropperRequestKind: Magnifier
// moved, View shown, Pointer moved, Capture, Release, Watch, Stop watching,
// Drop the queued release, End; the sequence's steps in lower case: hide,
// wait, input dropped, freeze, open the magnifier, pick, close the windows,
// show, focus back.
constexpr char kRequestLetters[] = "MVPCRWSDEhwifopcsr";
std::string Letters(const std::vector<EyedropperRequest>& requests) {
  std::string text;
  for (const EyedropperRequest& r : requests) text += kRequestLetters[static_cast<int>(r.kind)];
  return text;
}

// One event a letter, the pointer at `pointer`: M move; D press on monitor
// 0, X off every capture; U release; E, e Enter down, up; Q Escape; q
// Shift+Escape; c Ctrl+Left; r Right; R Shift+Right; T Shift+Up; u Up with
// the pointer unknown; P poll (released), H (held); C close request.
struct KeyLetter {
  char letter;
  EyedropperKey key;
  KeyModifiers modifiers;
};
constexpr KeyLetter kKeyLetters[] = {
    {'E', EyedropperKey::kEnter, {}},      {'Q', EyedropperKey::kEscape, {}},
    {'q', EyedropperKey::kEscape, {true}}, {'c', EyedropperKey::kLeft, {false, true}},
    {'r', EyedropperKey::kRight, {}},      {'R', EyedropperKey::kRight, {true}},
    {'T', EyedropperKey::kUp, {true}},
};
// Monitor i's window is 100 + i, the magnifier's 300.
constexpr std::uintptr_t kFirstWindow = 100;
constexpr std::uintptr_t kMagnifier = 300;

// An event of `kind` for `window`; the rest as the system may give it.
EyedropperEvent Event(EyedropperEventKind kind, std::uintptr_t window,
                      std::optional<EyedropperKey> key = std::nullopt, KeyModifiers modifiers = {},
                      bool left_button = true, bool repeat = false,
                      std::optional<ScreenPoint> pointer = std::nullopt) {
  EyedropperEvent event;
  event.kind = kind;
  event.window = window;
  event.key = key;
  event.modifiers = modifiers;
  event.left_button = left_button;
  event.repeat = repeat;
  event.pointer = pointer;
  return event;
}

void Feed(EyedropperRun& run, char event, ScreenPoint pointer) {
  using K = EyedropperEventKind;
  if (event == 'M') {
    OnEyedropperEvent(run, Event(K::kPointerMove, kFirstWindow, {}, {}, true, false, pointer));
  }
  if (event == 'D' || event == 'X') {
    OnEyedropperEvent(run, Event(K::kButtonDown, event == 'D' ? kFirstWindow : kMagnifier));
  }
  if (event == 'U') OnEyedropperEvent(run, Event(K::kButtonUp, kFirstWindow));
  if (event == 'e') OnEyedropperEvent(run, Event(K::kKeyUp, kMagnifier, EyedropperKey::kEnter));
  if (event == 'u') OnEyedropperEvent(run, Event(K::kKeyDown, kMagnifier, EyedropperKey::kUp));
  if (event == 'P' || event == 'H') OnEyedropperReleasePoll(run, {event == 'H', event == 'H'});
  if (event == 'C') OnEyedropperCloseRequest(run);
  for (const KeyLetter& k : kKeyLetters) {
    if (k.letter == event) {
      OnEyedropperEvent(run,
                        Event(K::kKeyDown, kMagnifier, k.key, k.modifiers, true, false, pointer));
    }
  }
}

// The run's windows as a shell adds them: the monitors', then the magnifier.
void AddWindows(EyedropperRun& run) {
  for (std::size_t i = 0; i < run.monitors.size(); ++i) {
    AddEyedropperWindow(run, kFirstWindow + i, static_cast<int>(i));
  }
  AddEyedropperWindow(run, kMagnifier, kMagnifierWindow);
}

using P = EyedropperPhase;
constexpr ColorValue kKept = 0x00ABCDEF;

struct RunCase {
  const std::vector<MonitorRect>* layout;
  ScreenPoint pointer;
  const char* events;
  P phase;
  bool picked;
  int monitor;           // current; the colour is its pattern under the pointer, -1: kept
  const char* requests;  // of the last event
};

TEST(EyedropperRun, EventSequences) {
  const RunCase cases[] = {
      {&kSingle, {100, 90}, "MD", P::kAwaitingButtonUp, true, 0, "CW"},  // pick waits for release
      {&kSingle, {100, 90}, "MDU", P::kEnded, true, 0, "RSE"},           // ... which ends
      {&kSingle, {7, 8}, "MDP", P::kEnded, true, 0, "DRSE"},             // release the poll saw
      {&kSingle, {7, 8}, "MDH", P::kAwaitingButtonUp, true, 0, ""},      // poll while held
      {&kSingle, {7, 8}, "D", P::kAwaitingButtonUp, true, -1, "CW"},     // no move: kept colour
      {&kSingle, {7, 8}, "X", P::kPicking, false, -1, ""},               // press off the captures
      {&kSingle, {5, 6}, "ME", P::kAwaitingEnterUp, true, 0, "W"},       // Enter picks on key-down
      {&kSingle, {5, 6}, "MEe", P::kEnded, true, 0, "SE"},               // ... ends on key-up
      {&kSingle, {5, 6}, "MEU", P::kAwaitingEnterUp, true, 0, ""},       // ... not on the button's
      {&kSingle, {5, 6}, "MQ", P::kEnded, false, 0, "E"},                // Escape: no pick
      {&kSingle, {5, 6}, "Mqc", P::kPicking, false, 0, ""},              // Shift+Esc, Ctrl+Left
      {&kSingle, {5, 6}, "MDEr", P::kAwaitingButtonUp, true, 0, ""},     // keys ignored once picked
      {&kSingle, {5, 6}, "MDQ", P::kEnded, true, 0, "RSE"},       // ... but Escape; pick stands
      {&kSingle, {5, 6}, "MC", P::kEnded, false, 0, "E"},         // a close request ends
      {&kSingle, {5, 6}, "EC", P::kEnded, true, -1, "SE"},        // ... also after Enter
      {&kSingle, {5, 6}, "Mu", P::kPicking, false, 0, ""},        // arrow, pointer unknown
      {&kSingle, {100, 90}, "Mr", P::kPicking, false, 0, "PMV"},  // nudge by one
      {&kSideBySide, {1275, 500}, "MrRTE", P::kAwaitingEnterUp, true, 1, "W"},  // nudges, pick
      {&kSideBySide, {1279, 500}, "MrM", P::kPicking, false, 1, "MV"},  // onto the other monitor
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
    AddWindows(run);
    BeginEyedropperPicking(run);
    ScreenPoint pointer = c.pointer;
    std::string last;
    for (const char* e = c.events; *e != 0; ++e) {
      run.requests.clear();
      Feed(run, *e, pointer);
      last = Letters(run.requests);
      for (const EyedropperRequest& r : run.requests) {
        if (r.kind == EyedropperRequestKind::kMovePointer) pointer = r.at;
      }
    }
    EXPECT_EQ(run.phase, c.phase) << c.events;
    EXPECT_EQ(run.picked, c.picked) << c.events;
    EXPECT_EQ(run.current_monitor, c.monitor) << c.events;
    EXPECT_EQ(last, c.requests) << c.events;
    const MonitorRect& m = (*c.layout)[c.monitor < 0 ? 0 : c.monitor];
    EXPECT_EQ(run.color,
              c.monitor < 0 ? kKept : Pattern(c.monitor, pointer.x - m.left, pointer.y - m.top))
        << c.events;
  }
  EyedropperRun none = StartEyedropperRun(0);
  BeginEyedropperPicking(none);  // no monitor: over at once
  EXPECT_EQ(none.phase, P::kEnded);
}

// Raw events: which the run takes, which go on, and what they do. Windows:
// 100 is monitor 0's own, 200 its frame, 300 the magnifier, 7 the hidden
// dialog's.
TEST(EyedropperRun, RawEventsAndStrayInput) {
  using K = EyedropperEventKind;
  const struct {
    const char* name;
    EyedropperEvent event;
    bool taken;
    const char* requests;
    P phase;
  } cases[] = {
      {"move on the screen",
       Event(K::kPointerMove, 100, std::nullopt, {}, true, false, ScreenPoint{5, 6}), true, "MV",
       P::kPicking},
      {"move, pointer unknown", Event(K::kPointerMove, 100), true, "", P::kPicking},
      {"left press picks", Event(K::kButtonDown, 100), true, "CW", P::kAwaitingButtonUp},
      {"right press: nothing", Event(K::kButtonDown, 100, std::nullopt, {}, false), true, "",
       P::kPicking},
      {"press on the magnifier", Event(K::kButtonDown, 300), true, "", P::kPicking},
      {"press at the frame goes on", Event(K::kButtonDown, 200), false, "", P::kPicking},
      {"stray click dropped", Event(K::kButtonDown, 7), true, "", P::kPicking},
      {"stray key dropped", Event(K::kKeyDown, 7, EyedropperKey::kEscape), true, "", P::kPicking},
      {"Escape", Event(K::kKeyDown, 300, EyedropperKey::kEscape), true, "E", P::kEnded},
      {"Ctrl+Escape", Event(K::kKeyDown, 300, EyedropperKey::kEscape, {false, true, false}), true,
       "", P::kPicking},
      {"a key of no use", Event(K::kKeyDown, 300), true, "", P::kPicking},
      {"other input goes on", Event(K::kOtherInput, 100), false, "", P::kPicking},
      {"not input", Event(K::kOther, 7), false, "", P::kPicking},
      {"the dialog closed", Event(K::kClose, 7), false, "E", P::kEnded},
      {"a run window closed", Event(K::kClose, 200), true, "E", P::kEnded},
  };
  for (const auto& c : cases) {
    EyedropperRun run = StartEyedropperRun(0);
    PixelView view;
    const std::vector<std::uint8_t> bytes = MakeCapture(0, kSingle[0], PixelLayout::kBgr24, view);
    AddEyedropperMonitor(run, kSingle[0], view);
    AddEyedropperWindow(run, 100, 0);
    AddEyedropperWindow(run, 200, 0, true);
    AddEyedropperWindow(run, 300, kMagnifierWindow);
    AddEyedropperWindow(run, 0, 0);  // no window: never found
    BeginEyedropperPicking(run);
    EXPECT_EQ(OnEyedropperEvent(run, c.event), c.taken) << c.name;
    EXPECT_EQ(Letters(run.requests), c.requests) << c.name;
    EXPECT_EQ(run.phase, c.phase) << c.name;
    EXPECT_EQ(FindEyedropperWindow(run, 0), nullptr);
  }
  // Enter: picks on its press, ends on its release, not on a repeat's.
  EyedropperRun run = StartEyedropperRun(0);
  AddEyedropperMonitor(run, kSingle[0], {});
  AddEyedropperWindow(run, 300, kMagnifierWindow);
  BeginEyedropperPicking(run);
  OnEyedropperEvent(run, Event(K::kKeyDown, 300, EyedropperKey::kEnter));
  OnEyedropperEvent(run, Event(K::kKeyUp, 300, EyedropperKey::kEnter, {}, true, true));
  EXPECT_EQ(run.phase, P::kAwaitingEnterUp);
  OnEyedropperEvent(run, Event(K::kKeyUp, 300, EyedropperKey::kEnter));
  EXPECT_EQ(run.phase, P::kEnded);
  EXPECT_TRUE(run.picked);
  // A press captures the pointer for the window it came to, and the end
  // releases that window's capture.
  EyedropperRun click = StartEyedropperRun(0);
  AddEyedropperMonitor(click, kSingle[0], {});
  AddEyedropperWindow(click, 200, 0, true);
  AddEyedropperWindow(click, 100, 0);
  BeginEyedropperPicking(click);
  OnEyedropperEvent(click, Event(K::kButtonDown, 100));
  OnEyedropperEvent(click, Event(K::kButtonUp, 100));
  ASSERT_EQ(Letters(click.requests), "CWRSE");
  EXPECT_EQ(click.requests[0].window, 100u);
  EXPECT_EQ(click.requests[2].window, 100u);
}

// At another DPI the magnifier shows the same 96-DPI picture, scaled: at
// 192 DPI each of its pixels is a 2 x 2 block, 242 square, placed twice as
// far; 96 DPI is left as it is.
TEST(EyedropperRun, MagnifierScalesWithTheDisplay) {
  const struct {
    int dpi, side, offset;
  } sides[] = {
      {96, 121, 16},       // as it always was
      {72, 121, 16},       // never smaller
      {120, 151, 20},      // 125 %: 151.25 rounded
      {144, 182, 24},      // 150 %: 181.5 rounded up
      {192, 242, 32},      // 200 %
      {100000, 968, 128},  // a hostile DPI is held at 768
  };
  for (const auto& c : sides) {
    EXPECT_EQ(MagnifierSide(c.dpi), c.side) << c.dpi;
    EXPECT_EQ(ScaledLength(kMagnifierOffset, c.dpi), c.offset) << c.dpi;
  }
  // Placement: 32 right and below; flipped by 2 * 32 + 242 past the edge.
  const MonitorRect wide{0, 0, 1000, 1000, 192};
  EXPECT_EQ(PlaceMagnifier(wide, 500, 500).x, 532);
  EXPECT_EQ(PlaceMagnifier(wide, 990, 10).x, 990 + 32 - 306);
  EXPECT_EQ(PlaceMagnifier(wide, 990, 10).y, 42);
  EXPECT_EQ(PlaceMagnifier(wide, 727, 0).x, 759);  // 759 + 241 = 1000: not past
  EXPECT_EQ(PlaceMagnifier(wide, 728, 0).x, 728 + 32 - 306);
  // Content: every pixel is the 96-DPI magnifier's at (u / 2, v / 2).
  MonitorRect m{-11, 3, 11, 7};
  PixelView view;
  const std::vector<std::uint8_t> bytes = MakeCapture(2, m, PixelLayout::kBgr24, view);
  Image at96 = CreateImage(kMagnifierSize, kMagnifierSize, 24);
  const ColorValue picked = FillMagnifier(at96, m, view, -1, 9);
  m.dpi = 192;
  Image at192;
  EXPECT_EQ(FillMagnifier(at192, m, view, -1, 9), picked);
  ASSERT_EQ(at192.width, 242);
  ASSERT_EQ(at192.pixels.size(), 242u * 242u);
  int wrong = 0;
  for (int v = 0; v < 242; ++v) {
    for (int u = 0; u < 242; ++u) {
      wrong += at192.pixels[static_cast<size_t>(v) * 242 + u] !=
               at96.pixels[static_cast<size_t>(v / 2) * kMagnifierSize + u / 2];
    }
  }
  EXPECT_EQ(wrong, 0);
  // The run asks for the magnifier's size with each move.
  EyedropperRun run = StartEyedropperRun(0);
  AddEyedropperMonitor(run, m, view);
  AddWindows(run);
  BeginEyedropperPicking(run);
  Feed(run, 'M', {-1, 9});
  ASSERT_FALSE(run.requests.empty());
  EXPECT_EQ(run.requests.front().kind, EyedropperRequestKind::kMoveMagnifier);
  EXPECT_EQ(run.requests.front().side, 242);
}

// A shell that notes what it is asked to do, in order. A close request
// comes during the step `close_at` (none: kEndRun); freezing adds `layout`'s
// monitors;
// picking feeds `events` (Feed's letters) with the pointer at `pointer`,
// carrying out what each records, as a shell's handlers do.
struct FakeShell {
  EyedropperRun run;
  const std::vector<MonitorRect>* layout = nullptr;
  bool magnifier_opens = true;
  EyedropperRequestKind close_at = EyedropperRequestKind::kEndRun;
  const char* events = "";
  ScreenPoint pointer;
  std::vector<std::vector<std::uint8_t>> bytes;
  std::string done;  // the letters of every request carried out
  int wait_ms = -1;
  int poll_ms = -1;
};

bool FakeCarryOut(void* context, const EyedropperRequest& r) {
  FakeShell& f = *static_cast<FakeShell*>(context);
  f.done += kRequestLetters[static_cast<int>(r.kind)];
  const EyedropperShell self{FakeCarryOut, &f};
  if (r.kind == f.close_at) OnEyedropperCloseRequest(f.run);
  switch (r.kind) {
    case EyedropperRequestKind::kWait:
      f.wait_ms = r.ms;
      return true;
    case EyedropperRequestKind::kWatchRelease:
      f.poll_ms = r.ms;
      return true;
    case EyedropperRequestKind::kFreezeScreens:
      for (size_t i = 0; i < f.layout->size(); ++i) {
        PixelView view;
        f.bytes.push_back(
            MakeCapture(static_cast<int>(i), (*f.layout)[i], PixelLayout::kRgbx32, view));
        AddEyedropperMonitor(f.run, (*f.layout)[i], view);
      }
      return true;
    case EyedropperRequestKind::kOpenMagnifier:
      if (f.magnifier_opens) AddWindows(f.run);
      return f.magnifier_opens;
    case EyedropperRequestKind::kPick:
      for (const char* e = f.events; *e != 0 && f.run.phase != P::kEnded; ++e) {
        Feed(f.run, *e, f.pointer);
        CarryOutEyedropperRequests(f.run, self);
      }
      return true;
    default:
      return true;
  }
}

struct SequenceCase {
  const std::vector<MonitorRect>* layout;
  bool magnifier_opens;
  EyedropperRequestKind close_at;
  const char* events;  // while picking, at (5, 6)
  const char* done;    // every request carried out, in order
  bool picked;
  bool moved;  // the colour kept after is the one under the pointer, else the one before
};

TEST(EyedropperRun, TheWholeSequence) {
  using K = EyedropperRequestKind;
  constexpr K kNone = K::kEndRun;
  const SequenceCase cases[] = {
      {&kSingle, true, kNone, "MEe", "hwifopMVWSEcsr", true, true},     // a pick with Enter
      {&kSingle, true, kNone, "MDU", "hwifopMVCWRSEcsr", true, true},   // ... with a click
      {&kSideBySide, true, kNone, "D", "hwifopCWRSEcsr", true, false},  // no move: kept colour
      {&kSingle, true, kNone, "MQ", "hwifopMVEcsr", false, true},       // Escape: colour moved
      {&kSingle, true, kNone, "", "hwifopEcsr", false, false},          // loop left unended
      {&kSingle, false, kNone, "MEe", "hwifoEcsr", false, false},       // no magnifier
      {&kSingle, true, K::kFreezeScreens, "MEe", "hwifEcsr", false,
       false},                                                       // closed while freezing
      {&kSingle, true, K::kWait, "MEe", "hwEicsr", false, false},    // ... while hidden: no freeze
      {&kEmptyFirst, true, kNone, "Q", "hwifopEcsr", false, false},  // a monitor of no size
  };
  for (const SequenceCase& c : cases) {
    FakeShell f;
    f.layout = c.layout;
    f.magnifier_opens = c.magnifier_opens;
    f.close_at = c.close_at;
    f.events = c.events;
    f.pointer = {5, 6};
    ColorValue kept = kKept;
    EXPECT_EQ(RunEyedropperSequence(f.run, kept, EyedropperShell{FakeCarryOut, &f}), c.picked)
        << c.done;
    EXPECT_EQ(f.done, c.done);
    EXPECT_EQ(kept, c.moved ? Pattern(0, 5, 6) : kKept) << c.done;
    EXPECT_EQ(f.wait_ms, kEyedropperHideWaitMs) << c.done;
    EXPECT_EQ(f.run.phase, P::kEnded) << c.done;
    EXPECT_TRUE(f.run.windows.empty()) << c.done;  // closed: their handles may come back
    EXPECT_EQ(f.poll_ms, c.picked ? kEyedropperReleasePollMs : -1) << c.done;
  }
  // No monitor at all: shown again at once, nothing picked.
  const std::vector<MonitorRect> none;
  FakeShell f;
  f.layout = &none;
  ColorValue kept = kKept;
  EXPECT_FALSE(RunEyedropperSequence(f.run, kept, EyedropperShell{FakeCarryOut, &f}));
  EXPECT_EQ(f.done, "hwifEcsr");
}

TEST(EyedropperRun, CaptureSizeLimit) {
  const struct {
    int width, height;
    bool fits;
  } cases[] = {
      {1920, 1080, true},         // an ordinary monitor
      {16384, 16384, true},       // the limit exactly
      {65536, 4096, true},        // ... in another shape
      {16384, 16385, false},      // one row more
      {0, 1080, false},           // no pixels
      {-1920, -1080, false},      // a negative size is no size, though its product is positive
      {INT_MAX, INT_MAX, false},  // no overflow
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CaptureFits(c.width, c.height), c.fits) << c.width << " x " << c.height;
  }
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
