// The plug-in's main sequence as plain steps: the command line checked, the
// editor's text parsed with the descriptor of the editor's language, the
// picker and possibly the format chooser, the result text for the editor.
// The steps after the start are the ones both programs share
// (frontend/front_end_run.h); the platform parts (link window, hook,
// messages to the editor, preference file, message boxes) are the caller's.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tintra {

// The messages of the start, English in both languages; each in a box with
// an OK button.
inline constexpr char kStartCaption[] = "Tarvo Plugin";
inline constexpr char kNoWindowText[] = "Can't open a window!";
inline constexpr char kNotStartedByEditorText[] =
    "This is a Tarvo-Plugin\nYou can't run it without Tarvo";

// The editor window's handle from the command line: argument 2 read with
// ReadInteger (decimal, or hexadecimal after "$"), low 32 bits, not
// validated. None when argument 1 is not "Tarvo" exactly (letter case
// counts): the plug-in was not started by the editor.
std::optional<std::int32_t> EditorWindowArgument(std::string_view command_line);

}  // namespace tintra
