#include "plugin/host_link.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace tintra {
namespace {

using namespace std::string_view_literals;

constexpr WindowId kEditor = 0x10086;
constexpr WindowId kLink = 0x2004A;
constexpr WindowId kForeign = 0x30010;

// A state with something in every field, so that both replacement and
// "nothing changed" show.
LinkState SeededState() {
  LinkState link;
  link.editor_window = kEditor;
  link.link_window = kLink;
  link.answers[1] = AnswerBlock{9, 9};  // 1038
  link.shared_text = "old shared";
  link.text_1049 = "old 1049";
  link.text_1053 = "old 1053";
  link.text_1054 = "old 1054";
  link.status_code = 7;
  link.status_text = "old status";
  return link;
}

void ExpectSameState(const LinkState& expected, const LinkState& actual) {
  EXPECT_EQ(expected.editor_window, actual.editor_window);
  EXPECT_EQ(expected.link_window, actual.link_window);
  EXPECT_EQ(expected.answers, actual.answers);
  EXPECT_EQ(expected.shared_text, actual.shared_text);
  EXPECT_EQ(expected.text_1049, actual.text_1049);
  EXPECT_EQ(expected.text_1053, actual.text_1053);
  EXPECT_EQ(expected.text_1054, actual.text_1054);
  EXPECT_EQ(expected.status_code, actual.status_code);
  EXPECT_EQ(expected.status_text, actual.status_text);
}

AnswerBlock Bytes(std::string_view text) {
  return AnswerBlock(text.begin(), text.end());
}

struct CopyDataCase {
  const char* name;
  WindowId sender;
  std::uintptr_t code;
  std::string_view buffer;  // what lies at lpData; only the first `size` bytes count
  std::size_t size;         // cbData
  bool null_data;           // lpData is null
  std::intptr_t reply;
  bool foreign;
  // Expected change to the seeded state.
  void (*apply)(LinkState&);
};

TEST(HostLink, CopyDataTable) {
  const CopyDataCase cases[] = {
      // Text answer to the text request: the whole payload with its NUL is kept.
      {"1037 text", kEditor, 1037, "rgb(255,0,0)\0"sv, 13, false, 1, false,
       [](LinkState& s) { s.answers[0] = Bytes("rgb(255,0,0)\0"sv); }},
      // Bytes after the NUL and NULs inside are kept: an answer block is bytes.
      {"1040 binary", kEditor, 1040, "\x01\0\x02\xFF"sv, 4, false, 1, false,
       [](LinkState& s) { s.answers[3] = Bytes("\x01\0\x02\xFF"sv); }},
      // Only cbData bytes are copied, never what lies beyond.
      {"1039 bounded", kEditor, 1039, "abcdef"sv, 3, false, 1, false,
       [](LinkState& s) { s.answers[2] = Bytes("abc"); }},
      // A new answer replaces the stored one of its code.
      {"1038 replaces", kEditor, 1038, "new"sv, 3, false, 1, false,
       [](LinkState& s) { s.answers[1] = Bytes("new"); }},
      // Size 0: an empty block is present.
      {"1037 empty", kEditor, 1037, ""sv, 0, false, 1, false,
       [](LinkState& s) { s.answers[0] = AnswerBlock{}; }},
      // Null payload address with a size: read as empty, nothing dereferenced.
      {"1037 null data", kEditor, 1037, ""sv, 5, true, 1, false,
       [](LinkState& s) { s.answers[0] = AnswerBlock{}; }},
      // 1036 and 1048 share one text, up to the NUL.
      {"1036 text", kEditor, 1036, "abc\0def"sv, 7, false, 1, false,
       [](LinkState& s) { s.shared_text = "abc"; }},
      // Missing NUL: the text ends after cbData bytes.
      {"1048 no NUL", kEditor, 1048, "xyzQQQ"sv, 3, false, 1, false,
       [](LinkState& s) { s.shared_text = "xyz"; }},
      {"1049 text", kEditor, 1049, "h\xE9llo\0"sv, 6, false, 1, false,
       [](LinkState& s) { s.text_1049 = "h\xE9llo"; }},
      {"1053 text", kEditor, 1053, "one\0"sv, 4, false, 1, false,
       [](LinkState& s) { s.text_1053 = "one"; }},
      {"1054 empty", kEditor, 1054, ""sv, 0, false, 1, false,
       [](LinkState& s) { s.text_1054 = ""; }},
      {"1054 null data", kEditor, 1054, ""sv, 9, true, 1, false,
       [](LinkState& s) { s.text_1054 = ""; }},
      // Status: the code and the text up to the NUL.
      {"status 6", kEditor, 6, "ready\0"sv, 6, false, 1, false,
       [](LinkState& s) {
         s.status_code = 6;
         s.status_text = "ready";
       }},
      // The single byte 255 stands for the empty text, with or without NUL.
      {"status 10 byte 255", kEditor, 10, "\xFF\0"sv, 2, false, 1, false,
       [](LinkState& s) {
         s.status_code = 10;
         s.status_text = "";
       }},
      {"status 8 byte 255 no NUL", kEditor, 8, "\xFFZ"sv, 1, false, 1, false,
       [](LinkState& s) {
         s.status_code = 8;
         s.status_text = "";
       }},
      // Two bytes 255 are a text like any other.
      {"status 9 two bytes 255", kEditor, 9, "\xFF\xFF\0"sv, 3, false, 1, false,
       [](LinkState& s) {
         s.status_code = 9;
         s.status_text = "\xFF\xFF";
       }},
      {"status 7 size 0", kEditor, 7, ""sv, 0, false, 1, false,
       [](LinkState& s) {
         s.status_code = 7;
         s.status_text = "";
       }},
      // Codes not in the table: reply 0, nothing changes.
      {"code 3", kEditor, 3, "x\0"sv, 2, false, 0, false, [](LinkState&) {}},
      {"code 2", kEditor, 2, "x\0"sv, 2, false, 0, false, [](LinkState&) {}},
      {"code 5", kEditor, 5, "x\0"sv, 2, false, 0, false, [](LinkState&) {}},
      {"code 11", kEditor, 11, "x\0"sv, 2, false, 0, false, [](LinkState&) {}},
      {"code 0", kEditor, 0, "x\0"sv, 2, false, 0, false, [](LinkState&) {}},
      {"code 1035", kEditor, 1035, "x\0"sv, 2, false, 0, false, [](LinkState&) {}},
      {"code 1041", kEditor, 1041, "x\0"sv, 2, false, 0, false, [](LinkState&) {}},
      {"code 1042", kEditor, 1042, "x\0"sv, 2, false, 0, false, [](LinkState&) {}},
      {"code 1050", kEditor, 1050, "x\0"sv, 2, false, 0, false, [](LinkState&) {}},
      {"code 1055", kEditor, 1055, "x\0"sv, 2, false, 0, false, [](LinkState&) {}},
      {"code max", kEditor, std::numeric_limits<std::uintptr_t>::max(), "x\0"sv, 2, false, 0, false,
       [](LinkState&) {}},
      // Another sender: the message box, reply 0, nothing stored, whatever the code.
      {"foreign 1037", kForeign, 1037, "rgb(1,2,3)\0"sv, 11, false, 0, true, [](LinkState&) {}},
      {"foreign 1053", kForeign, 1053, "t\0"sv, 2, false, 0, true, [](LinkState&) {}},
      {"foreign status", kForeign, 6, "\xFF"sv, 1, false, 0, true, [](LinkState&) {}},
      {"foreign code 3", kForeign, 3, ""sv, 0, false, 0, true, [](LinkState&) {}},
      // The link's own window is not the editor either.
      {"from link window", kLink, 1054, "t\0"sv, 2, false, 0, true, [](LinkState&) {}},
      {"sender 0", 0, 1049, "t\0"sv, 2, false, 0, true, [](LinkState&) {}},
  };
  for (const CopyDataCase& c : cases) {
    SCOPED_TRACE(c.name);
    LinkState link = SeededState();
    LinkState expected = SeededState();
    c.apply(expected);
    const auto* data =
        c.null_data ? nullptr : reinterpret_cast<const std::uint8_t*>(c.buffer.data());
    const LinkCopyDataReply reply = HandleCopyData(link, c.sender, c.code, data, c.size);
    EXPECT_EQ(c.reply, reply.reply);
    EXPECT_EQ(c.foreign, reply.foreign_sender);
    ExpectSameState(expected, link);
  }
}

TEST(HostLink, SharedTextTakesTheLatestOf1036And1048) {
  LinkState link = SeededState();
  const std::vector<std::uint8_t> first = TextPayload("first");
  const std::vector<std::uint8_t> second = TextPayload("second");
  HandleCopyData(link, kEditor, 1048, first.data(), first.size());
  EXPECT_EQ("first", link.shared_text);
  HandleCopyData(link, kEditor, 1036, second.data(), second.size());
  EXPECT_EQ("second", link.shared_text);
}

TEST(HostLink, UnstorableAnswerRepliesZeroAndKeepsTheOldBlock) {
  LinkState link = SeededState();
  const LinkState expected = SeededState();
  const std::uint8_t byte = 'x';
  // A size no block can have: refused before a byte is read.
  const LinkCopyDataReply reply =
      HandleCopyData(link, kEditor, 1038, &byte, std::numeric_limits<std::size_t>::max());
  EXPECT_EQ(0, reply.reply);
  EXPECT_FALSE(reply.foreign_sender);
  ExpectSameState(expected, link);
}

TEST(HostLink, SeveralMegabytePayloads) {
  LinkState link = SeededState();
  constexpr std::size_t kSize = 8u << 20;  // 8 MiB
  std::vector<std::uint8_t> payload(kSize, 'A');
  payload[kSize / 2] = 0;
  payload[kSize - 1] = 'Z';
  EXPECT_EQ(1, HandleCopyData(link, kEditor, 1037, payload.data(), payload.size()).reply);
  ASSERT_TRUE(link.answers[0].has_value());
  EXPECT_EQ(payload, *link.answers[0]);
  EXPECT_EQ(kSize / 2, AnswerText(*link.answers[0]).size());

  // A text without NUL over the whole payload.
  std::vector<std::uint8_t> text(kSize, 'B');
  EXPECT_EQ(1, HandleCopyData(link, kEditor, 1053, text.data(), text.size()).reply);
  EXPECT_EQ(kSize, link.text_1053.size());
  EXPECT_EQ('B', link.text_1053.back());
}

TEST(HostLink, AnswerSlotsPerRequestCode) {
  LinkState link;
  // One slot per request code 1037..1040, none for the other codes.
  EXPECT_EQ(&link.answers[0], AnswerSlot(link, 1037));
  EXPECT_EQ(&link.answers[1], AnswerSlot(link, 1038));
  EXPECT_EQ(&link.answers[2], AnswerSlot(link, 1039));
  EXPECT_EQ(&link.answers[3], AnswerSlot(link, 1040));
  for (std::uintptr_t code : {0u, 2u, 1036u, 1041u, 1042u, 1048u}) {
    EXPECT_EQ(nullptr, AnswerSlot(link, code)) << "code " << code;
  }
}

TEST(HostLink, ReleaseAnswersEmptiesEverySlot) {
  LinkState link = SeededState();
  link.answers[0] = Bytes("a");
  link.answers[3] = AnswerBlock{};
  ReleaseAnswers(link);
  for (const auto& block : link.answers) EXPECT_FALSE(block.has_value());
}

TEST(HostLink, AnswerText) {
  struct Row {
    std::string_view block;
    std::string_view text;
  };
  const Row rows[] = {
      {"rgb(255,0,0)\0"sv, "rgb(255,0,0)"sv},  // text payload
      {"abc\0def\0"sv, "abc"sv},               // up to the first NUL
      {"no nul"sv, "no nul"sv},                // the whole block without NUL
      {"\0abc"sv, ""sv},                       // NUL first
      {""sv, ""sv},                            // empty block
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.text, AnswerText(Bytes(row.block))) << "block of " << row.block.size();
  }
}

TEST(HostLink, TextPayloadCountsTheNul) {
  // The result «RGB(1, 2, 3)» goes out with cbData 13.
  const std::vector<std::uint8_t> payload = TextPayload("RGB(1, 2, 3)");
  EXPECT_EQ(13u, payload.size());
  EXPECT_EQ(0, payload.back());
  EXPECT_EQ(1u, TextPayload("").size());
}

TEST(HostLink, WindowIdFromInteger32SignExtends) {
  EXPECT_EQ(WindowId{0x12345}, WindowIdFromInteger32(0x12345));
  EXPECT_EQ(WindowId{0}, WindowIdFromInteger32(0));
  EXPECT_EQ(std::numeric_limits<WindowId>::max(), WindowIdFromInteger32(-1));
  EXPECT_EQ(std::numeric_limits<WindowId>::max() - 0x7FFFFFFFu,
            WindowIdFromInteger32(std::numeric_limits<std::int32_t>::min()));
}

}  // namespace
}  // namespace tintra
