// The standalone program's clipboard pass, written once for every platform:
// the clipboard's text in, the platform's edit of it, the result back on the
// clipboard. Each program hands in its clipboard (standalone/clipboard.h,
// reached directly or through a loaded module) and its edit: the Windows
// program's parses the whole trimmed text (StartStandaloneRun), the Linux
// program's rewrites the first colour token in place (RunClipboardPass).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "frontend/front_end_run.h"

namespace tintra {

// What the pass needs of the platform; `context` is handed back to each.
struct StandaloneShell {
  void* context = nullptr;
  // The clipboard's text; the empty text when it holds none or stays busy.
  std::string (*read_clipboard)(void* context) = nullptr;
  // The text to put back, or nothing (Cancel, no choice): then the clipboard is left.
  std::optional<std::string> (*edit)(void* context, std::string_view text) = nullptr;
  // False when the clipboard refused the text.
  bool (*write_clipboard)(void* context, std::string_view text) = nullptr;
};

// One pass. A clipboard that refuses the result loses it silently: the
// program shows no message for it.
void RunStandalonePass(const StandaloneShell& shell);

// The start of the Windows program's run: the clipboard text without its
// leading and trailing spaces (tabs and line breaks stay), parsed, with the
// French descriptor.
FrontEndRun StartStandaloneRun(std::string_view clipboard_text);

}  // namespace tintra
