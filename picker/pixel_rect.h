// A rectangle of pixels by its corner and size, as the layout, the renderer
// and the widgets' placement use it. (The handlers' requests and the
// eyedropper's monitors give edges instead: ClientRect, MonitorRect.)
#pragma once

namespace tintra {

// x, y: top-left pixel; the rectangle covers x <= u < x + width and
// y <= v < y + height. A width or height below 1 covers nothing.
struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  constexpr int right() const { return x + width; }    // excluded
  constexpr int bottom() const { return y + height; }  // excluded
  constexpr bool Contains(int u, int v) const {
    return u >= x && u < x + width && v >= y && v < y + height;
  }
  friend constexpr bool operator==(const PixelRect&, const PixelRect&) = default;
};

}  // namespace tintra
