#include "standalone/std_streams_win32.h"

#include <algorithm>
#include <new>
#include <vector>

namespace tintra {

namespace {

bool IsHandle(HANDLE handle) {
  return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

}  // namespace

StreamInput ReadWholeStream(HANDLE handle) {
  StreamInput input;
  if (!IsHandle(handle)) return input;
  try {
    std::vector<char> chunk(kStreamChunkBytes);
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(handle, chunk.data(), kStreamChunkBytes, &got, nullptr)) {
        // The writer closing its end of a pipe is the pipe's end of file. A
        // handle that cannot be read from the first call on is no input at
        // all (Wine gives a closed descriptor 0 as such a handle).
        const DWORD error = GetLastError();
        input.complete = error == ERROR_BROKEN_PIPE ||
                         (input.bytes.empty() &&
                          (error == ERROR_INVALID_HANDLE || error == ERROR_INVALID_FUNCTION));
        return input;
      }
      if (got == 0) return input;  // end of file
      input.bytes.append(chunk.data(), std::min<DWORD>(got, kStreamChunkBytes));
    }
  } catch (const std::bad_alloc&) {
    input.complete = false;
  }
  return input;
}

StreamInput ReadStandardInput() {
  return ReadWholeStream(GetStdHandle(STD_INPUT_HANDLE));
}

bool WriteWholeStream(HANDLE handle, std::string_view bytes) {
  if (bytes.empty()) return true;
  if (!IsHandle(handle)) return false;
  while (!bytes.empty()) {
    const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kStreamChunkBytes));
    DWORD written = 0;
    // A call that writes nothing would loop for ever: it counts as failed.
    if (!WriteFile(handle, bytes.data(), size, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(std::min<std::size_t>(written, size));
  }
  return true;
}

bool WriteStandardOutput(std::string_view bytes) {
  return WriteWholeStream(GetStdHandle(STD_OUTPUT_HANDLE), bytes);
}

bool StandardErrorIsRead(bool verbose) {
  const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  return IsHandle(handle) && (verbose || GetFileType(handle) == FILE_TYPE_CHAR);
}

void WriteMessage(std::string_view message, bool verbose) {
  if (message.empty() || !StandardErrorIsRead(verbose)) return;
  const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  // Nobody to tell when the message itself cannot be written.
  if (WriteWholeStream(handle, message) && message.back() != '\n') {
    WriteWholeStream(handle, "\n");
  }
}

}  // namespace tintra
