// The plug-in's link to the Tarvo editor, portable part: the link state and
// the rules by which an incoming WM_COPYDATA (sender, code, payload) changes
// it and what is replied to the sender. The Win32 shell (host_link_win32.h)
// owns the windows, the hook and the sending.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tintra {

// Window messages and WM_COPYDATA codes of the link.
constexpr std::uint32_t kRequestTextCode = 1037;   // request for the text to edit
constexpr std::uint32_t kFirstRequestCode = 1037;  // requests 1037..1040
constexpr std::uint32_t kLastRequestCode = 1040;
constexpr std::uint32_t kFinishedMessage = 1042;  // posted when the plug-in ends
constexpr std::uint32_t kResultTextCode = 2;      // WM_COPYDATA code of the result
constexpr std::uint32_t kSharedTextCodeA = 1036;  // 1036 and 1048 share one text
constexpr std::uint32_t kSharedTextCodeB = 1048;
constexpr std::uint32_t kTextCode1049 = 1049;
constexpr std::uint32_t kTextCode1053 = 1053;
constexpr std::uint32_t kTextCode1054 = 1054;
constexpr std::uint32_t kFirstStatusCode = 6;  // status answers 6..10
constexpr std::uint32_t kLastStatusCode = 10;

// A window handle as a number. Handles travel as 32-bit integers (command
// line, message parameters of the 32-bit program); on a 64-bit build they
// are sign-extended, as the system does.
using WindowId = std::uintptr_t;

constexpr WindowId WindowIdFromInteger32(std::int32_t handle) {
  return static_cast<WindowId>(static_cast<std::intptr_t>(handle));
}

using AnswerBlock = std::vector<std::uint8_t>;

// Owned by the plug-in's main program for the whole run; touched only on its
// one thread.
struct LinkState {
  WindowId editor_window = 0;  // from the command line
  WindowId link_window = 0;    // the plug-in's hidden window
  // Latest answer per request code 1037..1040 (index code - 1037); absent
  // until answered, released when a new request for the code is made.
  std::array<std::optional<AnswerBlock>, 4> answers;
  std::string shared_text;  // codes 1036 and 1048
  std::string text_1049;
  std::string text_1053;
  std::string text_1054;
  int status_code = 0;  // 0, or 6..10 once a status came
  std::string status_text;
};

struct LinkCopyDataReply {
  std::intptr_t reply = 0;      // 0 or 1, returned to the sender
  bool foreign_sender = false;  // the "not from Tarvo" message box must be shown
};

// Applies one WM_COPYDATA. `sender` is its wParam, `code` the dwData,
// `data`/`size` the payload (lpData/cbData). At most `size` bytes are read
// from `data`; a null `data` counts as an empty payload. A sender other than
// the editor window changes nothing. A payload that cannot be stored
// (memory) gives the reply 0 and leaves the state as it was.
LinkCopyDataReply HandleCopyData(LinkState& link, WindowId sender, std::uintptr_t code,
                                 const std::uint8_t* data, std::size_t size);

// The slot of a request code 1037..1040, or nullptr for any other code.
std::optional<AnswerBlock>* AnswerSlot(LinkState& link, std::uintptr_t code);

// Releases every stored answer block (end of the run).
void ReleaseAnswers(LinkState& link);

// The text of an answer block: its bytes up to the first NUL, or all of them
// when it holds none.
std::string AnswerText(const AnswerBlock& block);

// The payload of a text message: the text and one NUL (cbData = size).
std::vector<std::uint8_t> TextPayload(std::string_view text);

}  // namespace tintra
