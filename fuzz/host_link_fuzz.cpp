// HandleCopyData, the editor link's WM_COPYDATA rules, on a random sequence
// of messages with any sender, code, size and bytes.
//
// Input: bytes 0..3 the editor window (a 32-bit handle), then messages:
// a flags byte (bit 0: sent by another window, bit 1: null data pointer,
// bit 2: a code above 32 bits), the code (16 bits, plus 32 high bits with
// bit 2), the payload size (16 bits) and the payload. Each payload is
// copied to a buffer of exactly its size, so a read past it is caught.
//
// Checked against the rules: a foreign sender is reported and changes
// nothing; codes 1037..1040 store the payload exactly as their answer block;
// 1036/1048, 1049, 1053, 1054 store the text up to the NUL (within the size);
// 6..10 store the status text (the single byte 255 as the empty text) and
// the code; every other code is refused and changes nothing.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz/fuzz_input.h"
#include "plugin/host_link.h"

namespace {

using tintra::LinkState;
using tintra::fuzz::Reader;

bool SameState(const LinkState& a, const LinkState& b) {
  return a.editor_window == b.editor_window && a.link_window == b.link_window &&
         a.answers == b.answers && a.shared_text == b.shared_text && a.text_1049 == b.text_1049 &&
         a.text_1053 == b.text_1053 && a.text_1054 == b.text_1054 &&
         a.status_code == b.status_code && a.status_text == b.status_text;
}

std::string TextUpToNul(const std::uint8_t* data, std::size_t size) {
  std::string text;
  for (std::size_t i = 0; i < size && data[i] != 0; ++i) text += static_cast<char>(data[i]);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader r{data, size};
  LinkState link;
  link.editor_window =
      tintra::WindowIdFromInteger32(static_cast<std::int32_t>(tintra::fuzz::TakeU32(r)));
  link.link_window = 0x1234;

  while (!tintra::fuzz::AtEnd(r)) {
    const std::uint8_t flags = tintra::fuzz::TakeByte(r);
    std::uintptr_t code = tintra::fuzz::TakeU16(r);
    if ((flags & 4) != 0 && sizeof(std::uintptr_t) > 4) {
      code |= static_cast<std::uintptr_t>(tintra::fuzz::TakeU32(r)) << 16 << 16;
    }
    const std::size_t wanted = tintra::fuzz::TakeU16(r);
    const std::string_view bytes = tintra::fuzz::TakeText(r, wanted);
    const std::size_t payload_size = bytes.size();
    // Exactly the payload's bytes: a read past them is caught.
    const std::unique_ptr<std::uint8_t[]> exact(
        new std::uint8_t[payload_size == 0 ? 1 : payload_size]);
    std::memcpy(exact.get(), bytes.data(), payload_size);
    const bool null_data = (flags & 2) != 0;
    const std::uint8_t* message_data = null_data ? nullptr : exact.get();
    const std::size_t effective_size = null_data ? 0 : payload_size;
    const tintra::WindowId sender = (flags & 1) != 0 ? link.editor_window + 1 : link.editor_window;

    const LinkState before = link;
    const tintra::LinkCopyDataReply reply =
        tintra::HandleCopyData(link, sender, code, message_data, payload_size);

    if (sender != link.editor_window) {
      FUZZ_CHECK(reply.foreign_sender && reply.reply == 0, "foreign sender: reply %d",
                 static_cast<int>(reply.reply));
      FUZZ_CHECK(SameState(before, link), "foreign sender changed the state");
      continue;
    }
    FUZZ_CHECK(!reply.foreign_sender, "editor's message reported as foreign");
    const std::string text = TextUpToNul(exact.get(), effective_size);
    if (std::optional<tintra::AnswerBlock>* slot = tintra::AnswerSlot(link, code)) {
      FUZZ_CHECK(reply.reply == 1, "request answer %zu refused", static_cast<std::size_t>(code));
      FUZZ_CHECK(slot->has_value() && (*slot)->size() == effective_size &&
                     std::equal((*slot)->begin(), (*slot)->end(), exact.get()),
                 "answer block for %zu is not the payload", static_cast<std::size_t>(code));
      FUZZ_CHECK(tintra::AnswerText(**slot) == text, "answer text differs");
      LinkState expected = before;
      *tintra::AnswerSlot(expected, code) = **slot;
      FUZZ_CHECK(SameState(expected, link), "an answer changed more than its block");
      continue;
    }
    LinkState expected = before;
    bool accepted = true;
    switch (code) {
      case 1036:
      case 1048:
        expected.shared_text = text;
        break;
      case 1049:
        expected.text_1049 = text;
        break;
      case 1053:
        expected.text_1053 = text;
        break;
      case 1054:
        expected.text_1054 = text;
        break;
      case 6:
      case 7:
      case 8:
      case 9:
      case 10:
        expected.status_text = text == "\xFF" ? std::string() : text;
        expected.status_code = static_cast<int>(code);
        break;
      default:
        accepted = false;
        break;
    }
    FUZZ_CHECK(reply.reply == (accepted ? 1 : 0), "code %zu: reply %d",
               static_cast<std::size_t>(code), static_cast<int>(reply.reply));
    FUZZ_CHECK(SameState(expected, link), "code %zu: state not as the rules say",
               static_cast<std::size_t>(code));
  }

  // A text sent to the editor comes back unchanged when it holds no NUL.
  const std::string sent = link.shared_text + link.status_text;
  if (sent.find('\0') == std::string::npos) {
    const std::vector<std::uint8_t> out = tintra::TextPayload(sent);
    FUZZ_CHECK(out.size() == sent.size() + 1 && out.back() == 0, "payload size %zu", out.size());
    FUZZ_CHECK(tintra::AnswerText(out) == sent, "text payload does not read back");
  }
  tintra::ReleaseAnswers(link);
  for (const auto& answer : link.answers) FUZZ_CHECK(!answer.has_value(), "answer kept");
  return 0;
}
