// The standalone program's clipboard on Linux: text in at the start, text
// out at the end, UTF-8 on the clipboard and Windows-1252 in the core. The
// text stays on the clipboard after the program ends: a clipboard manager
// takes it over, and where none runs, a keeper process of the program's own
// holds it until another program takes the clipboard.
#pragma once

#include <string>
#include <string_view>

namespace tintra {

// The argument that starts the program as the keeper.
inline constexpr char kClipboardKeeperFlag[] = "--tintra-keep-clipboard";

// The largest text the keeper takes over (bytes of UTF-8).
constexpr std::size_t kMaxKeptText = 64u << 20;

// How long the program waits for the keeper to own the clipboard.
constexpr int kKeeperStartTimeoutMs = 5000;

// The clipboard's text up to a NUL inside it, in Windows-1252 (a character
// it lacks becomes "?"). The empty text when the clipboard holds no text.
// Needs the QGuiApplication.
std::string ReadClipboardText();

// Puts the text (Windows-1252, up to a NUL inside it) on the clipboard as
// UTF-8 so that it stays there after the program ends. False when it could
// not be placed.
bool WriteClipboardText(std::string_view text);

// The keeper's whole run (the program started with kClipboardKeeperFlag):
// reads the UTF-8 text from its standard input (at most kMaxKeptText
// bytes), owns the clipboard with it, tells its starter by one byte on its
// standard output, and ends when another program takes the clipboard (or
// the display goes). Returns the exit code.
int RunClipboardKeeper(int argc, char** argv);

}  // namespace tintra
