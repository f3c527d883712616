#include "picker/window_placement.h"

#include <algorithm>

namespace tintra {

WindowPlacement CenterOnScreen(int outer_width, int outer_height, int screen_width,
                               int screen_height) {
  const int width = std::clamp(outer_width, 0, std::max(screen_width, 0));
  const int height = std::clamp(outer_height, 0, std::max(screen_height, 0));
  return {(screen_width - width) / 2, (screen_height - height) / 2, width, height};
}

WindowPlacement CenterOverOwner(int outer_width, int outer_height, const WindowPlacement& owner) {
  return {std::max(0, owner.left + (owner.width - outer_width) / 2),
          std::max(0, owner.top + (owner.height - outer_height) / 2), outer_width, outer_height};
}

}  // namespace tintra
