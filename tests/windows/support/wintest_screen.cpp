#include "tests/windows/support/wintest_screen.h"

#include "picker/win32_handles.h"

namespace tintra::wintest {

std::vector<std::uint32_t> CaptureScreen(const RECT& screen_rect) {
  const int width = screen_rect.right - screen_rect.left;
  const int height = screen_rect.bottom - screen_rect.top;
  if (width <= 0 || height <= 0) return {};
  WindowDc screen(nullptr);
  if (screen.get() == nullptr) return {};
  MemoryDc memory(screen.get());
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  OwnedGdiObject bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (memory.get() == nullptr || bitmap.get() == nullptr || bits == nullptr) return {};
  {
    SelectedObject selected(memory.get(), bitmap.get());
    if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), screen_rect.left, screen_rect.top,
                SRCCOPY)) {
      return {};
    }
  }
  GdiFlush();
  const auto* bgra = static_cast<const std::uint32_t*>(bits);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const std::uint32_t p = bgra[i];
    pixels[i] = 0xFF000000u | ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
  }
  return pixels;
}

std::vector<std::uint32_t> CaptureClient(HWND window, int x, int y, int width, int height) {
  POINT origin{x, y};
  ClientToScreen(window, &origin);
  return CaptureScreen(RECT{origin.x, origin.y, origin.x + width, origin.y + height});
}

}  // namespace tintra::wintest
