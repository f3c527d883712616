#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "frontend/standalone_pass.h"
#include "picker/blanks.h"

namespace tintra {
namespace {

constexpr auto kNone = ColorTextFormat::kNone;
constexpr auto kRgb = ColorTextFormat::kRgb;
constexpr auto kRgba = ColorTextFormat::kRgba;
constexpr auto kHex = ColorTextFormat::kHex;
constexpr auto kDecimal = ColorTextFormat::kDecimal;
constexpr auto kFrench = Language::kFrench;

TEST(StandaloneTrim, SpacesOnly) {
  struct Case {
    std::string text, expected;
  };
  const Case cases[] = {
      {"  rgb(1,2,3)  ", "rgb(1,2,3)"},
      {"$FF8000\r\n", "$FF8000\r\n"},    // line breaks stay
      {"\tRGB(1,2,3)", "\tRGB(1,2,3)"},  // tabs stay
      {" \t 5 \t ", "\t 5 \t"},          // only the outer spaces go
      {"a b", "a b"},                    // inner spaces stay
      {"     ", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(TrimSpaces(c.text), c.expected) << c.text;
}

TEST(StandaloneDescriptor, TitleCaptionsAndTemplates) {
  const std::string without_alpha =
      "S\xE9lection de couleur\nHexad\xE9"
      "cimal\tRGB\n$?hb?hg?hr\tRGB(?r, ?g, ?b)";
  const std::string with_alpha =
      "S\xE9lection de couleur\nHexad\xE9"
      "cimal\tRGB\n$?ha?hb?hg?hr\tRGBA(?r, ?g, ?b, ?a)";
  EXPECT_EQ(LanguageDescriptor(kFrench, 0), without_alpha);
  EXPECT_EQ(LanguageDescriptor(kFrench, 1), with_alpha);
  EXPECT_EQ(LanguageDescriptor(kFrench, 2), with_alpha);  // any non-zero flag is 1
}

// The start of a run: what the picker and the chooser are given.
TEST(StandaloneRunStart, ClipboardTextToPickerInput) {
  struct Case {
    std::string clipboard;
    ColorValue color;
    int alpha_flag;
    ColorTextFormat format;
  };
  const Case cases[] = {
      {"  rgb(1,2,3)  ", 0x030201, 0, kRgb},     // trimmed, then RGB notation
      {"$ff8000", 0xFF8000, 0, kHex},            // 6 digits: no alpha
      {"$80FF8000", 0x80FF8000, 1, kHex},        // 8 digits: alpha
      {"RGB(1,2,3)\r\n", 0x030201, 0, kRgb},     // text after ")" ignored
      {"RGBA(1,2,3,4) ", 0x04030201, 1, kRgba},  // trailing space trimmed
      {"$FF8000\r\n", 0xFF000000, 1, kNone},     // line break spoils hex: black, chooser
      {"\tRGB(1,2,3)", 0xFF000000, 1, kNone},    // leading tab: not RGB notation
      {"255", 255, 0, kNone},                    // decimal always asks
      {" 16777216 ", 16777216, 1, kNone},        // decimal with alpha after trimming
      {"", 0xFF000000, 1, kNone},                // empty clipboard: opaque black
      {"   ", 0xFF000000, 1, kNone},             // spaces only
  };
  for (const Case& c : cases) {
    const FrontEndRun run = StartStandaloneRun(c.clipboard);
    EXPECT_EQ(run.color, c.color) << c.clipboard;
    EXPECT_EQ(run.alpha_flag, c.alpha_flag) << c.clipboard;
    EXPECT_EQ(run.format, c.format) << c.clipboard;
    EXPECT_EQ(run.descriptor, LanguageDescriptor(kFrench, c.alpha_flag)) << c.clipboard;
    EXPECT_EQ(run.language, kFrench) << c.clipboard;
  }
}

TEST(StandaloneChooser, AnswerToFormat) {
  struct Case {
    int answer;
    ColorTextFormat expected;
  };
  const Case cases[] = {
      {0, kNone},                                         // closed without a choice
      {1, kRgb},                                          // button ids are the format codes
      {2, kRgba},  {3, kHex}, {4, kDecimal}, {5, kNone},  // never a button: no choice
      {-1, kNone},
  };
  for (const Case& c : cases) EXPECT_EQ(ChosenFormat(c.answer), c.expected) << c.answer;
}

// The end of a run: what goes to the clipboard, if anything.
TEST(StandaloneResult, TextForTheClipboard) {
  struct Case {
    ColorValue color;
    int alpha_flag;
    ColorTextFormat format;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {0x030201, 0, kRgb, "RGB(1, 2, 3)"},  // unchanged RGB comes back normalised
      {0xFF8000, 0, kHex, "$FF8000"},       // upper-case digits
      {0x80FF8000, 1, kHex, "$80FF8000"},   // 8 digits with alpha
      {0x80FF8000, 1, kRgba, "RGBA(0, 128, 255, 128)"},
      {0x80FF8000, 1, kDecimal, "-2130739200"},      // signed 32 bits
      {255, 0, kDecimal, "255"},                     // "255" through the decimal button
      {255, 0, kHex, "$0000FF"},                     // "255" through the HEX button
      {0xFF000000, 1, kRgba, "RGBA(0, 0, 0, 255)"},  // empty clipboard, RGBA button
      {0xFF000000, 1, kNone, std::nullopt},          // chooser closed: nothing written
      {0xFF000000, 1, static_cast<ColorTextFormat>(7), std::nullopt},  // no such format
  };
  for (const Case& c : cases) {
    const FrontEndRun run{c.color, c.alpha_flag, c.format,
                          LanguageDescriptor(kFrench, c.alpha_flag), kFrench};
    EXPECT_EQ(FrontEndResultText(run), c.expected) << std::hex << c.color;
  }
}

// The pass puts back what the edit gives, and leaves the clipboard without one.
TEST(StandalonePass, EditedTextBackOnTheClipboard) {
  struct Clipboard {
    std::string text;
    int writes = 0;
  };
  StandaloneShell shell;
  shell.read_clipboard = [](void* context) { return static_cast<Clipboard*>(context)->text; };
  shell.write_clipboard = [](void* context, std::string_view text) {
    Clipboard& clipboard = *static_cast<Clipboard*>(context);
    clipboard.text = std::string(text);
    ++clipboard.writes;
    return true;
  };
  shell.edit = [](void*, std::string_view text) -> std::optional<std::string> {
    if (text == "cancel") return std::nullopt;
    return "<" + std::string(text) + ">";
  };
  Clipboard edited{"#ff8000"};
  shell.context = &edited;
  RunStandalonePass(shell);
  EXPECT_EQ(edited.text, "<#ff8000>");
  EXPECT_EQ(edited.writes, 1);
  Clipboard cancelled{"cancel"};
  shell.context = &cancelled;
  RunStandalonePass(shell);
  EXPECT_EQ(cancelled.text, "cancel");
  EXPECT_EQ(cancelled.writes, 0);
}

}  // namespace
}  // namespace tintra
