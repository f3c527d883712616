#include "colortext/format_chooser.h"

#include "picker/dialog_layout.h"

namespace tintra {

ChooserLayout LayoutFormatChooser(int alpha_flag, int dpi) {
  const int a = alpha_flag != 0 ? 1 : 0;
  ChooserLayout layout{};
  layout.dpi = LayoutDpi(dpi);
  const PixelRect client = ToPhysical(
      PixelRect{0, 0, kChooserClientWidth, (a + 3) * kChooserButtonHeight + 2 * kChooserMargin},
      layout.dpi);
  layout.client_width = client.width;
  layout.client_height = client.height;
  int top = kChooserMargin;
  for (int id = 1; id <= 4; ++id) {
    if (id == 2 && a == 0) continue;
    const PixelRect button =
        ToPhysical(PixelRect{kChooserMargin, top, kChooserClientWidth - 2 * kChooserMargin,
                             kChooserButtonHeight},
                   layout.dpi);
    layout.buttons[layout.button_count++] = {id, button.x, button.y, button.width, button.height};
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

}  // namespace tintra
