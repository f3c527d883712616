// The standalone program's main sequence as plain steps: clipboard text in,
// the picker and possibly the format chooser, clipboard text out. The steps
// after the start are the ones both programs share (front_end_run.h); the
// platform parts (clipboard, windows) are the caller's.
#pragma once

#include <string_view>

#include "colortext/front_end_run.h"

namespace tintra {

// The start of a run: the clipboard text without its leading and trailing
// spaces (tabs and line breaks stay), parsed, with the French descriptor.
FrontEndRun StartStandaloneRun(std::string_view clipboard_text);

}  // namespace tintra
