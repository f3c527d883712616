// What the text filter needs of Windows: the picker and the list chooser of
// the Win32 shell behind the front-end layer's shell record, whether windows
// can be shown at all, and the user's language.
#pragma once

#include "colortext/language_texts.h"
#include "frontend/filter.h"

namespace tintra {

// The Win32 shell: the picker without an owner window, the list chooser, and
// a display whenever WindowsCanBeShown. Needs no context.
FrontEndShell FilterShell();

// False when the process runs where nobody sees its windows (a service's
// non-interactive window station), or a top-level window cannot be made.
bool WindowsCanBeShown();

// French when the user's interface language is French, English otherwise.
Language UserInterfaceLanguage();

}  // namespace tintra
