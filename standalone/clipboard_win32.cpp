#include <windows.h>

#include <cstring>

#include "picker/handles_win32.h"
#include "standalone/clipboard.h"

namespace tintra {

namespace {

// How long opening the clipboard is retried while another program holds it:
// 20 attempts 25 ms apart, about half a second in all.
constexpr int kClipboardOpenAttempts = 20;
constexpr int kClipboardRetryMs = 25;

// Opens the clipboard for `owner` (may be null), retrying while another
// program holds it.
bool OpenClipboardPatiently(HWND owner) {
  for (int attempt = 1; attempt <= kClipboardOpenAttempts; ++attempt) {
    if (OpenClipboard(owner)) return true;
    if (attempt < kClipboardOpenAttempts) Sleep(kClipboardRetryMs);
  }
  return false;
}

// The text of a locked CF_TEXT block of `size` bytes: up to the first NUL,
// or the whole block when it has none.
std::string TextOfBlock(const char* data, std::size_t size) {
  const void* nul = std::memchr(data, '\0', size);
  const std::size_t length =
      nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - data) : size;
  return std::string(data, length);
}

// A movable, shareable block holding the text and its NUL; empty when it
// cannot be made.
OwnedGlobalBlock BlockOfText(std::string_view text) {
  OwnedGlobalBlock block(GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, text.size() + 1));
  if (block.get() == nullptr) return block;
  auto* data = static_cast<char*>(GlobalLock(block.get()));
  if (data == nullptr) return OwnedGlobalBlock();
  if (!text.empty()) std::memcpy(data, text.data(), text.size());
  data[text.size()] = '\0';
  GlobalUnlock(block.get());
  return block;
}

// A hidden message-only window: the clipboard owner for the write, since
// after OpenClipboard(NULL) EmptyClipboard leaves no owner and
// SetClipboardData may then fail.
OwnedWindow CreateMessageWindow() {
  return OwnedWindow(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     GetModuleHandleA(nullptr), nullptr));
}

}  // namespace

std::string ReadClipboardText() {
  const OpenedClipboard clipboard(OpenClipboardPatiently(nullptr));
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
  OwnedGlobalBlock block = BlockOfText(text);
  if (block.get() == nullptr) return false;
  const OwnedWindow owner = CreateMessageWindow();
  const OpenedClipboard clipboard(OpenClipboardPatiently(owner.get()));
  if (!clipboard.open || !EmptyClipboard()) return false;
  if (SetClipboardData(CF_TEXT, block.get()) == nullptr) return false;  // still ours: freed
  block.release();                                                      // the system owns it now
  return true;
}

}  // namespace tintra
