#include "plugin/host_link.h"

#include <algorithm>
#include <new>
#include <stdexcept>

namespace tintra {

namespace {

// Text of a payload: up to its first NUL, never beyond `size` bytes (the
// editor may omit the NUL).
std::string PayloadText(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size == 0) return std::string();
  const std::uint8_t* end = std::find(data, data + size, std::uint8_t{0});
  return std::string(reinterpret_cast<const char*>(data), static_cast<std::size_t>(end - data));
}

std::string* ReceivedTextSlot(LinkState& link, std::uintptr_t code) {
  switch (code) {
    case kSharedTextCodeA:
    case kSharedTextCodeB:
      return &link.shared_text;
    case kTextCode1049:
      return &link.text_1049;
    case kTextCode1053:
      return &link.text_1053;
    case kTextCode1054:
      return &link.text_1054;
    default:
      return nullptr;
  }
}

bool IsStatusCode(std::uintptr_t code) {
  return code >= kFirstStatusCode && code <= kLastStatusCode;
}

}  // namespace

std::optional<AnswerBlock>* AnswerSlot(LinkState& link, std::uintptr_t code) {
  if (code < kFirstRequestCode || code > kLastRequestCode) return nullptr;
  return &link.answers[code - kFirstRequestCode];
}

void ReleaseAnswers(LinkState& link) {
  for (std::optional<AnswerBlock>& block : link.answers) block.reset();
}

std::string AnswerText(const AnswerBlock& block) {
  return PayloadText(block.data(), block.size());
}

std::vector<std::uint8_t> TextPayload(std::string_view text) {
  std::vector<std::uint8_t> payload(text.begin(), text.end());
  payload.push_back(0);
  return payload;
}

LinkCopyDataReply HandleCopyData(LinkState& link, WindowId sender, std::uintptr_t code,
                                 const std::uint8_t* data, std::size_t size) {
  if (sender != link.editor_window) return {0, true};
  if (data == nullptr) size = 0;
  // Every new value is built first and moved in last, so a failed
  // allocation leaves the state as it was.
  try {
    if (std::optional<AnswerBlock>* slot = AnswerSlot(link, code)) {
      AnswerBlock block;
      block.reserve(size);  // throws before anything is read when too large
      if (size != 0) block.assign(data, data + size);
      *slot = std::move(block);
      return {1, false};
    }
    if (std::string* text = ReceivedTextSlot(link, code)) {
      *text = PayloadText(data, size);
      return {1, false};
    }
    if (IsStatusCode(code)) {
      std::string status = PayloadText(data, size);
      if (status == "\xFF") status.clear();
      link.status_text = std::move(status);
      link.status_code = static_cast<int>(code);
      return {1, false};
    }
  } catch (const std::bad_alloc&) {
    return {0, false};
  } catch (const std::length_error&) {
    return {0, false};
  }
  return {0, false};
}

}  // namespace tintra
