// Where the shell's top-level windows go: centred over their owner or on
// the primary screen. Portable arithmetic; the shell reads the rectangles.
#pragma once

namespace tintra {

// An outer window rectangle in screen pixels.
struct WindowPlacement {
  int left, top, width, height;
};

// The outer window of the given size centred on a screen of the given size,
// made no larger than the screen: left = (screen width - width) / 2, top
// likewise, in integer division. Sizes are pixels, 0 or more.
WindowPlacement CenterOnScreen(int outer_width, int outer_height, int screen_width,
                               int screen_height);

// The outer window of the given size centred over its owner's outer
// rectangle (left, top, width, height): left = owner left + (owner width -
// width) / 2 in integer division, held at 0 or more, top likewise; the size
// is kept.
WindowPlacement CenterOverOwner(int outer_width, int outer_height, const WindowPlacement& owner);

}  // namespace tintra
