#include "frontend/standalone_pass.h"

#include "picker/blanks.h"

namespace tintra {

void RunStandalonePass(const StandaloneShell& shell) {
  const std::string text = shell.read_clipboard(shell.context);
  if (const std::optional<std::string> result = shell.edit(shell.context, text)) {
    shell.write_clipboard(shell.context, *result);
  }
}

FrontEndRun StartStandaloneRun(std::string_view clipboard_text) {
  return StartFrontEndRun(TrimSpaces(clipboard_text), Language::kFrench);
}

}  // namespace tintra
