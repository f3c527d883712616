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

// One axis of a nudge: the position in the closed interval from `from` to
// `to` nearest `to` that is on a monitor covering `across` on the other
// axis; `from` when there is none.
Wide NudgeAlong(std::span<const MonitorRect> monitors, bool along_x, Wide from, Wide to,
                Wide across) {
  const Wide low = std::max<Wide>(std::min(from, to), std::numeric_limits<int>::min());
  const Wide high = std::min<Wide>(std::max(from, to), std::numeric_limits<int>::max());
  Wide best = from;
  Wide best_distance = -1;  // none yet
  for (const MonitorRect& m : monitors) {
    const Wide start = along_x ? m.left : m.top;
    const Wide size = along_x ? m.width : m.height;
    const Wide across_start = along_x ? m.top : m.left;
    const Wide across_size = along_x ? m.height : m.width;
    if (size <= 0 || across < across_start || across >= across_start + across_size) continue;
    const Wide first = std::max(low, start);
    const Wide last = std::min(high, start + size - 1);
    if (first > last) continue;
    const Wide nearest = std::clamp(to, first, last);
    const Wide distance = nearest > to ? nearest - to : to - nearest;
    if (best_distance < 0 || distance < best_distance) {
      best = nearest;
      best_distance = distance;
    }
  }
  return best;
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

int ScaledLength(int length, int dpi) {
  const int d = dpi < 96 ? 96 : dpi > 768 ? 768 : dpi;
  return (length * d + 48) / 96;
}

int MagnifierSide(int dpi) {
  return ScaledLength(kMagnifierSize, dpi);
}

ScreenPoint PlaceMagnifier(const MonitorRect& m, int x, int y) {
  const int offset = ScaledLength(kMagnifierOffset, m.dpi);
  const int side = MagnifierSide(m.dpi);
  // At 96 DPI: a reach of kMagnifierReach, a flip of kMagnifierFlip.
  const int reach = side - 1;
  const int flip = 2 * offset + side;
  Wide px = Wide{x} + offset;
  Wide py = Wide{y} + offset;
  if (px + reach > Wide{m.left} + m.width) px -= flip;
  if (py + reach > Wide{m.top} + m.height) py -= flip;
  return {ClampToInt(px), ClampToInt(py)};
}

ZoomCopy ZoomSource(const MonitorRect& m, int x, int y) {
  const Span sx = ZoomSpan(Wide{x} - m.left, m.width);
  const Span sy = ZoomSpan(Wide{y} - m.top, m.height);
  if (sx.length == 0 || sy.length == 0) return {};
  return {sx.dest, sy.dest, sx.src, sy.src, sx.length, sy.length};
}

ScreenPoint NudgePointer(std::span<const MonitorRect> monitors, ScreenPoint from, int dx, int dy) {
  const Wide x = NudgeAlong(monitors, true, from.x, Wide{from.x} + dx, from.y);
  const Wide y = NudgeAlong(monitors, false, from.y, Wide{from.y} + dy, x);
  return {ClampToInt(x), ClampToInt(y)};
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

MagnifierPixel ScaledMagnifierPixelAt(int u, int v, int side) {
  if (side <= kMagnifierSize) return MagnifierPixelAt(u, v);
  return MagnifierPixelAt(u * kMagnifierSize / side, v * kMagnifierSize / side);
}

}  // namespace tintra
