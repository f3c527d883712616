// The program's standard handles as the starting process gave them: pipes,
// files, a console, or none at all (a GUI program started from a shortcut).
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace tintra {

// Bytes asked of one ReadFile or given to one WriteFile call.
constexpr DWORD kStreamChunkBytes = 64 * 1024;

struct StreamInput {
  std::string bytes;     // everything read, in order
  bool complete = true;  // false: a read failed or memory ran out; `bytes` is what came before
};

// Reads `handle` to its end: end of file, or the writer's end of the pipe
// closed. A null or invalid handle, or one refused by the first read as no
// handle or not readable, reads as complete and empty.
StreamInput ReadWholeStream(HANDLE handle);

// ReadWholeStream of the standard input.
StreamInput ReadStandardInput();

// Writes every byte, in as many calls as it takes. False when a write fails
// (the reader went away, a full disk) or there is no handle to take
// non-empty bytes; the empty text is always written.
bool WriteWholeStream(HANDLE handle, std::string_view bytes);

bool WriteStandardOutput(std::string_view bytes);

// Standard error is written only where a person reads it: when it is a
// console or another character device, or when the user asked (`verbose`).
// Editors that run a filter may put it into the text or take it as failure.
bool StandardErrorIsRead(bool verbose);

// The message, ended by a line feed when it lacks one, to standard error
// when StandardErrorIsRead(verbose); nothing for an empty message.
void WriteMessage(std::string_view message, bool verbose);

}  // namespace tintra
