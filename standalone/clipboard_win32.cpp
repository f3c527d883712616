#include "standalone/clipboard_win32.h"

#include <windows.h>

#include <cstring>

namespace tintra {

namespace {

// Opens the clipboard for `owner` (may be null), retrying while another
// program holds it.
bool OpenClipboardPatiently(HWND owner) {
  for (int attempt = 1; attempt <= kClipboardOpenAttempts; ++attempt) {
    if (OpenClipboard(owner)) return true;
    if (attempt < kClipboardOpenAttempts) Sleep(kClipboardRetryMs);
  }
  return false;
}

// Closes the clipboard when it was opened.
struct ClipboardSession {
  bool open;
  explicit ClipboardSession(HWND owner) : open(OpenClipboardPatiently(owner)) {}
  ~ClipboardSession() {
    if (open) CloseClipboard();
  }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
};

// A global memory block we own until it is handed to the clipboard.
struct GlobalBlock {
  HGLOBAL block;
  explicit GlobalBlock(HGLOBAL b) : block(b) {}
  ~GlobalBlock() {
    if (block != nullptr) GlobalFree(block);
  }
  HGLOBAL Release() {
    HGLOBAL b = block;
    block = nullptr;
    return b;
  }
  GlobalBlock(const GlobalBlock&) = delete;
  GlobalBlock& operator=(const GlobalBlock&) = delete;
};

// A hidden message-only window: the clipboard owner for the write, since
// after OpenClipboard(NULL) EmptyClipboard leaves no owner and
// SetClipboardData may then fail.
struct MessageWindow {
  HWND window;
  MessageWindow()
      : window(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleA(nullptr), nullptr)) {}
  ~MessageWindow() {
    if (window != nullptr) DestroyWindow(window);
  }
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;
};

// The text of a locked CF_TEXT block of `size` bytes: up to the first NUL,
// or the whole block when it has none.
std::string TextOfBlock(const char* data, std::size_t size) {
  const void* nul = std::memchr(data, '\0', size);
  const std::size_t length =
      nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - data) : size;
  return std::string(data, length);
}

// A movable, shareable block holding the text and its NUL.
HGLOBAL BlockOfText(std::string_view text) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1);
  if (block == nullptr) return nullptr;
  auto* data = static_cast<char*>(GlobalLock(block));
  if (data == nullptr) {
    GlobalFree(block);
    return nullptr;
  }
  if (!text.empty()) std::memcpy(data, text.data(), text.size());
  data[text.size()] = '\0';
  GlobalUnlock(block);
  return block;
}

}  // namespace

std::string ReadClipboardText() {
  const ClipboardSession clipboard(nullptr);
  if (!clipboard.open) return {};
  HANDLE handle = GetClipboardData(CF_TEXT);
  if (handle == nullptr) return {};
  const std::size_t size = GlobalSize(handle);
  const auto* data = static_cast<const char*>(GlobalLock(handle));
  if (data == nullptr) return {};
  std::string text = TextOfBlock(data, size);
  GlobalUnlock(handle);
  return text;
}

bool WriteClipboardText(std::string_view text) {
  // Up to a NUL inside the text: what a CF_TEXT reader would see anyway.
  text = text.substr(0, text.find('\0'));
  GlobalBlock block(BlockOfText(text));
  if (block.block == nullptr) return false;
  const MessageWindow owner;
  const ClipboardSession clipboard(owner.window);
  if (!clipboard.open || !EmptyClipboard()) return false;
  if (SetClipboardData(CF_TEXT, block.block) == nullptr) return false;  // still ours: freed
  block.Release();                                                      // the system owns it now
  return true;
}

}  // namespace tintra
