// Tintra: the colour on the clipboard, edited in the picker, back on the
// clipboard in the same notation (or one chosen in the format chooser).
#include <windows.h>

#include <optional>
#include <string>

#include "colortext/front_end_run.h"
#include "standalone/clipboard_win32.h"
#include "standalone/standalone.h"

namespace tintra {
namespace {

void RunStandalone() {
  FrontEndRun run = StartStandaloneRun(ReadClipboardText());
  EditInPicker(run);
  if (const std::optional<std::string> result = FrontEndResultText(run)) {
    WriteClipboardText(*result);  // a busy clipboard loses the result silently: no messages
  }
}

}  // namespace
}  // namespace tintra

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return tintra::RunPass(tintra::RunStandalone);
}
