// Reading what is on the screen, for pixel checks of windows under test.
//
// Pixels come back in the picker's own layout (picker/image.h): width *
// height values, top row first, red in bits 0-7, green 8-15, blue 16-23 and
// alpha 255, so they compare directly with images drawn by the portable core.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace tintra::wintest {

// The screen pixels of `screen_rect` (right and bottom excluded); empty when
// the capture fails.
std::vector<std::uint32_t> CaptureScreen(const RECT& screen_rect);

// The pixels shown in the client rectangle (x, y, width, height) of `window`,
// read from the screen (so with whatever lies on top of the window).
std::vector<std::uint32_t> CaptureClient(HWND window, int x, int y, int width, int height);

}  // namespace tintra::wintest
