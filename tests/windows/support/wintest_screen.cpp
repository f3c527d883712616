#include "tests/windows/support/wintest_screen.h"

#include "picker/bitmaps_win32.h"
#include "picker/handles_win32.h"

namespace tintra::wintest {

std::vector<std::uint32_t> CaptureScreen(const RECT& screen_rect) {
  const int width = screen_rect.right - screen_rect.left;
  const int height = screen_rect.bottom - screen_rect.top;
  if (width <= 0 || height <= 0) return {};
  WindowDc screen(nullptr);
  if (screen.get() == nullptr) return {};
  const MemoryDc memory(CreateCompatibleDC(screen.get()));
  void* bits = nullptr;
  const OwnedBitmap bitmap = CreateTopDownDib(width, height, 32, bits);
  if (memory.get() == nullptr || bitmap.get() == nullptr) return {};
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
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = kAlphaMask | SwapRedBlue(bgra[i]);
  return pixels;
}

std::vector<std::uint32_t> CaptureClient(HWND window, int x, int y, int width, int height) {
  POINT origin{x, y};
  ClientToScreen(window, &origin);
  return CaptureScreen(RECT{origin.x, origin.y, origin.x + width, origin.y + height});
}

}  // namespace tintra::wintest
