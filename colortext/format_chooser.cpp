#include "colortext/format_chooser.h"

#include <algorithm>
#include <cstdint>
#include <limits>

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

ListChooserLayout LayoutListChooser(std::span<const int> label_widths, int title_width, int dpi) {
  ListChooserLayout layout;
  layout.dpi = LayoutDpi(dpi);
  const int d = layout.dpi;
  const std::int64_t margin = ToPhysical(kChooserMargin, d);
  const std::int64_t padding = ToPhysical(kListLabelPadding, d);
  std::int64_t widest = 0;
  for (const int w : label_widths) widest = std::max<std::int64_t>(widest, w);
  const std::int64_t width =
      std::max({static_cast<std::int64_t>(ToPhysical(kChooserClientWidth, d)),
                widest + 2 * padding + 2 * margin, static_cast<std::int64_t>(title_width)});
  constexpr std::int64_t kMax = std::numeric_limits<int>::max();
  layout.client_width = static_cast<int>(std::min(width, kMax));
  const int button_width = layout.client_width - static_cast<int>(margin) * 2;
  // Edges scaled, sizes from them, as the classic chooser's rows are.
  const std::int64_t rows = static_cast<std::int64_t>(label_widths.size());
  const std::int64_t logical_height = rows * kChooserButtonHeight + 2 * kChooserMargin;
  layout.client_height = ToPhysical(static_cast<int>(std::min(logical_height, kMax)), d);
  layout.buttons.reserve(label_widths.size());
  for (std::int64_t i = 0; i < rows; ++i) {
    const std::int64_t top = kChooserMargin + i * kChooserButtonHeight;
    const int y = ToPhysical(static_cast<int>(std::min(top, kMax)), d);
    const int bottom = ToPhysical(static_cast<int>(std::min(top + kChooserButtonHeight, kMax)), d);
    layout.buttons.push_back(ChooserButton{static_cast<int>(std::min(i + 1, kMax)),
                                           static_cast<int>(margin), y, button_width, bottom - y});
  }
  return layout;
}

std::string ButtonLabel(std::string_view label) {
  std::string shown;
  shown.reserve(label.size());
  for (const char c : label) {
    shown += c;
    if (c == '&') shown += '&';
  }
  return shown;
}

ListChooserState StartListChooser(int count) {
  ListChooserState state;
  state.count = std::max(count, 0);
  state.done = state.count == 0;
  return state;
}

void OnListKey(ListChooserState& s, ListKey key) {
  if (s.done) return;
  switch (key) {
    case ListKey::kUp:
    case ListKey::kShiftTab:
      s.focus = (s.focus + s.count - 1) % s.count;
      return;
    case ListKey::kDown:
    case ListKey::kTab:
      s.focus = (s.focus + 1) % s.count;
      return;
    case ListKey::kEnter:
      s.choice = s.focus + 1;
      s.done = true;
      return;
    case ListKey::kEscape:
      s.choice = 0;
      s.done = true;
      return;
  }
}

void OnListButton(ListChooserState& s, int id) {
  if (s.done || id < 1 || id > s.count) return;
  s.focus = id - 1;
  s.choice = id;
  s.done = true;
}

void OnListFocus(ListChooserState& s, int index) {
  if (s.done || index < 0 || index >= s.count) return;
  s.focus = index;
}

void OnListClose(ListChooserState& s) {
  if (s.done) return;
  s.choice = 0;
  s.done = true;
}

}  // namespace tintra
