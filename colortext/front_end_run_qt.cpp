#include "colortext/format_chooser.h"
#include "colortext/front_end_run.h"
#include "picker/color_picker.h"

namespace tintra {

void EditInPicker(FrontEndRun& run) {
  // Whatever ended the dialog, the run goes on with the colour it returns.
  run.color = OpenColorPicker(run.color, run.descriptor, run.alpha_flag, nullptr);
  if (run.format == ColorTextFormat::kNone) {
    run.format = ChosenFormat(FormatChooser(LanguageChooserTexts(run.language), run.alpha_flag));
  }
}

}  // namespace tintra
