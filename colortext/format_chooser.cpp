#include "colortext/format_chooser.h"

#include <algorithm>

namespace tintra {

ChooserLayout LayoutFormatChooser(int alpha_flag) {
  const int a = alpha_flag != 0 ? 1 : 0;
  ChooserLayout layout{};
  layout.client_width = kChooserClientWidth;
  layout.client_height = (a + 3) * kChooserButtonHeight + 2 * kChooserMargin;
  int top = kChooserMargin;
  for (int id = 1; id <= 4; ++id) {
    if (id == 2 && a == 0) continue;
    layout.buttons[layout.button_count++] = {
        id, kChooserMargin, top, kChooserClientWidth - 2 * kChooserMargin, kChooserButtonHeight};
    top += kChooserButtonHeight;
  }
  return layout;
}

const char* ChooserButtonText(const FormatChooserTexts& texts, int id) {
  switch (id) {
    case 1:
      return texts.rgb;
    case 2:
      return texts.rgba;
    case 3:
      return texts.hex;
    case 4:
      return texts.decimal;
    default:
      return nullptr;
  }
}

WindowPlacement CenterOnScreen(int outer_width, int outer_height, int screen_width,
                               int screen_height) {
  const int width = std::clamp(outer_width, 0, std::max(screen_width, 0));
  const int height = std::clamp(outer_height, 0, std::max(screen_height, 0));
  return {(screen_width - width) / 2, (screen_height - height) / 2, width, height};
}

}  // namespace tintra
