// The standalone program's clipboard: text in at the start, text out at the
// end. One interface; each platform's shell implements it beside this file:
// clipboard_win32.cpp as CF_TEXT (8-bit ANSI), clipboard_qt.cpp as UTF-8
// (the text engine rewrites only an ASCII token), where the text stays on
// the clipboard after the program ends (a clipboard manager takes it over;
// where none runs, a keeper process of the program's own holds it:
// standalone/toolkit_module.h).
#pragma once

#include <string>
#include <string_view>

namespace tintra {

// The clipboard's text, never read past the end of what its owner gives.
// Windows: CF_TEXT up to its terminating NUL, never past the end of the data
// block; opening the clipboard is retried about half a second while another
// program holds it. Linux: from the first text form its owner offers
// (UTF8_STRING, text/plain;charset=utf-8, STRING as Latin-1 converted, or
// TEXT), at most 64 MiB, each request answered within a second (on X11 it
// asks the owner itself on a connection of its own, elsewhere through the
// toolkit; needs the QGuiApplication). The empty text when the clipboard
// stays busy, holds no text or too much, or its owner does not answer.
std::string ReadClipboardText();

// Replaces the clipboard's contents with the text. False when it could not
// be placed. Windows: up to a NUL inside the text, as CF_TEXT; a clipboard
// that stays busy or refuses the data leaves nothing allocated. Linux: every
// byte kept.
bool WriteClipboardText(std::string_view text);

}  // namespace tintra
