// tintra: the colour on the clipboard, edited in the picker, back on the
// clipboard in the same notation (or one chosen in the format chooser).
#include <QApplication>
#include <cstring>
#include <optional>
#include <string>

#include "colortext/front_end_run.h"
#include "standalone/clipboard_qt.h"
#include "standalone/standalone.h"

namespace tintra {
namespace {

void RunStandalone() {
  FrontEndRun run = StartStandaloneRun(ReadClipboardText());
  EditInPicker(run);
  if (const std::optional<std::string> result = FrontEndResultText(run)) {
    WriteClipboardText(*result);  // a clipboard that refuses loses the result silently
  }
}

}  // namespace
}  // namespace tintra

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], tintra::kClipboardKeeperFlag) == 0) {
    return tintra::RunClipboardKeeper(argc, argv);
  }
  QApplication application(argc, argv);
  // No window closing ends the program: its one pass does.
  QApplication::setQuitOnLastWindowClosed(false);
  return tintra::RunPass(tintra::RunStandalone);
}
