// The standalone program's clipboard: text in at the start, text out at the
// end, both as CF_TEXT (8-bit ANSI).
#pragma once

#include <string>
#include <string_view>

namespace tintra {

// How long opening the clipboard is retried while another program holds it:
// 20 attempts 25 ms apart, about half a second in all.
constexpr int kClipboardOpenAttempts = 20;
constexpr int kClipboardRetryMs = 25;

// The clipboard's CF_TEXT up to its terminating NUL, never past the end of
// the data block. The empty text when the clipboard stays busy or holds no
// text.
std::string ReadClipboardText();

// Replaces the clipboard's contents with the text (up to a NUL inside it) as
// CF_TEXT. False when the clipboard stays busy or the data is refused; the
// text is then not on the clipboard, and nothing is left allocated.
bool WriteClipboardText(std::string_view text);

}  // namespace tintra
