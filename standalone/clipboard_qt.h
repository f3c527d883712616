// The Linux program's clipboard: text in at the start, text out at the end,
// UTF-8 bytes both ways (the text engine rewrites only an ASCII token). The
// text stays on the clipboard after the program ends: a clipboard manager
// takes it over, and where none runs, a keeper process of the program's own
// holds it until another program takes the clipboard.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tintra {

// The argument that starts the program as the keeper.
inline constexpr char kClipboardKeeperFlag[] = "--tintra-keep-clipboard";

// The largest text the keeper takes over (bytes of UTF-8).
constexpr std::size_t kMaxKeptText = 64u << 20;

// How long the program waits for the keeper to own the clipboard.
constexpr int kKeeperStartTimeoutMs = 5000;

// How long the clipboard's owner may take to answer one request.
constexpr int kClipboardReplyTimeoutMs = 1000;

// The clipboard's text as UTF-8 bytes, from the first text form its owner
// offers: UTF8_STRING, text/plain;charset=utf-8, STRING (Latin-1, converted)
// or TEXT. The empty text when nobody owns the clipboard, it holds no text,
// the text is larger than kMaxKeptText, or the owner does not answer a
// request within kClipboardReplyTimeoutMs. On X11 it asks the owner itself
// on a connection of its own; elsewhere through the toolkit. Needs the
// QGuiApplication.
std::string ReadClipboardUtf8();

// Puts the text (UTF-8, every byte kept) on the clipboard so that it stays
// there after the program ends. False when it could not be placed.
bool WriteClipboardUtf8(std::string_view utf8);

// The keeper's whole run (the program started with kClipboardKeeperFlag):
// reads the UTF-8 text from its standard input (at most kMaxKeptText
// bytes), owns the clipboard with it, tells its starter by one byte on its
// standard output, and ends when another program takes the clipboard (or
// the display goes). Returns the exit code.
int RunClipboardKeeper(int argc, char** argv);

}  // namespace tintra
