// The run's dialogs, apart from the rest of front_end_run.cpp: only a program
// that links a platform's shell uses them, so the tests never pull them in.
#include "colortext/format_chooser.h"
#include "frontend/front_end_run.h"
#include "picker/color_picker.h"

namespace tintra {

void EditInPicker(FrontEndRun& run) {
  // Whatever ended the dialog, the run goes on with the colour it returns.
  run.color = OpenColorPicker(run.color, run.descriptor, run.alpha_flag, nullptr);
  if (run.format == ColorTextFormat::kNone) {
    run.format = ChosenFormat(FormatChooser(LanguageChooserTexts(run.language), run.alpha_flag));
  }
}

std::optional<std::string> EditFrontEndRun(FrontEndRun run) {
  EditInPicker(run);
  return FrontEndResultText(run);
}

}  // namespace tintra
