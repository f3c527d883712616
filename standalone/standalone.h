// The standalone program's main sequence as plain steps: clipboard text in,
// the picker and possibly the format chooser, clipboard text out. The
// platform parts (clipboard, windows) are the caller's.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "colortext/color_text.h"
#include "colortext/language_texts.h"
#include "picker/color_model.h"

namespace tintra {

// The state of one run, built from the clipboard text.
struct StandaloneRun {
  ColorValue color;        // all 32 bits; replaced by the picker's answer
  int alpha_flag;          // 0 or 1
  ColorTextFormat format;  // kNone: the format chooser asks
  std::string descriptor;  // picker descriptor: title, captions, templates
};

// The start of a run: the clipboard text without its leading and trailing
// spaces (tabs and line breaks stay), parsed, with the French descriptor.
StandaloneRun StartStandaloneRun(std::string_view clipboard_text);

// The format chooser's answer (0..4, 0 = closed without a choice or failed)
// as a format; any other number is no choice.
ColorTextFormat ChosenFormat(int chooser_answer);

// The text to put on the clipboard at the end, or nothing when no format was
// chosen (the clipboard then keeps its contents).
std::optional<std::string> StandaloneResultText(const StandaloneRun& run);

}  // namespace tintra
