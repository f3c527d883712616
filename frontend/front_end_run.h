// The steps both Windows programs' main sequences share: the input text
// parsed into the state of the run with the picker descriptor of the
// language, the picker and the chooser, the result text, and the end of the
// pass. Each program hands in its input and delivers the result through its
// own platform calls (the clipboard, or the link to the editor).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "colortext/color_text.h"
#include "colortext/language_texts.h"
#include "picker/color_model.h"

namespace tintra {

// The state of one run, built from the input text.
struct FrontEndRun {
  ColorValue color;        // all 32 bits; replaced by the picker's answer
  int alpha_flag;          // 0 or 1
  ColorTextFormat format;  // kNone: the format chooser asks
  std::string descriptor;  // picker descriptor: title, captions, templates
  Language language;       // of the descriptor and the chooser's texts
};

// Parses the text as it is given (the caller trims, if its input wants it)
// and builds the descriptor of the language for the text's alpha flag.
FrontEndRun StartFrontEndRun(std::string_view text, Language language);

// The picker on the run's colour (no owner window), then, when the run has
// no format, the format chooser in the run's language; each blocks until the
// user ends it. Over OpenColorPicker and FormatChooser, which the program
// links from its platform's shell (edit_in_picker.cpp: the tests link none).
void EditInPicker(FrontEndRun& run);

// The whole run after its start: EditInPicker, then FrontEndResultText.
std::optional<std::string> EditFrontEndRun(FrontEndRun run);

// The format chooser's answer (0..4, 0 = closed without a choice or failed)
// as a format; any other number is no choice.
ColorTextFormat ChosenFormat(int chooser_answer);

// The text to deliver at the end (clipboard or editor), or nothing when no
// format was chosen: then nothing is delivered.
std::optional<std::string> FrontEndResultText(const FrontEndRun& run);

// Runs a program's one pass and gives its exit code: 0 in every case. A
// pass that throws (memory ran out somewhere) ends there, quietly.
int RunPass(void (*pass)()) noexcept;

}  // namespace tintra
