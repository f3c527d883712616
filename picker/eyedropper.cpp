#include "picker/eyedropper.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tintra {

namespace {

// Positions come from the system, but sums such as left + width are done in
// 64 bits so that no input can overflow them.
using Wide = std::int64_t;

int ClampToInt(Wide v) {
  return static_cast<int>(
      std::clamp<Wide>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

bool Inside(const PixelRect& r, int u, int v) {
  return u >= r.x && u < r.x + r.width && v >= r.y && v < r.y + r.height;
}

// One axis of the zoom copy: the capture spans `size` pixels starting at zoom
// position centre - pointer.
struct Span {
  int dest = 0;
  int src = 0;
  int length = 0;
};

Span ZoomSpan(Wide pointer, Wide size) {
  const Wide origin = kZoomCentre - pointer;  // zoom position of capture pixel 0
  const Wide first = std::max<Wide>(0, origin);
  const Wide end = std::min<Wide>(kZoomSize, origin + size);
  if (end <= first) return {};
  return {static_cast<int>(first), static_cast<int>(first - origin), static_cast<int>(end - first)};
}

}  // namespace

bool MonitorContains(const MonitorRect& m, int x, int y) {
  const Wide dx = Wide{x} - m.left;
  const Wide dy = Wide{y} - m.top;
  return dx >= 0 && dx < m.width && dy >= 0 && dy < m.height;
}

int FindMonitorAt(std::span<const MonitorRect> monitors, int x, int y) {
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    if (MonitorContains(monitors[i], x, y)) return static_cast<int>(i);
  }
  return -1;
}

ScreenPoint PlaceMagnifier(const MonitorRect& m, int x, int y) {
  Wide px = Wide{x} + kMagnifierOffset;
  Wide py = Wide{y} + kMagnifierOffset;
  if (px + kMagnifierReach > Wide{m.left} + m.width) px -= kMagnifierFlip;
  if (py + kMagnifierReach > Wide{m.top} + m.height) py -= kMagnifierFlip;
  return {ClampToInt(px), ClampToInt(py)};
}

ZoomCopy ZoomSource(const MonitorRect& m, int x, int y) {
  const Span sx = ZoomSpan(Wide{x} - m.left, m.width);
  const Span sy = ZoomSpan(Wide{y} - m.top, m.height);
  if (sx.length == 0 || sy.length == 0) return {};
  return {sx.dest, sy.dest, sx.src, sy.src, sx.length, sy.length};
}

MagnifierPixel MagnifierPixelAt(int u, int v) {
  MagnifierPixel p;
  const int eu = u - kEnlargedOrigin;
  const int ev = v - kEnlargedOrigin;
  if (eu >= 0 && eu < kEnlargedSize && ev >= 0 && ev < kEnlargedSize) {
    p.frame = false;
    p.zoom_x = eu / kZoomScale;
    p.zoom_y = ev / kZoomScale;
  }
  p.inverted = Inside(kCrosshairVertical, u, v) != Inside(kCrosshairHorizontal, u, v);
  return p;
}

}  // namespace tintra
