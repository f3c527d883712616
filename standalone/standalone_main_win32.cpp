// Tintra: the colour on the clipboard, edited in the picker, back on the
// clipboard in the same notation (or one chosen in the format chooser).
#include <windows.h>

#include <optional>
#include <string>

#include "colortext/format_chooser.h"
#include "picker/color_picker.h"
#include "standalone/clipboard_win32.h"
#include "standalone/standalone.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace tintra;
  StandaloneRun run = StartStandaloneRun(ReadClipboardText());
  run.color = OpenColorPicker(run.color, run.descriptor, run.alpha_flag, nullptr);
  if (run.format == ColorTextFormat::kNone) {
    run.format = ChosenFormat(FormatChooser(kFrenchChooserTexts, run.alpha_flag));
  }
  if (const std::optional<std::string> result = StandaloneResultText(run)) {
    WriteClipboardText(*result);  // a busy clipboard loses the result silently: no messages
  }
  return 0;
}
