// Geometry of the screen eyedropper: which monitor the pointer is on, where
// the magnifier goes, which part of a monitor's capture the zoom shows, and
// what each pixel of the magnifier shows. Portable: no platform types.
//
// Coordinates are virtual-screen pixels (x to the right, y downwards); a
// monitor left of or above the primary one has negative coordinates. A
// capture is the monitor's pixels with (0, 0) at the monitor's top-left
// corner, which is also the client origin of the monitor's full-screen
// window.
#pragma once

#include <span>

#include "picker/pixel_rect.h"

namespace tintra {

// A monitor; it covers left <= x < left + width, top <= y < top + height.
struct MonitorRect {
  int left = 0;
  int top = 0;
  int width = 0;   // pixels; a monitor of width or height <= 0 covers nothing
  int height = 0;  // pixels
  int dpi = 96;    // its scale (96 is 100 %); the magnifier over it grows with it
};

struct ScreenPoint {
  int x = 0;
  int y = 0;
};

constexpr int kMagnifierSize = 121;   // client pixels, square
constexpr int kMagnifierOffset = 16;  // from the pointer to the magnifier, right and down
constexpr int kMagnifierReach = 120;  // the magnifier flips when px + this passes the edge
constexpr int kMagnifierFlip = 153;   // flipped: 16 pixels left of / above the pointer
constexpr int kZoomSize = 17;         // zoom image, pixels square
constexpr int kZoomCentre = 8;        // the pointer's pixel in the zoom image, x and y
constexpr int kZoomScale = 7;         // each zoom pixel becomes a 7 x 7 block
constexpr int kEnlargedOrigin = 1;    // enlarged zoom at (1, 1): a one-pixel black frame
constexpr int kEnlargedSize = kZoomSize * kZoomScale;  // 119
constexpr int kCrosshairAt = 60;                       // column and row of the crosshair
constexpr int kCrosshairLength = 119;  // the lines cover 0..118 of their column / row

// The crosshair lines, inverted one after the other in magnifier client
// pixels; the pixel where they cross is inverted twice and shows the picked
// colour itself.
constexpr PixelRect kCrosshairVertical{kCrosshairAt, 0, 1, kCrosshairLength};
constexpr PixelRect kCrosshairHorizontal{0, kCrosshairAt, kCrosshairLength, 1};

// The magnifier over a monitor of `dpi`: the 96-DPI magnifier scaled, each
// of its pixels (u, v) shown by the physical pixels that map back to it. A
// DPI below 96 counts as 96, one above 768 as 768.
int MagnifierSide(int dpi);  // kMagnifierSize at 96 DPI
// A 96-DPI length (pixels) at the monitor's scale, rounded.
int ScaledLength(int length, int dpi);

// Whether (x, y) lies on `monitor`.
bool MonitorContains(const MonitorRect& monitor, int x, int y);

// Index of the first monitor in list order that contains (x, y); -1 for
// none (a gap between monitors).
int FindMonitorAt(std::span<const MonitorRect> monitors, int x, int y);

// Top-left corner of the magnifier for the pointer at (x, y) on `monitor`:
// 16 pixels right of and below the pointer, flipped to 16 pixels left of /
// above it when px + 120 passes the monitor's right / bottom edge (at 96
// DPI; the lengths scale with the monitor's DPI).
ScreenPoint PlaceMagnifier(const MonitorRect& monitor, int x, int y);

// The part of a monitor's capture that the 17 x 17 zoom image shows when the
// pointer is at (x, y): capture pixels (src_x.., src_y..) land at zoom pixels
// (dest_x.., dest_y..), width x height of them; the pointer's pixel lands at
// (8, 8). Zoom pixels outside the copy stay black (beyond the monitor's
// edge). width or height 0: nothing to copy.
struct ZoomCopy {
  int dest_x = 0;  // 0..16
  int dest_y = 0;  // 0..16
  int src_x = 0;   // 0..monitor width - 1
  int src_y = 0;   // 0..monitor height - 1
  int width = 0;   // 0..17
  int height = 0;  // 0..17
};
ZoomCopy ZoomSource(const MonitorRect& monitor, int x, int y);

// Pointer moves from the keyboard while picking: an arrow moves the pointer
// by one pixel, Shift with an arrow by ten.
constexpr int kNudgeStep = 1;
constexpr int kNudgeLongStep = 10;

// Where the pointer goes from `from` when a key moves it by `dx` along x
// (then by `dy` along y; an arrow moves along one axis only). The pointer is
// held within the virtual screen, the bounding box of the monitors; but
// monitors of different sizes leave parts of that box where no monitor is,
// and a pointer there would pick nothing. So a move goes as far towards its
// target as it can while landing on a monitor pixel: to the target, or to
// the last monitor pixel on the way before it (a long step may cross to
// another monitor, or stop at the edge of its own). With no monitor pixel on
// the way (the pointer is at the edge already, or is on no monitor at all)
// the pointer stays where it is.
ScreenPoint NudgePointer(std::span<const MonitorRect> monitors, ScreenPoint from, int dx, int dy);

// What the magnifier shows at its client pixel (u, v), both 0..120.
struct MagnifierPixel {
  bool frame = true;      // the black frame: no zoom pixel
  int zoom_x = -1;        // 0..16 unless frame
  int zoom_y = -1;        // 0..16 unless frame
  bool inverted = false;  // on exactly one crosshair line
};
MagnifierPixel MagnifierPixelAt(int u, int v);
// The same for the pixel (u, v) of a magnifier `side` pixels square
// (0..side - 1): the 96-DPI pixel it shows.
MagnifierPixel ScaledMagnifierPixelAt(int u, int v, int side);

}  // namespace tintra
